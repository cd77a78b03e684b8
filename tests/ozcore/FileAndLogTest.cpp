// The program's log. (The safe text file writer: BackupFile.* and
// InventoryFiles.* in each encoding, and the data folder's link tests.)
#include <gtest/gtest.h>

#include "ozcore/CErrorLog.h"
#include "support/TestSupport.h"

using namespace qlmtest;

TEST(ErrorLog, RecordsReachBothFilesInOrder) {
  TempFolder tmp;
  const auto full = tmp.File(L"QLM.log"), brief = tmp.File(L"short.log");
  {
    CErrorLog log;
    ASSERT_TRUE(log.OpenLogFiles(full, brief));
    log.LogMessage(0, L"********** start app", 5, L"MQLM.Main");
    log.LogMessage(-2147218129, L"CResource component failure in Function Init", 0, L"FMain.Form_Load");
    log.LogMessage(0, L"Windows: \u4E2D\u6587", 5, L"MQLM.Main");
    log.LogMessage(53, L"two\r\nlines", 4, L"ucTB.FillTBInfo");
  }
  {
    CErrorLog again;  // logs are appended to, never truncated
    ASSERT_TRUE(again.OpenLogFiles(full, brief));
    again.LogMessage(0, L"second run", 5, L"MQLM.Main");
  }
  const auto fullText = ReadUtf8File(full);
  const auto shortText = ReadUtf8File(brief);
  std::size_t last = 0;
  for (const wchar_t* record : {L"L5  #0  MQLM.Main  ********** start app",
                                L"L0  #-2147218129  FMain.Form_Load  CResource component failure in Function Init",
                                L"Windows: \u4E2D\u6587", L"L4  #53  ucTB.FillTBInfo  two | lines", L"second run"}) {
    const auto at = fullText.find(record, last);
    ASSERT_NE(at, std::wstring::npos) << "missing or out of order: " << Narrow(record);
    last = at;
  }
  // The short log keeps the error records only.
  EXPECT_EQ(shortText.find(L"start app"), std::wstring::npos);
  EXPECT_EQ(shortText.find(L"second run"), std::wstring::npos);
  EXPECT_LT(shortText.find(L"FMain.Form_Load"), shortText.find(L"ucTB.FillTBInfo"));
  EXPECT_NE(shortText.find(L"ucTB.FillTBInfo"), std::wstring::npos);
  // One line per record.
  EXPECT_EQ(std::count(fullText.begin(), fullText.end(), L'\n'), 5);
}

TEST(ErrorLog, UnopenableFilesAreReportedAndLoggingStaysSafe) {
  TempFolder tmp;
  CErrorLog log;
  EXPECT_FALSE(log.OpenLogFiles(tmp.File(L"no\\such\\QLM.log"), tmp.File(L"short.log")));
  log.LogMessage(5, L"still fine", 0, L"X.Y");  // the file that opened still gets it
  EXPECT_NE(ReadUtf8File(tmp.File(L"short.log")).find(L"still fine"), std::wstring::npos);
  CErrorLog never;
  never.LogMessage(1, L"nowhere", 0, L"X.Y");  // never opened: silently nothing
}
