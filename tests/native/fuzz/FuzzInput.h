#pragma once
// Reads a fuzz input as a few small pieces (counts, texts, bytes), so one
// input can describe a structure. An exhausted input gives zeros and empty
// pieces: every input means something.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace qlmfuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }

  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  std::uint16_t Unit() {
    const unsigned low = Byte();
    return static_cast<std::uint16_t>(low | (static_cast<unsigned>(Byte()) << 8));
  }

  // A text of up to maxUnits UTF-16 units (a count byte, then two bytes a
  // unit, low byte first). Units below 0x7F00 pick from the alphabet, so
  // the characters the code under test looks at come up often; 0x7Fxx is
  // the character xx (any Latin-1 one, for readable seeds); units from
  // 0x8000 are taken as they are (surrogates, private use, anything).
  std::wstring Text(std::size_t maxUnits, const wchar_t* alphabet, std::size_t alphabetSize) {
    const std::size_t count = Byte() % (maxUnits + 1);
    std::wstring out;
    for (std::size_t i = 0; i < count && !Empty(); ++i) {
      const std::uint16_t unit = Unit();
      if (unit < 0x7F00)
        out.push_back(alphabet[unit % alphabetSize]);
      else
        out.push_back(static_cast<wchar_t>(unit < 0x8000 ? unit & 0xFF : unit));
    }
    return out;
  }

  // Up to count raw bytes (fewer when the input ends).
  std::vector<unsigned char> Bytes(std::size_t count) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i < count && !Empty(); ++i) out.push_back(Byte());
    return out;
  }

  // The rest of the input as UTF-16 units, two bytes each, low byte first.
  std::wstring RestAsUnits() {
    std::wstring out;
    while (pos_ + 1 < size_) out.push_back(static_cast<wchar_t>(Unit()));
    pos_ = size_;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The alphabet of a string literal (without its closing NUL, with the NULs
// written inside it).
template <std::size_t N>
constexpr std::size_t AlphabetSize(const wchar_t (&)[N]) {
  return N - 1;
}

// The whole input as UTF-16 units, two bytes a unit, low byte first (a
// stray last byte dropped).
inline std::wstring Utf16Units(const std::uint8_t* data, std::size_t size) {
  std::wstring out;
  out.reserve(size / 2);
  for (std::size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace qlmfuzz
