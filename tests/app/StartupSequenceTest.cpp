// The start-up sequence in this process, with its hand-over points
// replaced so that the order and the error policy can be watched.
#include <gtest/gtest.h>

#include "support/LogLines.h"
#include "app/Startup.h"
#include "core/ProgramLog.h"
#include "core/QlmError.h"

using namespace qlmtest;
using Elevation::PrivilegeDecision;

namespace {

class AppStartupSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    parts_.dataFolderParent = [this] { return data_.Path() + L"\\"; };
    wchar_t dist[MAX_PATH * 2] = {};
    GetFullPathNameW(DistFolder().c_str(), MAX_PATH * 2, dist, nullptr);
    // Each part notes that it ran; the splash stays up for three polls.
    parts_.programFolder = dist;
    parts_.checkPrivileges = [this] { return Note(L"privileges"), PrivilegeDecision::Continue; };
    parts_.showComponentMessage = [this](const std::wstring&) { Note(L"message"); };
    parts_.showSplash = [this] { Note(L"splash"); };
    parts_.splashVisible = [this] { return ++splashPolls_ <= 3; };
    parts_.dropSplash = [this] { Note(L"drop splash"); };
    parts_.createProcessObjects = [this](const Startup::ProcessSetup& setup) {
      Note(L"objects");
      setup_ = setup;
    };
    parts_.showMainWindow = [this] { Note(L"main window"); };
    parts_.releaseProcessObjects = [this] { Note(L"release"); };
  }
  void Note(const wchar_t* call) { calls_.push_back(call); }

  TempFolder data_;
  Startup::StartupParts parts_;
  std::vector<std::wstring> calls_;
  Startup::ProcessSetup setup_;
  int splashPolls_ = 0;
};

}  // namespace

TEST_F(AppStartupSequence, RunsInOrderAndLogsEachFailingStepOnce) {
  // Each failing step: one record, and start-up goes on.
  parts_.checkPrivileges = [this]() -> PrivilegeDecision {
    Note(L"privileges");
    throw QlmError(5, L"MVista", L"raised by the privilege check");
  };
  parts_.createProcessObjects = [this](const Startup::ProcessSetup& setup) {
    Note(L"objects");
    setup_ = setup;
    throw QlmError(91, L"FMain", L"Object variable or With block variable not set");
  };
  parts_.showMainWindow = [this] {
    Note(L"main window");
    throw std::runtime_error("raised by the main window");
  };

  EXPECT_EQ(Startup::RunStartup(parts_), Startup::kExitNormal);
  EXPECT_EQ(calls_, (std::vector<std::wstring>{L"privileges", L"splash", L"objects", L"drop splash", L"main window",
                                               L"release"}));
  EXPECT_EQ(splashPolls_, 4);
  // The objects get the data folder and the system's text and name rules.
  EXPECT_EQ(setup_.data.path, data_.Path() + L"\\Quillmoor");
  EXPECT_TRUE(setup_.data.unicodeFiles);
  EXPECT_TRUE(setup_.longFileNames);
  EXPECT_EQ(core::gLog, nullptr);

  const auto log = LogLines(data_.File(L"Quillmoor\\QLM.log"));
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], L"L5  #0  MQLM.Main  ********** start app");
  EXPECT_EQ(log[1], L"L5  #0  MQLM.Main  Quillmoor ver." QLM_TEST_VERSION);
  EXPECT_EQ(log[2].rfind(L"L5  #0  MQLM.Main  Windows: ", 0), 0u);
  EXPECT_EQ(log[3], L"L0  #5  MQLM.Main  raised by the privilege check");
  EXPECT_EQ(log[4], L"L0  #91  MQLM.Main  Object variable or With block variable not set");
  EXPECT_EQ(log[5], L"L0  #51  MQLM.Main  Internal error: raised by the main window");
}

TEST_F(AppStartupSequence, RefusalAndRelaunchEndBeforeTheComponentCheck) {
  for (auto decision : {PrivilegeDecision::Refuse, PrivilegeDecision::Relaunch}) {
    calls_.clear();
    parts_.checkPrivileges = [this, decision] { return Note(L"privileges"), decision; };
    EXPECT_EQ(Startup::RunStartup(parts_),
              decision == PrivilegeDecision::Refuse ? Startup::kExitRefused : Startup::kExitNormal);
    EXPECT_EQ(calls_, std::vector<std::wstring>{L"privileges"});
  }
}
