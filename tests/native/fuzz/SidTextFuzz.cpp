// Any text as a security identifier: a text read as one has the parts a
// SID can have, written back in the usual form it reads as the same parts,
// and "-" separators doubled or added at the end change nothing; a text
// refused leaves no parts behind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "engine/text/SidText.h"

namespace {

const wchar_t kAlphabet[] = L"S-0123456789-1-5-21--s \t+x4294967295\u0660";

std::wstring UsualForm(const discovery::SidParts& parts) {
  std::wstring text = L"S-1-" + std::to_wstring(parts.authority);
  for (std::uint32_t sub : parts.subAuthorities) text += L"-" + std::to_wstring(sub);
  return text;
}

bool SameParts(const discovery::SidParts& a, const discovery::SidParts& b) {
  return a.authority == b.authority && a.subAuthorities == b.subAuthorities;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using qlmfuzz::Check;
  qlmfuzz::FuzzInput in(data, size);
  const std::wstring text = in.Text(255, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));

  discovery::SidParts parts;
  parts.authority = 7;
  parts.subAuthorities = {1, 2};
  if (!discovery::ParseSidText(text, parts)) {
    Check(parts.authority == 0 && parts.subAuthorities.empty());
    return 0;
  }
  Check(!parts.subAuthorities.empty() && parts.subAuthorities.size() <= 15);
  // Past the prefix only digits and separators were read.
  const std::size_t first = text.find(L'-');
  Check(first != std::wstring::npos);
  Check(text.find_first_not_of(L"0123456789-", first) == std::wstring::npos);

  discovery::SidParts again;
  Check(discovery::ParseSidText(UsualForm(parts), again) && SameParts(parts, again));
  Check(discovery::ParseSidText(text + L"-", again) && SameParts(parts, again));
  Check(discovery::ParseSidText(L"S-" + text.substr(first), again) && SameParts(parts, again));
  std::wstring doubled = text;
  for (std::size_t at = doubled.find(L'-'); at != std::wstring::npos; at = doubled.find(L'-', at + 2))
    doubled.insert(at, 1, L'-');
  Check(discovery::ParseSidText(doubled, again) && SameParts(parts, again));
  return 0;
}
