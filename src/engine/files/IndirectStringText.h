#pragma once
// The form of an indirect resource string: "@" + file + "," + "-" + number.
// Platform-free.
#include <cstdint>
#include <string>

namespace discovery {

// Splits an indirect string into its file (spaces at both ends removed) and
// string number. The number piece is read with every "-" removed: leading
// spaces, then a decimal number up to the first character that is not part
// of it, rounded to a whole number (a half to the even neighbour); no digits
// read as 0. False for a text that does not begin with "@", has no ",",
// has an empty file, or a number that is no string number (above 65535).
bool ParseIndirectString(const std::wstring& text, std::wstring& file, std::uint32_t& number);

}  // namespace discovery
