#include "core/DllSearch.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

namespace dllsearch {
namespace {

// The DLLs the program ships beside its executables.
constexpr const wchar_t* kProgramDlls[] = {L"ozCore.dll", L"QLMCustom.dll", L"Stoatline.dll"};

// Taken from the process's own file, not from ProgramResources: this runs
// while imports are bound, before anything of the common library may be
// called.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t cut = path.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

bool IsProgramDll(const wchar_t* name) {
  for (const wchar_t* own : kProgramDlls)
    if (CompareStringOrdinal(name, -1, own, -1, TRUE) == CSTR_EQUAL) return true;
  return false;
}

// An import's name as the loader hands it: plain ASCII from our own image.
std::wstring Widen(const char* text) {
  std::wstring out;
  for (; text && *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

FARPROC WINAPI BindImport(unsigned notify, PDelayLoadInfo info) {
  if (notify != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  const std::wstring name = Widen(info->szDll);
  // A name with a path in it is no import of ours: never searched for.
  HMODULE module = nullptr;
  if (name.find_first_of(L"\\/:") == std::wstring::npos) {
    module = IsProgramDll(name.c_str()) ? LoadProgramDll(name.c_str()).release()
                                        : LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  // Not found where it belongs: the program itself stands in, whose missing
  // entry points the failure handling reports, so that the helper does not
  // go on to search the current folder and PATH.
  if (!module) module = GetModuleHandleW(nullptr);
  return reinterpret_cast<FARPROC>(module);
}

}  // namespace

void RestrictDllSearch() {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
  __pfnDliNotifyHook2 = &BindImport;
}

UniqueModule LoadProgramDll(const wchar_t* name) {
  const std::wstring folder = ProgramFolder();
  if (folder.empty() || !IsProgramDll(name)) return UniqueModule();
  const std::wstring path = folder + name;
  return UniqueModule(
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace dllsearch
