#include "ozcore/RegistryWalk.h"

#include "ozcore/NativeRegistry.h"
#include "ozcore/RegExportText.h"
#include "ozcore/UniqueHandle.h"

namespace regwalk {
namespace {

std::vector<unsigned char> AnsiText(const unsigned char* data, std::size_t size, std::uint32_t type) {
  // UTF-16 text (every NUL kept, so multi-strings stay separated) in the
  // ANSI code page.
  std::wstring text(size / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<wchar_t>(data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8));
  (void)type;
  std::vector<unsigned char> out;
  if (text.empty()) return out;
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<std::size_t>(n));
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<char*>(out.data()), n,
                      nullptr, nullptr);
  return out;
}

class TreeExport {
 public:
  TreeExport(bool forAnsiFile, REGSAM viewFlag, std::vector<RegOmission>* omitted, std::wstring& out)
      : forAnsiFile_(forAnsiFile), viewFlag_(viewFlag), omitted_(omitted), out_(out) {}

  void Key(HKEY key, const std::wstring& fullName, int depth) {
    out_ += regtext::KeyLine(fullName);
    // One query gives the counts and sizes for both loops below.
    DWORD subKeys = 0, maxSubKey = 0, valueCount = 0, maxValueName = 0, maxData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &valueCount, &maxValueName,
                         &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
      Omit(fullName, nullptr, RegOmissionReason::Unreadable);
      return;
    }
    if (valueCount > 0) Values(key, fullName, valueCount, maxValueName, maxData);
    if (subKeys == 0) return;
    std::wstring childName = fullName + L"\\";
    const std::size_t stem = childName.size();
    const std::vector<std::wstring> subs = ListNames(key, false, subKeys, maxSubKey);
    // A listing that ended early left keys out: say so rather than pass
    // the export for whole.
    if (subs.size() < subKeys) Omit(fullName, nullptr, RegOmissionReason::Unreadable);
    for (const auto& sub : subs) {
      childName.resize(stem);
      childName += sub;
      if (!regtext::CarriesKeyName(sub)) {
        Omit(childName, nullptr, RegOmissionReason::NameNotCarried);
        continue;
      }
      if (depth + 1 >= CRegistry::kMaxKeyDepth) {
        Omit(childName, nullptr, RegOmissionReason::TooDeep);
        continue;
      }
      UniqueKey child;
      if (nativereg::OpenKey(key, sub, KEY_READ | viewFlag_, true, child) != ERROR_SUCCESS) {
        Omit(childName, nullptr, RegOmissionReason::Unreadable);
        continue;
      }
      if (nativereg::IsLink(child.get())) {
        Omit(childName, nullptr, RegOmissionReason::Link);
        continue;
      }
      Key(child.get(), childName, depth + 1);
    }
  }

  void Omit(const std::wstring& key, const std::wstring* value, RegOmissionReason reason) {
    regwalk::Omit(omitted_, key, value, reason);
  }

 private:
  void Values(HKEY key, const std::wstring& fullName, DWORD valueCount, DWORD maxValueName, DWORD maxData) {
    std::vector<wchar_t> name(std::max<DWORD>(maxValueName, 255) + 2);
    std::vector<unsigned char> data(std::min<std::size_t>(std::max<DWORD>(maxData, 256), kLargeStart));
    for (DWORD i = 0; i < valueCount; ++i) {
      DWORD nameLen = static_cast<DWORD>(name.size());
      DWORD dataLen = static_cast<DWORD>(data.size());
      DWORD type = 0;
      LONG rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
      if (rc == ERROR_MORE_DATA) {
        // Only the name, to learn the size: a value too large to keep is
        // never read whole.
        nameLen = static_cast<DWORD>(name.size());
        DWORD needed = 0;
        rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, nullptr, &needed);
        if (rc == ERROR_MORE_DATA) {
          name.resize(name.size() * 2 + 16384);
          --i;
          continue;
        }
        if (rc == ERROR_SUCCESS && needed > CRegistry::kMaxExportValueBytes) {
          const std::wstring valueName(name.data(), nameLen);
          Omit(fullName, &valueName, RegOmissionReason::TooLarge);
          continue;
        }
        data.resize(std::max<std::size_t>(data.size() * 2, needed));
        --i;
        continue;
      }
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) {
        const std::wstring unknown;
        Omit(fullName, &unknown, RegOmissionReason::Unreadable);
        continue;
      }
      const std::wstring valueName(name.data(), nameLen);
      if (!regtext::CarriesValueName(valueName)) {
        Omit(fullName, &valueName, RegOmissionReason::NameNotCarried);
        continue;
      }
      if (dataLen > CRegistry::kMaxExportValueBytes) {
        Omit(fullName, &valueName, RegOmissionReason::TooLarge);
        continue;
      }
      if (forAnsiFile_ && (type == regtext::kExpandSz || type == regtext::kMultiSz)) {
        const auto ansi = AnsiText(data.data(), dataLen, type);
        out_ += regtext::ValueLine(valueName, type, ansi.data(), ansi.size());
      } else {
        out_ += regtext::ValueLine(valueName, type, data.data(), dataLen);
      }
    }
  }

  static constexpr std::size_t kLargeStart = 64 * 1024;
  bool forAnsiFile_;
  REGSAM viewFlag_;
  std::vector<RegOmission>* omitted_;
  std::wstring& out_;
};

}  // namespace

