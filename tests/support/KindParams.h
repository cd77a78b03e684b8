#pragma once
// The program's table of kinds as test parameters: a test that holds for
// every kind runs once per entry, named after the kind's qmscan name, so a
// kind added to the table is tested without touching the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/kinds/AddonKinds.h"

namespace qlmtest {

inline std::vector<std::int32_t> KindIds() {
  std::vector<std::int32_t> ids;
  for (const auto& kind : discovery::AddonKinds()) ids.push_back(kind.id);
  return ids;
}

// A test name part: the kind's qmscan name ("toolbar", "bho", ...).
inline std::string KindTestName(std::int32_t id) {
  std::string name;
  for (const wchar_t* c = discovery::Kind(id).scanName; *c; ++c)
    name.push_back((*c >= L'a' && *c <= L'z') || (*c >= L'0' && *c <= L'9') ? static_cast<char>(*c) : '_');
  return name;
}

// Names the instances of a test over KindIds():
//   INSTANTIATE_TEST_SUITE_P(EveryKind, Suite, ValuesIn(KindIds()), KindParamName());
struct KindParamName {
  std::string operator()(const ::testing::TestParamInfo<std::int32_t>& param) const {
    return KindTestName(param.param);
  }
};

}  // namespace qlmtest
