#pragma once
// A block of a file's string table (an RT_STRING resource), read by our own
// code: the block comes from an add-on file and every count in it is
// checked against the block. Platform-free.
//
// A block holds 16 strings one after another, each a 16-bit count of UTF-16
// units followed by that many units (no NUL). String number N lives in
// block N / 16 + 1 at index N % 16.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace discovery {

constexpr std::uint32_t kStringsPerBlock = 16;

constexpr std::uint32_t StringBlockId(std::uint32_t number) { return number / kStringsPerBlock + 1; }
constexpr std::uint32_t StringBlockIndex(std::uint32_t number) { return number % kStringsPerBlock; }

// The string at index (0-15) of the block of size bytes at data; empty for
// a string of no units. Nothing when the index is out of range, or the
// string or one before it has a count that runs past the block (the strings
// after such a count cannot be found).
std::optional<std::wstring> StringFromBlock(const unsigned char* data, std::size_t size, std::uint32_t index);

}  // namespace discovery
