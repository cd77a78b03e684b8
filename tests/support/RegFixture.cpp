#include "support/RegFixture.h"

#include "ozcore/UniqueHandle.h"
#include "support/TestSupport.h"

namespace qlmtest {

RegFixture::~RegFixture() { Undo(); }

bool RegFixture::Key(HKEY root, const std::wstring& path) {
  std::size_t pos = 0;
  for (;;) {
    const auto next = path.find(L'\\', pos);
    const std::wstring prefix = path.substr(0, next);
    if (!KeyPresent(root, prefix)) {
      CreateKey(root, path);
      steps_.push_back({root, prefix, L"", true});
      return true;
    }
    if (next == std::wstring::npos) return false;
    pos = next + 1;
  }
}

void RegFixture::Value(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                       std::size_t size) {
  const bool made = Key(root, path);
  SetValue(root, path, name, type, data, size);
  if (!made) steps_.push_back({root, path, name, false});
}

void RegFixture::String(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
                        DWORD type) {
  Value(root, path, name, type, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

void RegFixture::Undo() {
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    if (it->isKey) {
      DeleteTree(it->root, it->path);
    } else {
      UniqueKey key;
      if (RegOpenKeyExW(it->root, it->path.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), it->value.c_str());
    }
  }
  steps_.clear();
}

}  // namespace qlmtest
