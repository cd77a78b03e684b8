#include <gtest/gtest.h>

#include "ozcore/RegExportText.h"

namespace {

TEST(NativeRegText, ValueLinesEscapeAndFallBackToHex) {
  const unsigned char plain[] = {'a', 0, '"', 0, '\\', 0, 0, 0};
  EXPECT_EQ(regtext::ValueLine(L"n\"", regtext::kSz, plain, sizeof plain), L"\"n\\\"\"=\"a\\\"\\\\\"\r\n");
  const unsigned char broken[] = {'a', 0, '\n', 0, 0, 0};
  EXPECT_EQ(regtext::ValueLine(L"", regtext::kSz, broken, sizeof broken), L"@=hex(1):61,00,0a,00,00,00\r\n");
}

}  // namespace
