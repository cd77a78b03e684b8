// The start-up sequence in this process, with its hand-over points
// replaced so that the order and the error policy can be watched.
#include <gtest/gtest.h>

#include "app/LogRecords.h"
#include "app/MQLM.h"
#include "app/MQLMState.h"
#include "app/QlmError.h"
#include "ozcore/CErrorLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;
using MVista::PrivilegeDecision;

namespace {

std::wstring FullPath(const std::wstring& path) {
  wchar_t buf[MAX_PATH * 2] = {};
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 2, buf, nullptr);
  return std::wstring(buf, n);
}

// Parts that note the order they are called in.
struct Recorder {
  std::vector<std::wstring> calls;
  std::wstring shownMessage;
  int splashPolls = 0;

  MQLM::StartupParts Parts(const std::wstring& folder) {
    MQLM::StartupParts p;
    p.programFolder = folder;
    p.checkPrivileges = [this] {
      calls.push_back(L"privileges");
      return PrivilegeDecision::Continue;
    };
    p.showComponentMessage = [this](const std::wstring& m) {
      calls.push_back(L"message");
      shownMessage = m;
    };
    p.showSplash = [this] { calls.push_back(L"splash"); };
    // The splash stays up for three polls, then closes itself.
    p.splashVisible = [this] { return ++splashPolls <= 3; };
    p.dropSplash = [this] { calls.push_back(L"drop splash"); };
    p.createProcessObjects = [this] { calls.push_back(L"objects"); };
    p.showMainWindow = [this] { calls.push_back(L"main window"); };
    p.releaseProcessObjects = [this] { calls.push_back(L"release"); };
    return p;
  }
};

class AppStartupSequence : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentVariableW(L"QLM_TEST_APPDATA", data_.Path().c_str()); }
  void TearDown() override { SetEnvironmentVariableW(L"QLM_TEST_APPDATA", nullptr); }
  std::vector<LogLine> Log() { return ReadLog(data_.File(L"Quillmoor\\QLM.log")); }

  TempFolder data_;
  const std::wstring dist_ = FullPath(DistFolder());
};

}  // namespace

TEST_F(AppStartupSequence, RunsInOrderAndLogsAPendingErrorOnce) {
  Recorder r;
  auto parts = r.Parts(dist_);
  // Fails before the component check: not reported.
  parts.checkPrivileges = [&r]() -> PrivilegeDecision {
    r.calls.push_back(L"privileges");
    throw QlmError(5, L"MVista", L"raised before the check");
  };
  // Fails while the process objects are made: reported once, start-up goes on.
  parts.createProcessObjects = [&r] {
    r.calls.push_back(L"objects");
    throw QlmError(91, L"FMain", L"Object variable or With block variable not set");
  };
  // Fails after the record was written: not reported.
  parts.showMainWindow = [&r] {
    r.calls.push_back(L"main window");
    throw std::runtime_error("raised after the record");
  };

  EXPECT_EQ(MQLM::RunStartup(parts), MQLM::kExitNormal);
  EXPECT_EQ(MQLM::gLog, nullptr);
  EXPECT_EQ(r.calls, (std::vector<std::wstring>{L"privileges", L"splash", L"objects", L"drop splash", L"main window",
                                                L"release"}));
  EXPECT_EQ(r.splashPolls, 4);
  EXPECT_EQ(MQLM::gDataFolder, data_.Path() + L"\\Quillmoor");

  const auto log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].text, L"********** start app");
  EXPECT_EQ(log[1].text, L"Quillmoor ver." QLM_TEST_VERSION);
  EXPECT_EQ(log[2].text.rfind(L"Windows: ", 0), 0u);
  EXPECT_GT(log[2].text.size(), 9u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(log[i].number, 0);
    EXPECT_EQ(log[i].level, 5);
    EXPECT_EQ(log[i].context, L"MQLM.Main");
  }
  EXPECT_EQ(log[3].number, 91);
  EXPECT_EQ(log[3].text, L"Object variable or With block variable not set");
  EXPECT_EQ(log[3].level, 0);
  EXPECT_EQ(log[3].context, L"MQLM.Main");
}

TEST_F(AppStartupSequence, NoPendingErrorNoClosingRecord) {
  Recorder r;
  EXPECT_EQ(MQLM::RunStartup(r.Parts(dist_)), MQLM::kExitNormal);
  const auto log = Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[2].text.rfind(L"Windows: ", 0), 0u);
}

TEST_F(AppStartupSequence, RefusalAndRelaunchEndBeforeTheComponentCheck) {
  for (auto decision : {PrivilegeDecision::Refuse, PrivilegeDecision::Relaunch}) {
    Recorder r;
    auto parts = r.Parts(dist_);
    parts.checkPrivileges = [&r, decision] {
      r.calls.push_back(L"privileges");
      return decision;
    };
    EXPECT_EQ(MQLM::RunStartup(parts),
              decision == PrivilegeDecision::Refuse ? MQLM::kExitRefused : MQLM::kExitNormal);
    EXPECT_EQ(r.calls, std::vector<std::wstring>{L"privileges"});
  }
}

TEST_F(AppStartupSequence, MissingCommonLibraryIsReportedWithoutCallingIt) {
  // A program folder without any of the components.
  TempFolder empty;
  Recorder r;
  EXPECT_EQ(MQLM::RunStartup(r.Parts(empty.Path())), MQLM::kExitRefused);
  // No privilege check (it needs the library), no windows: the message only.
  EXPECT_EQ(r.calls, std::vector<std::wstring>{L"message"});
  EXPECT_EQ(r.shownMessage.rfind(L"Component 'OZCORE.DLL' or one of its dependencies", 0), 0u) << Narrow(r.shownMessage);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(GetFileAttributesW(data_.File(L"Quillmoor").c_str()), INVALID_FILE_ATTRIBUTES);
}
