#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qmscan/ScanArguments.h"

namespace {

using qmscan::ArgumentError;

ArgumentError Parse(std::vector<std::wstring> args, qmscan::Options& options) {
  std::wstring culprit;
  return qmscan::ParseArguments(args, options, culprit);
}

TEST(NativeScanArguments, CompareTakesOneFileAndNothingElse) {
  qmscan::Options options;
  ASSERT_EQ(Parse({L"--compare", L"C:\\x y\\Inventory.json"}, options), ArgumentError::None);
  EXPECT_TRUE(options.compare);
  EXPECT_EQ(options.compareWith, L"C:\\x y\\Inventory.json");
  // A file may be called like an argument.
  ASSERT_EQ(Parse({L"/compare", L"--json"}, options), ArgumentError::None);
  EXPECT_EQ(options.compareWith, L"--json");

  EXPECT_EQ(Parse({L"--compare"}, options), ArgumentError::MissingFile);
  EXPECT_EQ(Parse({L"--compare", L"a", L"--compare", L"b"}, options), ArgumentError::CompareAlone);
  EXPECT_EQ(Parse({L"--json", L"--compare", L"a"}, options), ArgumentError::CompareAlone);
  EXPECT_EQ(Parse({L"--compare", L"a", L"--help"}, options), ArgumentError::CompareAlone);
  EXPECT_EQ(Parse({L"--compare", L"a", L"x"}, options), ArgumentError::Unknown);

  ASSERT_EQ(Parse({L"--json"}, options), ArgumentError::None);
  EXPECT_FALSE(options.compare);
  EXPECT_EQ(options.form, qmscan::OutputForm::Json);
  EXPECT_EQ(Parse({L"--csv", L"--json"}, options), ArgumentError::Conflict);

  // For collectors: JSON Lines, quiet and an output file go with --compare.
  ASSERT_EQ(Parse({L"--quiet", L"--jsonl", L"--compare", L"a", L"--output", L"--json"}, options), ArgumentError::None);
  EXPECT_TRUE(options.quiet && options.compare);
  EXPECT_EQ(options.form, qmscan::OutputForm::JsonLines);
  EXPECT_EQ(options.outputFile, L"--json");
  EXPECT_EQ(Parse({L"--jsonl", L"--json"}, options), ArgumentError::FormConflict);
  EXPECT_EQ(Parse({L"--output"}, options), ArgumentError::MissingValue);
  EXPECT_EQ(Parse({L"--output", L"a", L"--output", L"b"}, options), ArgumentError::OutputTwice);
}

}  // namespace