std::vector<std::wstring> ListNames(HKEY key, bool values, DWORD count, DWORD maxLength) {
  std::vector<std::wstring> names;
  if (count != kUnknownCount) names.reserve(count);
  std::vector<wchar_t> buf(std::max<DWORD>(maxLength, 255) + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG rc = values ? RegEnumValueW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr)
                           : RegEnumKeyExW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      // The key changed under us: grow and read this entry again.
      buf.resize(buf.size() * 2 + 16384);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.emplace_back(buf.data(), len);
  }
  return names;
}

std::vector<std::wstring> ListNames(HKEY key, bool values) {
  DWORD subKeys = 0, maxSubKey = 0, valueCount = 0, maxValueName = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &valueCount, &maxValueName,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return {};
  return values ? ListNames(key, true, valueCount, maxValueName) : ListNames(key, false, subKeys, maxSubKey);
}

void Omit(std::vector<RegOmission>* omitted, const std::wstring& key, const std::wstring* value,
          RegOmissionReason reason) {
  if (!omitted) return;
  RegOmission omission;
  omission.key = key;
  if (value) {
    omission.value = *value;
    omission.isValue = true;
  }
  omission.reason = reason;
  omitted->push_back(std::move(omission));
}

void ExportTree(HKEY key, const std::wstring& fullName, bool forAnsiFile, REGSAM viewFlag,
                std::vector<RegOmission>* omitted, std::wstring& out) {
  TreeExport(forAnsiFile, viewFlag, omitted, out).Key(key, fullName, 0);
}

LONG DeleteTree(HKEY key, REGSAM viewFlag, int depth) {
  if (depth >= CRegistry::kMaxKeyDepth) return ERROR_CANTWRITE;
  if (!nativereg::IsLink(key)) {
    // Names are read afresh after each pass: deleting changes the order.
    for (int pass = 0; pass < 4; ++pass) {
      const std::vector<std::wstring> children = ListNames(key, false);
      if (children.empty()) break;
      for (const auto& name : children) {
        UniqueKey child;
        LONG rc = nativereg::OpenKey(key, name, DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | viewFlag, true,
                                     child);
        if (rc == ERROR_SUCCESS) rc = DeleteTree(child.get(), viewFlag, depth + 1);
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return rc;
      }
    }
  }
  return nativereg::DeleteKey(key);
}


}  // namespace regwalk
