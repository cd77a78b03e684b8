// Any text as an indirect string ("@file,-number"): a text read as one
// gives a file without the spaces at its ends or a comma, and a string
// number; "@" + file + ",-" + number reads as the same; what follows a
// second comma is never read; a text refused leaves nothing behind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "engine/files/IndirectStringText.h"

namespace {

const wchar_t kAlphabet[] = L"@,-.0123456789 \tshell32.dll%65535e+\u0660\uff10";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using qlmfuzz::Check;
  qlmfuzz::FuzzInput in(data, size);
  const std::wstring text = in.Text(255, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));

  std::wstring file = L"left over";
  std::uint32_t number = 7;
  const bool read = discovery::ParseIndirectString(text, file, number);
  if (!read) {
    Check(file.empty() && number == 0);
  } else {
    Check(!file.empty() && number <= 65535);
    Check(file.front() != L' ' && file.back() != L' ' && file.find(L',') == std::wstring::npos);
    Check(text[0] == L'@' && text.find(file) != std::wstring::npos);

    std::wstring againFile;
    std::uint32_t againNumber = 0;
    Check(discovery::ParseIndirectString(L"@" + file + L",-" + std::to_wstring(number), againFile, againNumber));
    Check(againFile == file && againNumber == number);
  }

  // Anything after a second comma is not part of the string's number.
  const std::size_t comma = text.find(L',', 1);
  if (comma != std::wstring::npos) {
    const std::wstring tail = in.Text(16, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
    const std::wstring longer = text.find(L',', comma + 1) != std::wstring::npos ? text + tail : text + L"," + tail;
    std::wstring otherFile;
    std::uint32_t otherNumber = 0;
    Check(discovery::ParseIndirectString(longer, otherFile, otherNumber) == read);
    Check(otherFile == file && otherNumber == number);
  }
  return 0;
}
