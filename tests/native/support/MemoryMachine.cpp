#include "support/MemoryMachine.h"

#include "engine/files/IndirectStringText.h"
#include "engine/text/AddonText.h"
#include "ozcore/EnvText.h"

namespace qlmtest {

using discovery::text::AsciiUpper;

void MemoryFiles::Add(const std::wstring& path, File file) { files_[AsciiUpper(path)] = {path, std::move(file)}; }

void MemoryFiles::SetVariable(const std::wstring& name, const std::wstring& value, bool for32BitProcess) {
  (for32BitProcess ? variables32_ : variables_)[AsciiUpper(name)] = value;
}

const MemoryFiles::File* MemoryFiles::Find(const std::wstring& path, std::wstring* storedPath) const {
  const auto it = files_.find(AsciiUpper(path));
  if (it == files_.end()) return nullptr;
  if (storedPath) *storedPath = it->second.first;
  return &it->second.second;
}

std::wstring MemoryFiles::Expand(const std::wstring& text, bool as32BitProcess) {
  return envtext::Expand(text, [&](const std::wstring& name) -> std::optional<std::wstring> {
    const std::wstring upper = AsciiUpper(name);
    if (as32BitProcess) {
      const auto it = variables32_.find(upper);
      if (it != variables32_.end()) return it->second;
    }
    const auto it = variables_.find(upper);
    if (it == variables_.end()) return std::nullopt;
    return it->second;
  });
}

engine::PathKind MemoryFiles::Kind(const std::wstring& fileString) { return discovery::ClassifyPath(fileString); }

std::wstring MemoryFiles::Resolve(const std::wstring& fileString, bool as32BitProcess) {
  if (fileString.empty() || Kind(Expand(fileString, as32BitProcess)) != engine::PathKind::Local) return fileString;
  std::wstring name = Expand(fileString, as32BitProcess);
  if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') name = name.substr(1, name.size() - 2);
  std::wstring stored;
  if (Find(name, &stored)) return stored;
  if (name.find(L'\\') == std::wstring::npos && Find(SystemFolder(as32BitProcess) + L"\\" + name, &stored))
    return stored;
  return name;
}

bool MemoryFiles::Exists(const std::wstring& path) { return Find(path) != nullptr; }

CStringDictionary MemoryFiles::VersionStrings(const std::wstring& file) {
  CStringDictionary strings;
  if (const File* found = Find(file))
    for (const auto& [name, value] : found->versionStrings) strings.Add(value, name);
  return strings;
}

std::wstring MemoryFiles::IndirectString(const std::wstring& text, bool as32BitProcess) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!discovery::ParseIndirectString(text, file, number)) return text;
  const File* found = Find(Resolve(file, as32BitProcess));
  if (!found) return text;
  const auto it = found->strings.find(number);
  return it == found->strings.end() ? text : it->second;
}

std::wstring MemoryFiles::SystemFolder(bool as32BitProcess) { return as32BitProcess ? kSystem32Bit : kSystem; }

std::wstring MemoryFiles::SignatureText(const std::wstring& file) {
  const File* found = Find(file);
  return found ? found->signature : std::wstring();
}

}  // namespace qlmtest
