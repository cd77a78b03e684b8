// qmscan over the fixture registry: its CSV and JSON read back give exactly
// the records discovery makes in process; bad arguments are refused.
#include <gtest/gtest.h>

#include "app/MQLMState.h"
#include "discovery/AddonWorld.h"
#include "discovery/BhoDiscovery.h"
#include "discovery/ButtonDiscovery.h"
#include "discovery/CFileChecker.h"
#include "discovery/ExplorerBarDiscovery.h"
#include "discovery/MenuExtDiscovery.h"
#include "discovery/ToolbarDiscovery.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "qmscan/ParseBack.h"
#include "qmscan/ScanFormat.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

struct Output {
  int code = -1;
  std::string out, err;
};

Output RunQmscan(const std::wstring& args) {
  TempFolder tmp;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  Output result;
  {
    UniqueFile out(CreateFileW(tmp.File(L"out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    UniqueFile err(CreateFileW(tmp.File(L"err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out.get();
    si.hStdError = err.get();
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + DistFolder() + L"\\qmscan.exe\" " + args;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
      return result;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) return result;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    result.code = static_cast<int>(code);
  }
  result.out = ReadBytes(tmp.File(L"out"));
  result.err = ReadBytes(tmp.File(L"err"));
  return result;
}

// Every record of the five kinds as discovery gives it, in table order.
std::vector<std::pair<std::wstring, ExpectedRecord>> InProcess() {
  CFileChecker checker(true);
  MQLM::gFileChecker = &checker;
  std::vector<std::pair<std::wstring, ExpectedRecord>> records;
  auto add = [&](const wchar_t* kind, const std::optional<CResultNodes>& list) {
    ASSERT_TRUE(list.has_value());
    for (std::size_t i = 1; i <= list->Count(); ++i) records.emplace_back(kind, FromNode(*list->Item(i)));
  };
  add(L"toolbar", discovery::EnumToolbars());
  add(L"button", discovery::EnumToolbarButtons());
  add(L"menuext", discovery::EnumContextMenus());
  add(L"explorerbar", discovery::EnumObjects());
  add(L"bho", discovery::EnumBHOs());
  MQLM::gFileChecker = nullptr;
  return records;
}

std::wstring ValueText(const ExpectedRecord& r, const std::wstring& column) {
  for (const auto& [key, value] : r.values) {
    if (_wcsicmp(key.c_str(), column.c_str()) != 0) continue;
    if (const auto* n = std::get_if<std::int32_t>(&value)) return std::to_wstring(*n);
    return std::get<std::wstring>(value);
  }
  return {};
}

template <typename T>
const T& As(const JsonValue& v) {
  return *std::get<std::shared_ptr<T>>(v.value);
}

}  // namespace

TEST(Qmscan, CsvAndJsonReadBackToDiscoverysRecords) {
  AddonWorld world;
  const auto expected = InProcess();
  ASSERT_GE(expected.size(), 40u) << "the fixtures must be listed";

  const Output csv = RunQmscan(L"");
  ASSERT_EQ(csv.code, 0) << csv.err;
  EXPECT_EQ(csv.err, "");
  std::vector<std::vector<std::wstring>> rows;
  ASSERT_TRUE(ParseCsv(CUtilities::FromUtf8(csv.out), rows));
  ASSERT_EQ(rows.size(), expected.size() + 1);
  std::vector<std::wstring> header = {L"kind", L"ID"};
  for (const auto& c : qmscan::CsvValueColumns()) header.push_back(c);
  EXPECT_EQ(rows[0], header);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    std::vector<std::wstring> row = {expected[i].first, expected[i].second.id};
    for (const auto& c : qmscan::CsvValueColumns()) row.push_back(ValueText(expected[i].second, c));
    EXPECT_EQ(rows[i + 1], row) << Narrow(Describe(expected[i].second));
  }

  const Output json = RunQmscan(L"--json");
  ASSERT_EQ(json.code, 0) << json.err;
  JsonValue doc;
  ASSERT_TRUE(ParseJson(CUtilities::FromUtf8(json.out), doc));
  const auto& array = As<JsonArray>(doc);
  ASSERT_EQ(array.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& object = As<JsonObject>(array[i]);
    ASSERT_EQ(object.size(), 3u);
    EXPECT_EQ(object[0].first, L"kind");
    EXPECT_EQ(std::get<std::wstring>(object[0].second.value), expected[i].first);
    EXPECT_EQ(std::get<std::wstring>(object[1].second.value), expected[i].second.id);
    ExpectedRecord back{expected[i].second.id, {}};
    for (const auto& [key, value] : As<JsonObject>(object[2].second)) {
      if (const auto* n = std::get_if<std::int64_t>(&value.value))
        back.values.emplace_back(key, static_cast<std::int32_t>(*n));
      else
        back.values.emplace_back(key, std::get<std::wstring>(value.value));
    }
    EXPECT_TRUE(back.values == expected[i].second.values) << Narrow(Describe(back) + L"\n" + Describe(expected[i].second));
  }
}

TEST(Qmscan, ArgumentsAndHelp) {
  const Output help = RunQmscan(L"--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("--json"), std::string::npos);
  EXPECT_EQ(RunQmscan(L"/?").code, 0);

  for (const wchar_t* bad : {L"--bogus", L"--csv --json", L"json", L"--json extra"}) {
    const Output run = RunQmscan(bad);
    EXPECT_EQ(run.code, 2) << Narrow(bad);
    EXPECT_EQ(run.out, "") << Narrow(bad);
    EXPECT_NE(run.err.find("qmscan:"), std::string::npos) << Narrow(bad);
  }
}

TEST(Qmscan, UnpairedSurrogatesSurviveJson) {
  // Registry names may hold them; the round trip above has none.
  const std::wstring lone = {L'x', static_cast<wchar_t>(0xD800), L'y', static_cast<wchar_t>(0xDC00)};
  EXPECT_EQ(qmscan::JsonString(lone), L"\"x\\ud800y\\udc00\"");
  const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
  EXPECT_EQ(qmscan::JsonString(pair), L"\"" + pair + L"\"");
}
