// The program as a process of its own, started from a copy of the
// distribution folder, with its data folder in a temp folder.
#include <gtest/gtest.h>

#include "core/Strings.h"
#include "ozcore/FormatText.h"
#include "support/LogLines.h"
#include "support/WindowProbe.h"
#include "support/ProgramProcess.h"

using namespace qlmtest;

namespace {

class AppStartupProcess : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program_.Copied()); }

  void Start() {
    ASSERT_TRUE(program_.Start(data_.Path()));
    pid_ = program_.Pid();
  }

  // The exit code, or -1 when the process did not end.
  int ExitCode() { return program_.ExitCode(); }

  // Answers the component message, checks it named the DLL, and that the
  // program then ended without a window.
  void ExpectComponentMessage(const std::wstring& dll) {
    HWND box = WaitForDialogOf(pid_);
    ASSERT_NE(box, nullptr) << "no message shown";
    EXPECT_EQ(WindowText(box), LoadStr(IDS_PRODUCT_NAME));
    EXPECT_EQ(ButtonCaptions(box), std::vector<std::wstring>{L"OK"});
    EXPECT_NE(StaticTexts(box).find(formattext::Format(LoadStr(IDS_COMPONENT_MISSING), {dll})), std::wstring::npos)
        << Narrow(StaticTexts(box));
    EXPECT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(ExitCode(), 1);
  }

  std::vector<std::wstring> Log() { return LogLines(data_.File(L"Quillmoor\\QLM.log")); }

  ProgramProcess program_;
  TempFolder data_;
  DWORD pid_ = 0;
};

}  // namespace

TEST_F(AppStartupProcess, MissingCustomComponent) {
  ASSERT_TRUE(DeleteFileW(program_.File(L"QLMCustom.dll").c_str()));
  Start();
  ExpectComponentMessage(L"QLMCUSTOM.DLL");
  const auto log = Log();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[0], L"L5  #0  MQLM.Main  ********** start app");
  const std::wstring said = formattext::Format(LoadStr(IDS_COMPONENT_MISSING), {L"QLMCUSTOM.DLL"});
  EXPECT_EQ(log[4].rfind(L"L4  #0  MQLM.Main  " + said, 0), 0u) << Narrow(log[4]);
}

TEST_F(AppStartupProcess, MissingOrWrongCommonLibraryIsNamed) {
  // Missing, missing with the custom component, and a DLL that loads but
  // has none of the library's entry points (each call fails on its own and
  // the check reports it, where an unguarded program would die in its first
  // call): each time the common library is named.
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    const std::wstring library = program_.File(L"ozCore.dll");
    if (way == 2) {
      ASSERT_TRUE(CopyFileW((DistFolder() + L"\\QLMCustom.dll").c_str(), program_.File(L"QLMCustom.dll").c_str(), FALSE));
      ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\fx_german.dll").c_str(), library.c_str(), FALSE));
    } else {
      DeleteFileW(library.c_str());
      if (way == 1) {
        ASSERT_TRUE(DeleteFileW(program_.File(L"QLMCustom.dll").c_str()));
      }
    }
    Start();
    ExpectComponentMessage(L"OZCORE.DLL");
    // The logger lives in the missing library: nothing was written.
    if (way < 2) {
      EXPECT_EQ(GetFileAttributesW(data_.File(L"Quillmoor").c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
}
