#include "support/TestSupport.h"

#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <stdexcept>

#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"

namespace qlmtest {
namespace {

std::atomic<int> counter{0};

void Check(LONG rc, const char* what) {
  if (rc != ERROR_SUCCESS) throw std::runtime_error(std::string(what) + " failed: " + std::to_string(rc));
}

std::wstring ModuleFolder() {
  wchar_t buf[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  std::wstring path(buf, n);
  return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace

ScratchKey::ScratchKey(HKEY root, const std::wstring& label) : root_(root) {
  path_ = L"Software\\QuillmoorTests\\" + label + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(counter++);
  DeleteTree(root_, path_);
  CreateKey(root_, path_);
}

ScratchKey::~ScratchKey() { DeleteTree(root_, path_); }

std::wstring ScratchKey::Sub(const std::wstring& sub) const { return sub.empty() ? path_ : path_ + L"\\" + sub; }

void CreateKey(HKEY root, const std::wstring& path) {
  UniqueKey key;
  Check(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr), "RegCreateKeyEx");
}

void SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
              std::size_t size) {
  UniqueKey key;
  Check(RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr), "RegCreateKeyEx");
  Check(RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
        "RegSetValueEx");
}

void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value, DWORD type) {
  SetValue(root, path, name, type, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  SetValue(root, path, name, REG_DWORD, &value, sizeof(value));
}

void DeleteTree(HKEY root, const std::wstring& path) {
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
  RegDeleteTreeW(key.get(), nullptr);
  key.reset();
  RegDeleteKeyW(root, path.c_str());
}

bool KeyPresent(HKEY root, const std::wstring& path) {
  UniqueKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool RawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type,
              std::vector<unsigned char>& data) {
  UniqueKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  data.resize(size);
  return RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
}

namespace {
int Run(const std::wstring& commandLine, HANDLE output, HANDLE error, DWORD timeoutMs) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (output) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output;
    si.hStdError = error ? error : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  std::wstring cmd = commandLine;
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, output != nullptr, CREATE_NO_WINDOW, nullptr, nullptr,
                      &si, &pi))
    return -1;
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

UniqueFile Inheritable(const std::wstring& file) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  return UniqueFile(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}
}  // namespace

int RunProcess(const std::wstring& commandLine, DWORD timeoutMs) {
  return Run(commandLine, nullptr, nullptr, timeoutMs);
}

int RunProcessTo(const std::wstring& commandLine, const std::wstring& outputFile, DWORD timeoutMs) {
  UniqueFile out = Inheritable(outputFile);
  return out ? Run(commandLine, out.get(), nullptr, timeoutMs) : -1;
}

ProcessOutput RunCaptured(const std::wstring& commandLine) {
  TempFolder tmp;
  ProcessOutput result;
  {
    UniqueFile out = Inheritable(tmp.File(L"out")), err = Inheritable(tmp.File(L"err"));
    if (out && err) result.code = Run(commandLine, out.get(), err.get(), 120000);
  }
  result.out = ReadBytes(tmp.File(L"out"));
  result.err = ReadBytes(tmp.File(L"err"));
  return result;
}

std::wstring RegExe() { return CUtilities::WindowsFolder() + L"\\system32\\reg.exe"; }

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  // Always a folder of its own: Wine reuses process ids, and a folder an
  // earlier run could not remove (links, taken rights) may still be there.
  do {
    path_ = std::wstring(base) + L"qlmtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempFolder::~TempFolder() {
  // Double-NUL-terminated for the shell's delete.
  std::wstring from = path_;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

std::string ReadBytes(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr));
  if (!file) return {};
  std::string out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(file.get(), buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}

std::wstring ReadUtf16File(const std::wstring& path) {
  const std::string bytes = ReadBytes(path);
  std::wstring text;
  std::size_t start = (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE)
                          ? 2
                          : 0;
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2)
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return text;
}

std::wstring ReadUtf8File(const std::wstring& path) {
  std::string bytes = ReadBytes(path);
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  return CUtilities::FromUtf8(bytes);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) throw std::runtime_error("cannot create " + Narrow(path));
  DWORD n = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buf[2048] = {};
  const DWORD n = GetShortPathNameW(path.c_str(), buf, 2048);
  if (n == 0 || n >= 2048) throw std::runtime_error("no short path for " + Narrow(path));
  return std::wstring(buf, n);
}

std::wstring TestBinFolder() { return ModuleFolder(); }
std::wstring DistFolder() { return ModuleFolder() + L"\\..\\dist"; }
std::wstring FixtureFolder() { return ModuleFolder() + L"\\fixtures"; }

std::wstring FixtureSha256(const std::wstring& name) {
  const std::string sums = ReadBytes(FixtureFolder() + L"\\SHA256SUMS"), line = "  " + Narrow(name) + "\n";
  const std::size_t at = sums.find(line);
  return at == std::string::npos || at < 64 ? std::wstring() : std::wstring(sums.begin() + at - 64, sums.begin() + at);
}

std::wstring NewClsid() {
  GUID guid{};
  CoCreateGuid(&guid);
  wchar_t buf[64] = {};
  StringFromGUID2(guid, buf, 64);
  return buf;
}

std::wstring Pid() { return std::to_wstring(GetCurrentProcessId()); }

std::wstring FakeUserSid(int n) { return L"S-1-5-21-7070-" + Pid() + L"-" + std::to_wstring(n); }

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::wstring Wow32Path(const std::wstring& path) {
  const std::wstring classes = L"Software\\Classes\\";
  const bool isClass = Upper(path.substr(0, classes.size())) == Upper(classes);
  const std::size_t at = isClass ? classes.size() : path.find(L'\\') + 1;
  return path.substr(0, at) + L"Wow6432Node\\" + path.substr(at);
}

std::string Narrow(const std::wstring& text) { return CUtilities::ToUtf8(text); }

bool RegImport(const std::wstring& text, const std::wstring& folder) {
  const std::wstring file = folder + L"\\import.reg";
  std::string bytes = "\xFF\xFE";
  for (wchar_t ch : text) {
    bytes.push_back(static_cast<char>(ch & 0xFF));
    bytes.push_back(static_cast<char>(ch >> 8));
  }
  WriteBytes(file, bytes);
  return RunProcess(L"\"" + RegExe() + L"\" import \"" + file + L"\"") == 0;
}

std::string UnixPath(const std::wstring& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* text = toUnix ? toUnix(path.c_str()) : nullptr;
  if (!text) return {};
  std::string unix(text);
  HeapFree(GetProcessHeap(), 0, text);
  return unix;
}

}  // namespace qlmtest
