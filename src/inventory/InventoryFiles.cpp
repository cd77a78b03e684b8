#include "inventory/InventoryFiles.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "engine/kinds/AddonRecord.h"
#include "inventory/InventoryRead.h"
#include "ozcore/SystemMessage.h"
#include "ozcore/UniqueHandle.h"

namespace inventory {

// The platform-free reader names the record values itself; they must stay
// discovery's.
static_assert(std::wstring_view(record_keys::kKey) == discovery::keys::kKey);
static_assert(std::wstring_view(record_keys::kHive) == discovery::keys::kHive);
static_assert(std::wstring_view(record_keys::kView) == discovery::keys::kView);
static_assert(std::wstring_view(record_keys::kDisplayName) == discovery::keys::kDisplayName);

namespace {

constexpr std::wstring_view kPrefix = L"Inventory ";
constexpr std::wstring_view kSuffix = L".json";
constexpr unsigned kMaxCounter = 9999;

struct FindTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TwoDigits(unsigned n) { return {static_cast<wchar_t>(L'0' + n / 10 % 10), static_cast<wchar_t>(L'0' + n % 10)}; }

std::wstring Stamp(const SYSTEMTIME& t) {
  std::wstring year = std::to_wstring(t.wYear % 10000);
  year.insert(0, 4 - year.size(), L'0');
  return year + L"-" + TwoDigits(t.wMonth) + L"-" + TwoDigits(t.wDay) + L" " + TwoDigits(t.wHour) + L"-" +
         TwoDigits(t.wMinute) + L"-" + TwoDigits(t.wSecond);
}

// The order of our file names: the stamp "yyyy-mm-dd hh-mm-ss" (which sorts
// as text), then the counter (none is 1).
using NameOrder = std::pair<std::wstring, unsigned>;

bool DigitsAt(std::wstring_view text, std::size_t at, std::size_t count) {
  if (text.size() < at + count) return false;
  for (std::size_t i = at; i < at + count; ++i)
    if (text[i] < L'0' || text[i] > L'9') return false;
  return true;
}

// "Inventory yyyy-mm-dd hh-mm-ss[ (N)].json" exactly (".json" in any
// letter case, as the file system matches it); nullopt for any other name.
std::optional<NameOrder> OrderOfName(std::wstring_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  if (name.size() < kSuffix.size() ||
      CompareStringOrdinal(name.data() + name.size() - kSuffix.size(), static_cast<int>(kSuffix.size()), kSuffix.data(),
                           static_cast<int>(kSuffix.size()), TRUE) != CSTR_EQUAL)
    return std::nullopt;
  name.remove_suffix(kSuffix.size());
  constexpr std::wstring_view kShape = L"0000-00-00 00-00-00";
  if (name.size() < kShape.size()) return std::nullopt;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = name[i] >= L'0' && name[i] <= L'9';
    if (kShape[i] == L'0' ? !digit : name[i] != kShape[i]) return std::nullopt;
  }
  NameOrder order{std::wstring(name.substr(0, kShape.size())), 1};
  std::wstring_view rest = name.substr(kShape.size());
  if (rest.empty()) return order;
  // " (N)", N from 2 without leading zeros.
  if (rest.size() < 4 || rest.size() > 7 || rest.substr(0, 2) != L" (" || rest.back() != L')' ||
      !DigitsAt(rest, 2, rest.size() - 3) || rest[2] == L'0')
    return std::nullopt;
  order.second = static_cast<unsigned>(std::stoul(std::wstring(rest.substr(2, rest.size() - 3))));
  if (order.second < 2) return std::nullopt;
  return order;
}

std::wstring FileNameOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

void SetReason(std::wstring* reason, std::wstring text) {
  if (reason) *reason = std::move(text);
}

}  // namespace

std::wstring InventoryFileName(const std::wstring& folder, const SYSTEMTIME& time) {
  const std::wstring base = folder + L"\\" + std::wstring(kPrefix) + Stamp(time);
  std::wstring path = base + std::wstring(kSuffix);
  for (unsigned counter = 2; Exists(path); ++counter) {
    if (counter > kMaxCounter) return {};
    path = base + L" (" + std::to_wstring(counter) + L")" + std::wstring(kSuffix);
  }
  return path;
}

std::vector<std::wstring> EarlierInventories(const std::wstring& folder, const std::wstring& except) {
  const std::optional<NameOrder> limit = except.empty() ? std::nullopt : OrderOfName(FileNameOf(except));
  WIN32_FIND_DATAW found{};
  // The pattern also matches short names; every long name is checked below.
  UniqueFind find(FindFirstFileExW((folder + L"\\Inventory *").c_str(), FindExInfoBasic, &found,
                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) return {};
  std::vector<std::pair<NameOrder, std::wstring>> earlier;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    const std::wstring name = found.cFileName;
    const auto order = OrderOfName(name);
    if (!order) continue;
    const std::wstring path = folder + L"\\" + name;
    if (!except.empty() && SamePath(path, except)) continue;
    if (limit && !(*order < *limit)) continue;
    earlier.emplace_back(*order, path);
  } while (FindNextFileW(find.get(), &found));
  std::sort(earlier.begin(), earlier.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
  std::vector<std::wstring> paths;
  for (auto& entry : earlier) paths.push_back(std::move(entry.second));
  return paths;
}

std::optional<std::wstring> ReadInventoryFile(const std::wstring& path, std::wstring* reason) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    SetReason(reason, systemmessage::ForCode(GetLastError()));
    return std::nullopt;
  }
  // A pipe, console or device would block or never end.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetReason(reason, L"It is not a file.");
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > kMaxInventoryFileBytes) {
    SetReason(reason, L"It is larger than an inventory can be.");
    return std::nullopt;
  }
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 20));
    if (!ReadFile(file.get(), bytes.data() + filled, want, &read, nullptr)) {
      SetReason(reason, systemmessage::ForCode(GetLastError()));
      return std::nullopt;
    }
    if (read == 0) break;  // shorter than it was a moment ago
    filled += read;
  }
  bytes.resize(filled);
  auto text = DecodeUtf8(bytes);
  if (!text) SetReason(reason, L"It is not UTF-8 text.");
  return text;
}

}  // namespace inventory
