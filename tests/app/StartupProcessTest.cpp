// The program as a process of its own, started from a copy of the
// distribution folder, with its data folder in a temp folder: a component
// missing, or a common library with none of its entry points (each call
// fails on its own and the check reports it, where an unguarded program
// would die in its first call), is named and the program ends with 1.
#include <gtest/gtest.h>

#include "core/Strings.h"
#include "ozcore/FormatText.h"
#include "support/LogLines.h"
#include "support/ProgramProcess.h"
#include "support/WindowProbe.h"

using namespace qlmtest;

TEST(AppStartupProcess, AMissingOrWrongComponentIsNamed) {
  struct Way {
    const char* what;
    std::vector<const wchar_t*> removed;
    bool wrongLibrary;
    const wchar_t* named;
  } ways[] = {
      {"custom component missing", {L"QLMCustom.dll"}, false, L"QLMCUSTOM.DLL"},
      {"common library missing", {L"ozCore.dll"}, false, L"OZCORE.DLL"},
      {"both missing", {L"ozCore.dll", L"QLMCustom.dll"}, false, L"OZCORE.DLL"},
      {"common library without its entry points", {}, true, L"OZCORE.DLL"},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    ProgramProcess program;
    TempFolder data;
    ASSERT_TRUE(program.Copied());
    for (const wchar_t* name : way.removed) {
      ASSERT_TRUE(DeleteFileW(program.File(name).c_str()));
    }
    if (way.wrongLibrary) {
      ASSERT_TRUE(CopyFileW((FixtureFolder() + L"\\fx_german.dll").c_str(), program.File(L"ozCore.dll").c_str(), FALSE));
    }
    ASSERT_TRUE(program.Start(data.Path()));
    const HWND box = WaitForDialogOf(program.Pid());
    ASSERT_NE(box, nullptr) << "no message shown";
    const std::wstring said = formattext::Format(LoadStr(IDS_COMPONENT_MISSING), {way.named});
    EXPECT_EQ(WindowText(box), LoadStr(IDS_PRODUCT_NAME));
    EXPECT_EQ(ButtonCaptions(box), std::vector<std::wstring>{L"OK"});
    EXPECT_NE(StaticTexts(box).find(said), std::wstring::npos) << Narrow(StaticTexts(box));
    EXPECT_TRUE(PressButton(box, L"OK"));
    EXPECT_EQ(program.ExitCode(), 1);
    const auto log = LogLines(data.File(L"Quillmoor\\QLM.log"));
    if (way.named == std::wstring(L"QLMCUSTOM.DLL")) {
      // The start is logged, then what was missing.
      ASSERT_EQ(log.size(), 5u);
      EXPECT_EQ(log[0], L"L5  #0  MQLM.Main  ********** start app");
      EXPECT_EQ(log[4].rfind(L"L4  #0  MQLM.Main  " + said, 0), 0u) << Narrow(log[4]);
    } else if (!way.wrongLibrary) {
      // The logger lives in the missing library: nothing was written.
      EXPECT_EQ(GetFileAttributesW(data.File(L"Quillmoor").c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
}
