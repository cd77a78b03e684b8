#include "components/StoatlineRules.h"

namespace Stoatline {

std::wstring ProgramInFolder(const std::wstring& argument) {
  const wchar_t* blanks = L" \t\r\n";
  const auto first = argument.find_first_not_of(blanks);
  if (first == std::wstring::npos) return {};
  std::wstring folder = argument.substr(first, argument.find_last_not_of(blanks) + 1 - first);
  if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return {};
  return folder + L"\\Quillmoor.exe";
}

std::wstring FolderOf(const std::wstring& program) {
  const auto cut = program.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : program.substr(0, cut);
}

}  // namespace Stoatline
