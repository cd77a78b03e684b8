#pragma once
// Registry entries a test makes in shared places (the browser's add-on
// keys, classes, HKEY_USERS): only what the test made is removed again, in
// reverse order, also when the test fails, and without following links, so
// that removing a link never empties its target.
#include <windows.h>

#include <string>
#include <vector>

#include "ozcore/UniqueHandle.h"

namespace qlmtest {

class RegFixture {
 public:
  RegFixture() = default;
  ~RegFixture();
  RegFixture(const RegFixture&) = delete;
  RegFixture& operator=(const RegFixture&) = delete;

  // Makes the key and any missing parent; the topmost key made is removed
  // at the end. True when the key was made here.
  bool Key(HKEY root, const std::wstring& path);
  // Sets a value (making the key as above); a value added to a key that
  // was there before is removed at the end.
  void Value(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
             std::size_t size);
  void String(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
              DWORD type = REG_SZ);
  void Dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
  // Names as adware writes them, through the native calls: a key whose last
  // part is counted (NUL and line breaks are data) below root\parent, a
  // value with a counted name, a link key pointing at a kernel path.
  UniqueKey Counted(HKEY root, const std::wstring& parent, const std::wstring& name);
  void CountedString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
  void Link(HKEY root, const std::wstring& parent, const std::wstring& name, const std::wstring& target);
  // Removes everything now rather than at destruction.
  void Undo();

 private:
  struct Step {
    HKEY root;
    std::wstring parent, name;  // a key: parent\name; a value: the key and the value's name
    bool isKey;
  };
  void MadeKey(HKEY root, const std::wstring& path);
  std::vector<Step> steps_;
};

}  // namespace qlmtest
