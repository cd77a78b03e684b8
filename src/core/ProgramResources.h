#pragma once
// Opens a program file as an image resource, so that its images can be read
// by module handle. The file is mapped for its resources only; none of its
// code runs. One object holds at most one module at a time.
#include <windows.h>

#include <string>

#include "core/QlmError.h"
#include "ozcore/UniqueHandle.h"

class ProgramResources {
 public:
  // Error raised by Init when the module cannot be loaded.
  static constexpr std::int32_t kInitFailed = kObjectErrorBase + 3375;  // -2147218129
  // The inner load failure, turned into kInitFailed before it leaves Init.
  static constexpr std::int32_t kLoadFailed = kObjectErrorBase + 1049;  // -2147220455

  ProgramResources() = default;
  ProgramResources(const ProgramResources&) = delete;
  ProgramResources& operator=(const ProgramResources&) = delete;

  // Releases any loaded module, then loads fileName. Empty name: false, no
  // error. A file that cannot be loaded raises QlmError(kInitFailed,
  // "ProgramResources.Init", "ProgramResources component failure in Function Init"); then
  // hModule() is null and FileName() holds the name that failed.
  bool Init(const std::wstring& fileName);

  const std::wstring& FileName() const { return fileName_; }
  void SetFileName(const std::wstring& fileName);
  HMODULE hModule() const { return module_.get(); }

  // The running program's own file, whatever it has been renamed to.
  static std::wstring ProgramFile();
  // Its folder, without a trailing separator.
  static std::wstring ProgramFolder();
  // The program's own version numbers, from its version resource (file
  // version: major, minor and the third number as the revision).
  static bool ProgramVersion(int& major, int& minor, int& revision);

 private:
  std::wstring fileName_;
  UniqueModule module_;
};
