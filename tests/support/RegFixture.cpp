#include "support/RegFixture.h"

#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

namespace qlmtest {

RegFixture::~RegFixture() { Undo(); }

void RegFixture::MadeKey(HKEY root, const std::wstring& path) {
  const auto slash = path.rfind(L'\\');
  steps_.push_back({root, slash == std::wstring::npos ? L"" : path.substr(0, slash), path.substr(slash + 1), true});
}

bool RegFixture::Key(HKEY root, const std::wstring& path) {
  std::size_t pos = 0;
  for (;;) {
    const auto next = path.find(L'\\', pos);
    const std::wstring prefix = path.substr(0, next);
    if (!KeyPresent(root, prefix)) {
      CreateKey(root, path);
      MadeKey(root, prefix);
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

void RegFixture::Dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  Value(root, path, name, REG_DWORD, &value, sizeof value);
}

UniqueKey RegFixture::Counted(HKEY root, const std::wstring& parent, const std::wstring& name) {
  Key(root, parent);
  steps_.push_back({root, parent, name, true});
  return hostile::CreateKey(root, parent, name);
}

void RegFixture::CountedString(HKEY root, const std::wstring& path, const std::wstring& name,
                               const std::wstring& value) {
  const bool made = Key(root, path);
  const auto slash = path.rfind(L'\\');
  hostile::SetString(hostile::CreateKey(root, path.substr(0, slash), path.substr(slash + 1)).get(), name, value);
  if (!made) steps_.push_back({root, path, name, false});
}

void RegFixture::Link(HKEY root, const std::wstring& parent, const std::wstring& name, const std::wstring& target) {
  Key(root, parent);
  steps_.push_back({root, parent, name, true});
  hostile::CreateLink(root, parent, name, target);
}

void RegFixture::Undo() {
  for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
    if (it->isKey)
      hostile::DeleteTree(it->root, it->parent, it->name);
    else
      hostile::DeleteValue(it->root, it->parent, it->name);
  }
  steps_.clear();
}

}  // namespace qlmtest
