#include "engine/files/StringTableBlock.h"

namespace discovery {

namespace {

// Little-endian, whatever the machine; the caller has checked at + 2 <= size.
std::uint16_t WordAt(const unsigned char* data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

}  // namespace

std::optional<std::wstring> StringFromBlock(const unsigned char* data, std::size_t size, std::uint32_t index) {
  if (data == nullptr || index >= kStringsPerBlock) return std::nullopt;
  std::size_t pos = 0;
  for (std::uint32_t i = 0;; ++i) {
    if (size - pos < 2) return std::nullopt;
    const std::size_t count = WordAt(data, pos);
    pos += 2;
    if (count > (size - pos) / 2) return std::nullopt;
    if (i == index) {
      std::wstring text;
      text.reserve(count);
      for (std::size_t k = 0; k < count; ++k) text.push_back(static_cast<wchar_t>(WordAt(data, pos + 2 * k)));
      return text;
    }
    pos += 2 * count;
  }
}

}  // namespace discovery
