#include <gtest/gtest.h>

#include "core/ErrorReport.h"
#include "core/ProgramLog.h"
#include "core/QlmError.h"
#include "support/ScopedLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(ErrorReport, FailuresBecomeOneRecordEach) {
  TempFolder tmp;
  {
    ScopedLog log(tmp.Path());
    // An edge logs under the innermost named procedure the failure left (not
    // one whose failure was handled), else under its own context.
    EXPECT_FALSE(CatchAtEdge(L"FMain", L"OnCommand", kLevelError, [] {
      const ProcedureName outer(L"FMain", L"Outer");
      try {
        const ProcedureName handled(L"FMain", L"Handled");
        throw 1;
      } catch (int) {
      }
      const ProcedureName inner(L"FMain", L"SearchGoogle");
      throw QlmError(5, L"x", L"Invalid call");
    }));
    EXPECT_FALSE(CatchAtEdge(L"ucTB", L"FillTBInfo", kLevelDiscovery, [] { throw std::runtime_error("bad data"); }));
    EXPECT_FALSE(Guarded(L"MAPI.BackupRegistry", kLevelDiscovery, [] { throw 42; }));
    int ran = 0;
    EXPECT_TRUE(Guarded(L"X.Fine", kLevelError, [&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    const auto win32 = ErrorFromWin32(ERROR_ACCESS_DENIED);
    EXPECT_EQ(win32.number, static_cast<std::int32_t>(0x80070005));
    LogError(win32, kLevelError, L"FMain.ShowFiledetails");
  }
  EXPECT_EQ(core::gLog, nullptr);
  LogInformation(L"no logger: nothing happens", L"X.Y");

  const auto text = ReadUtf8File(tmp.File(L"QLM.log"));
  EXPECT_NE(text.find(L"L0  #5  FMain.SearchGoogle  Invalid call"), std::wstring::npos);
  EXPECT_NE(text.find(L"L4  #51  ucTB.FillTBInfo  Internal error: bad data"), std::wstring::npos);
  EXPECT_NE(text.find(L"L4  #51  MAPI.BackupRegistry  Internal error"), std::wstring::npos);
  EXPECT_NE(text.find(L"L0  #-2147024891  FMain.ShowFiledetails  "), std::wstring::npos);
  EXPECT_EQ(text.find(L"X.Fine"), std::wstring::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 4);
}
