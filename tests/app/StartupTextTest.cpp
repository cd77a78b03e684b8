#include <gtest/gtest.h>

#include "app/StartupText.h"
#include "app/Strings.h"

using namespace MQLM;

TEST(AppStartupText, VersionRecord) {
  EXPECT_EQ(VersionRecordText(L"Quillmoor", 6, 1, 45), L"Quillmoor ver.6.1.45");
  EXPECT_EQ(VersionRecordText(L"Quillmoor", 6, 10, 5), L"Quillmoor ver.6.10.5");
  EXPECT_EQ(VersionRecordText(L"Quillmoor", 7, 0, 0), L"Quillmoor ver.7.0.0");
}

TEST(AppStartupText, ComponentMessageNamesTheDllInCapitals) {
  EXPECT_EQ(ComponentMessage(LoadStr(IDS_COMPONENT_MISSING), L"ozCore.dll"),
            L"Component 'OZCORE.DLL' or one of its dependencies not correctly registered: a file is missing or "
            L"invalid. Try to reinstall Quillmoor.");
  EXPECT_EQ(ComponentMessage(LoadStr(IDS_COMPONENT_MISSING), L"QLMCustom.dll").substr(0, 25),
            L"Component 'QLMCUSTOM.DLL'");
}
