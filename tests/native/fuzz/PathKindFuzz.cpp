// Any text as a registry file string: the classification ends, never reads
// out of bounds, and agrees with itself on the parts it reports; resolving
// it over files of drive C: asks them only for full local paths on C:
// without "." or ".." parts, whatever the text (also as a variable's value).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/files/PathKind.h"
#include "engine/files/SourceFileFacts.h"
#include "support/AskedFileSource.h"

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

  qlmtest::AskedFileSource files;
  files.files.AddFile(L"C:\\Windows\\System32\\x.dll", {});
  engine::SystemDescription system;
  system.environment = {{L"SystemRoot", L"C:\\Windows"}, {L"T", text}};
  system.systemFolder32 = L"C:\\Windows\\SysWOW64";
  system.searchFolders = {L"%SystemRoot%\\System32", L"%T%", L"C:\\"};
  engine::SourceFileFacts facts(files, system);
  for (const bool as32 : {false, true}) {
    facts.Resolve(text, as32);
    facts.Resolve(L"%T%", as32);
    facts.IndirectString(L"@" + text + L",-1", as32);
  }
  facts.Exists(text);
  facts.VersionStrings(text);
  for (const auto& path : files.asked) {
    if (path.size() < 3 || (path[0] != L'C' && path[0] != L'c') || path.compare(1, 2, L":\\") != 0) std::abort();
    if (discovery::ClassifyPath(path) != discovery::PathKind::Local) std::abort();
    for (std::size_t at = 2; path.size() > 3 && at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
      const std::wstring part = path.substr(at + 1, path.find(L'\\', at + 1) - at - 1);
      if (part == L"." || part == L".." || part.empty()) std::abort();
    }
  }
  return 0;
}
