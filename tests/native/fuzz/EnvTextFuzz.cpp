// Any text expanded with a fixed set of variables: a text without
// references comes back as it is; with no variable set, or with every
// variable standing for its own reference, every text comes back as it is
// (no character lost, doubled or read past the end); a value brought in
// is never expanded again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "ozcore/EnvText.h"

namespace {

using qlmfuzz::Check;

const wchar_t kAlphabet[] = L"%%%ABQab_()x86ProgramFiles \\\0";

std::optional<std::wstring> Fixed(const std::wstring& name) {
  // Names without regard to A-Z case, as the system compares them.
  std::wstring upper = name;
  for (auto& ch : upper)
    if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
  if (upper == L"A") return std::wstring(L"[a]");
  if (upper == L"B") return std::wstring(L"%A%");
  if (upper == L"PROGRAMFILES") return std::wstring(L"C:\\Program Files");
  if (upper == L"_") return std::wstring();
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qlmfuzz::FuzzInput in(data, size);
  const std::wstring text = in.Text(255, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));

  const std::wstring expanded = envtext::Expand(text, Fixed);
  if (text.find(L'%') == std::wstring::npos) Check(expanded == text);
  // Only references written in the text are looked up, never one a value
  // brought in.
  bool onlyWritten = true;
  envtext::Expand(text, [&](const std::wstring& name) {
    onlyWritten = onlyWritten && text.find(L"%" + name + L"%") != std::wstring::npos;
    return std::optional<std::wstring>(L"%Q%");
  });
  Check(onlyWritten);

  Check(envtext::Expand(text, [](const std::wstring&) { return std::optional<std::wstring>(); }) == text);
  Check(envtext::Expand(text, [](const std::wstring& name) { return std::optional<std::wstring>(L"%" + name + L"%"); }) ==
        text);

  envtext::Wow32Variable(text);
  envtext::Wow32FixedValue(text);
  return 0;
}
