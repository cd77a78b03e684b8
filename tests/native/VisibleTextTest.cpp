#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../qmscan/ParseBack.h"
#include "engine/text/VisibleText.h"

using discovery::text::FromVisibleText;
using discovery::text::VisibleText;

namespace {

std::wstring Units(std::initializer_list<unsigned> units) {
  std::wstring out;
  for (unsigned u : units) out.push_back(static_cast<wchar_t>(u));
  return out;
}

TEST(NativeVisibleText, EscapeTable) {
  const std::vector<std::pair<std::wstring, std::wstring>> table = {
      {Units({0x00}), L"^@"},       {Units({0x01}), L"^A"},       {Units({0x09}), L"^I"},
      {Units({0x0A}), L"^J"},       {Units({0x0D}), L"^M"},       {Units({0x1B}), L"^["},
      {Units({0x1C}), L"^\\"},      {Units({0x1F}), L"^_"},       {Units({0x7F}), L"^?"},
      {L"^", L"^^"},                {Units({0x1E}), L"^{001E}"},  {Units({0x85}), L"^{0085}"},
      {Units({0x202E}), L"^{202E}"}, {Units({0xFEFF}), L"^{FEFF}"}, {Units({0xD800}), L"^{D800}"},
      // Kept: printable text, other scripts, a surrogate pair.
      {L"Toolbar 1.0 (x86) ~!#$%&*", L"Toolbar 1.0 (x86) ~!#$%&*"},
      {Units({0xE9, 0x4E2D, 0x5E, 0xA0}), Units({0xE9, 0x4E2D, 0x5E, 0x5E, 0xA0})},
      {Units({0xD83D, 0xDE00}), Units({0xD83D, 0xDE00})},
      // Reversed or broken pairs are two lone surrogates.
      {Units({0xDE00, 0xD83D}), L"^{DE00}^{D83D}"},
      {Units({0xD83D, 0x41, 0xDE00}), L"^{D83D}A^{DE00}"},
      {Units({0x41, 0x00, 0x5E, 0x40, 0x1B, 0x5B, 0x32, 0x4A}), L"A^@^^@^[[2J"},
  };
  for (const auto& [text, visible] : table) EXPECT_EQ(VisibleText(text), visible);

  // Every single unit: its visible form is safe (by the tests' own list of
  // unsafe characters) and reads back. (Texts of
  // any length, lookalikes and forms that must not read back: the
  // VisibleTextFuzz target and its seeds.)
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const std::wstring one(1, static_cast<wchar_t>(u));
    const std::wstring visible = VisibleText(one);
    ASSERT_FALSE(qlmtest::HoldsUnsafeCharacter(visible)) << std::hex << u;
    ASSERT_EQ(FromVisibleText(visible), std::optional<std::wstring>(one)) << std::hex << u;
  }
}

}  // namespace
