#pragma once
// Registry entries a test makes in shared places (the browser's add-on
// keys, classes, HKEY_USERS): only what the test made is removed again, in
// reverse order, also when the test fails.
#include <windows.h>

#include <string>
#include <vector>

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
  // Removes everything now rather than at destruction.
  void Undo();

 private:
  struct Step {
    HKEY root;
    std::wstring path;
    std::wstring value;
    bool isKey;
  };
  std::vector<Step> steps_;
};

}  // namespace qlmtest
