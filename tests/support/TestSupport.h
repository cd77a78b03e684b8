#pragma once
// Helpers for tests that run under Wine against the real registry of the
// build tree's own prefix.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qlmtest {

// A registry key that belongs to one test: its path is unique to the test
// and the process, and the key is deleted with everything below it when the
// object goes. Tests that must use fixed, shared locations say so with a
// CTest resource lock instead.
class ScratchKey {
 public:
  ScratchKey(HKEY root, const std::wstring& label);
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  HKEY Root() const { return root_; }
  const std::wstring& Path() const { return path_; }
  // path_ + "\" + sub (sub may be empty).
  std::wstring Sub(const std::wstring& sub) const;

 private:
  HKEY root_;
  std::wstring path_;
};

// Direct registry writes for setting up fixtures (the program itself only
// reads through the common library). Missing keys are created.
void CreateKey(HKEY root, const std::wstring& path);
void SetValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
              std::size_t size);
void SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
               DWORD type = REG_SZ);
void SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
void DeleteTree(HKEY root, const std::wstring& path);
bool KeyPresent(HKEY root, const std::wstring& path);
// The raw bytes and type of a value; false when missing.
bool RawValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD& type,
              std::vector<unsigned char>& data);

// Runs a program and waits for it; returns its exit code, or -1.
int RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 120000);
// The same with the process's standard output written to outputFile.
int RunProcessTo(const std::wstring& commandLine, const std::wstring& outputFile, DWORD timeoutMs = 120000);
// The exit code (-1: did not run or end) and what it wrote to standard
// output and standard error.
struct ProcessOutput {
  int code = -1;
  std::string out, err;
};
ProcessOutput RunCaptured(const std::wstring& commandLine);
// The system's reg.exe.
std::wstring RegExe();
// Merges registry-file text (header line included) with reg.exe, through a
// UTF-16 file in folder; true when reg.exe says it did.
bool RegImport(const std::wstring& text, const std::wstring& folder);

// A new empty folder for this test, removed with its files at destruction.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

std::string ReadBytes(const std::wstring& path);
// A UTF-16LE file with its byte-order mark, as text (mark removed).
std::wstring ReadUtf16File(const std::wstring& path);
// The UTF-8 text of a file, as UTF-16.
std::wstring ReadUtf8File(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

// The 8.3 form of an existing path; a runtime_error when there is none.
std::wstring ShortPath(const std::wstring& path);

// Folders of this build: the test programs' own and the distribution.
std::wstring TestBinFolder();
std::wstring DistFolder();
std::wstring FixtureFolder();
// A fixture file's SHA-256 as sha256sum gave it when the fixtures were built.
std::wstring FixtureSha256(const std::wstring& name);

// A new random braced CLSID string in upper case.
std::wstring NewClsid();
// This process's id as text, for names no other test run uses.
std::wstring Pid();
// A made-up signed-in user: a SID-shaped key name below HKEY_USERS.
std::wstring FakeUserSid(int n);
// The text in capitals: the registry compares names without regard to case.
std::wstring Upper(std::wstring text);
// Where the 32-bit view of 64-bit Windows keeps a machine key: its path in
// the native view ("Software\X" gives "Software\Wow6432Node\X", classes
// "Software\Classes\Wow6432Node\...").
std::wstring Wow32Path(const std::wstring& path);

// Text for failure messages.
std::string Narrow(const std::wstring& text);
// The Unix path Wine gives a Windows path; empty when it has none.
std::string UnixPath(const std::wstring& path);

}  // namespace qlmtest
