// Any text as an add-on's address or file name: the file part of a "res://"
// or "file://" address is a piece of the address itself (nothing made up,
// nothing read past it), any other text is kept as it is; a 32-bit file
// name is moved to the 32-bit system folder only when it is a bare name or
// lies in the system folder itself; the kind of a user key agrees with its
// name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "engine/text/AddonText.h"

namespace {

using qlmfuzz::Check;
using namespace discovery::text;

const wchar_t kAlphabet[] = L"res://file:///C:\\/RESFILE.dll,1 %_ClassesS-1-.DEFAULTdefault?\u0130\u017f";

bool StartsWithNoCase(const std::wstring& text, const std::wstring& lowerPrefix) {
  return text.size() >= lowerPrefix.size() && AsciiLower(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

void CheckAddress(const std::wstring& address) {
  const std::wstring file = ResourceAddressFile(address);
  if (StartsWithNoCase(address, L"res://")) {
    // The file is what follows "res://" up to the page's "/".
    Check(address.compare(6, file.size(), file) == 0);
    Check(file.size() == address.size() - 6 || address[6 + file.size()] == L'/');
    Check(file.size() <= 1 || file.find(L'/', 1) == std::wstring::npos);
  } else {
    Check(file == address);
  }

  const std::wstring script = MenuScriptFile(address);
  if (StartsWithNoCase(address, L"res://")) {
    Check(script == file);
  } else if (StartsWithNoCase(address, L"file://")) {
    // The path, with at most the one "/" before a drive letter removed.
    Check(script.size() + 7 <= address.size() && address.size() - script.size() <= 8);
    Check(address.compare(address.size() - script.size(), script.size(), script) == 0);
  } else {
    Check(script == address);
  }
}

void CheckWow32Name(const std::wstring& name, const std::wstring& systemFolder) {
  const std::wstring wow32 = L"C:\\Windows\\SysWOW64";
  const std::wstring moved = Wow32SystemFile(name, systemFolder, wow32);
  if (moved.empty()) return;
  Check(!name.empty() && !systemFolder.empty());
  if (name.find_first_of(L"\\/:") == std::wstring::npos) {
    Check(moved == wow32 + L"\\" + name);
  } else {
    // Only a name in the system folder itself (not in a folder whose name
    // merely begins the same) moves, keeping the rest of its path.
    Check(name.size() > systemFolder.size() && name[systemFolder.size()] == L'\\');
    Check(AsciiLower(name.substr(0, systemFolder.size())) == AsciiLower(systemFolder));
    Check(moved == wow32 + name.substr(systemFolder.size()));
  }
}

void CheckUserKey(const std::wstring& name) {
  const UserKeyKind kind = ClassifyUserKey(name);
  Check((kind == UserKeyKind::Default) == (AsciiUpper(name) == L".DEFAULT"));
  if (kind == UserKeyKind::Sid) Check(name.compare(0, 2, L"S-") == 0);
  if (kind == UserKeyKind::Classes) Check(name.size() >= 8 && AsciiUpper(name.substr(name.size() - 8)) == L"_CLASSES");
  if (kind == UserKeyKind::Other) Check(name.compare(0, 2, L"S-") != 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qlmfuzz::FuzzInput in(data, size);
  const std::wstring text = in.Text(200, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
  const std::wstring folder = in.Text(30, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
  CheckAddress(text);
  CheckWow32Name(text, folder);
  CheckWow32Name(text, L"C:\\Windows\\System32");
  CheckUserKey(text);
  return 0;
}
