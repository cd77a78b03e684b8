// Any text as a registry file string: the classification ends, never reads
// out of bounds, and agrees with itself on the parts it reports.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/files/PathKind.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes a UTF-16 unit, as the registry stores text; a short-lived
  // alphabet of the characters the rules look at makes the deep cases
  // reachable from small inputs.
  static const wchar_t alphabet[] = L"\\/:.?%\"CcOoNnUuLlPpTtRrEeSsFfIiHhMmDdVvGgAaBbXx5| \t$1";
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const unsigned unit = static_cast<unsigned>(data[i]) | (static_cast<unsigned>(data[i + 1]) << 8);
    text.push_back(unit < 0x8000 ? alphabet[unit % (sizeof(alphabet) / sizeof(wchar_t) - 1)]
                                 : static_cast<wchar_t>(unit));
  }
  const discovery::PathKind kind = discovery::ClassifyPath(text);
  const wchar_t drive = discovery::PathDriveLetter(text);
  if (drive != 0 && !(drive >= L'A' && drive <= L'Z')) std::abort();
  // A quoted path classifies as the same path followed by arguments (blanks
  // at the ends are part of a quoted path, and trimmed from a bare one).
  const bool blankEnds = !text.empty() && (text.front() == L' ' || text.front() == L'\t' || text.back() == L' ' ||
                                           text.back() == L'\t');
  if (text.find(L'"') == std::wstring::npos && !blankEnds) {
    if (discovery::ClassifyPath(L"\"" + text + L"\" /x") != kind) std::abort();
  }
  discovery::IsDriveAbsolutePath(text);
  discovery::IsReservedDeviceName(text);
  return 0;
}
