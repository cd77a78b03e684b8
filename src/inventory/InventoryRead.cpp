#include "inventory/InventoryRead.h"

#include <limits>
#include <variant>

namespace inventory {

namespace {

constexpr std::uint32_t kHighFirst = 0xD800, kHighLast = 0xDBFF, kLowFirst = 0xDC00, kLowLast = 0xDFFF;

bool IsHigh(std::uint32_t unit) { return unit >= kHighFirst && unit <= kHighLast; }
bool IsLow(std::uint32_t unit) { return unit >= kLowFirst && unit <= kLowLast; }

int HexValue(std::uint32_t c) {
  if (c >= L'0' && c <= L'9') return static_cast<int>(c - L'0');
  if (c >= L'a' && c <= L'f') return static_cast<int>(c - L'a' + 10);
  if (c >= L'A' && c <= L'F') return static_cast<int>(c - L'A' + 10);
  return -1;
}

// A reader of exactly the inventory's shape. Every routine returns false
// on anything else; the caller gives up on the whole document then. No
// recursion: the shape is three levels deep and no deeper.
class DocumentReader {
 public:
  explicit DocumentReader(const std::wstring& text) : text_(text) {}

  bool Document(std::vector<InventoryEntry>& entries) {
    if (!Take(L'[')) return false;
    if (!Take(L']')) {
      do {
        if (entries.size() >= kMaxEntries) return false;
        if (!Entry(entries.emplace_back())) return false;
      } while (Take(L','));
      if (!Take(L']')) return false;
    }
    SkipSpace();
    return pos_ == text_.size();
  }

 private:
  std::uint32_t Unit(std::size_t at) const { return static_cast<std::uint32_t>(text_[at]); }

  void SkipSpace() {
    while (pos_ < text_.size()) {
      const wchar_t c = text_[pos_];
      if (c != L' ' && c != L'\t' && c != L'\r' && c != L'\n') return;
      ++pos_;
    }
  }

  bool Take(wchar_t expected) {
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != expected) return false;
    ++pos_;
    return true;
  }

  bool Peek(wchar_t expected) {
    SkipSpace();
    return pos_ < text_.size() && text_[pos_] == expected;
  }

  // {"kind": "...", "ID": "...", "values": {...}}, members in any order,
  // each exactly once, no other member.
  bool Entry(InventoryEntry& entry) {
    if (!Take(L'{')) return false;
    bool kind = false, id = false, values = false;
    do {
      std::wstring member;
      if (!String(member) || !Take(L':')) return false;
      if (member == L"kind" && !kind) {
        kind = String(entry.kind);
        if (!kind) return false;
      } else if (member == L"ID" && !id) {
        id = String(entry.record.ID);
        if (!id) return false;
      } else if (member == L"values" && !values) {
        values = Values(entry.record.params);
        if (!values) return false;
      } else {
        return false;
      }
    } while (Take(L','));
    return Take(L'}') && kind && id && values;
  }

  bool Values(CParams& params) {
    if (!Take(L'{')) return false;
    if (Take(L'}')) return true;
    do {
      if (params.Count() >= kMaxValuesPerEntry) return false;
      std::wstring key;
      if (!String(key) || !Take(L':')) return false;
      ParamValue value;
      if (Peek(L'"')) {
        std::wstring text;
        if (!String(text)) return false;
        value = std::move(text);
      } else {
        std::int32_t number = 0;
        if (!Number(number)) return false;
        value = number;
      }
      // A key twice (in any letter case, as records match keys) is no
      // record the writer made.
      if (!params.Add(key, std::move(value))) return false;
    } while (Take(L','));
    return Take(L'}');
  }

  // -?(0|[1-9][0-9]*) within the 32-bit range; no fraction, no exponent.
  bool Number(std::int32_t& out) {
    SkipSpace();
    const bool negative = pos_ < text_.size() && text_[pos_] == L'-';
    if (negative) ++pos_;
    const std::size_t first = pos_;
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    while (pos_ < text_.size() && text_[pos_] >= L'0' && text_[pos_] <= L'9') {
      magnitude = magnitude * 10 + (text_[pos_] - L'0');
      if (magnitude > kLimit) return false;
      ++pos_;
    }
    const std::size_t digits = pos_ - first;
    if (digits == 0 || (digits > 1 && text_[first] == L'0')) return false;
    if (!negative && magnitude == kLimit) return false;
    out = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
  }

  bool String(std::wstring& out) {
    if (!Take(L'"')) return false;
    out.clear();
    while (pos_ < text_.size()) {
      const std::uint32_t c = Unit(pos_++);
      if (c == L'"') return true;
      if (c == L'\\') {
        if (!Escape(out)) return false;
      } else if (!RawUnit(c, out)) {
        return false;
      }
    }
    return false;
  }

  // A character as it stands: JSON forbids raw controls, and text holds
  // surrogates only in pairs (an unpaired one comes escaped).
  bool RawUnit(std::uint32_t c, std::wstring& out) {
    if (c < 0x20 || c > 0xFFFF || IsLow(c)) return false;
    if (IsHigh(c)) {
      if (pos_ >= text_.size() || !IsLow(Unit(pos_))) return false;
      out.push_back(static_cast<wchar_t>(c));
      out.push_back(text_[pos_++]);
      return true;
    }
    out.push_back(static_cast<wchar_t>(c));
    return true;
  }

  // After a backslash. \uXXXX stands for one UTF-16 unit, a lone surrogate
  // too: registry names may hold them, and the writer escapes them so.
  bool Escape(std::wstring& out) {
    if (pos_ >= text_.size()) return false;
    const wchar_t e = text_[pos_++];
    switch (e) {
      case L'"': out.push_back(L'"'); return true;
      case L'\\': out.push_back(L'\\'); return true;
      case L'/': out.push_back(L'/'); return true;
      case L'b': out.push_back(L'\b'); return true;
      case L'f': out.push_back(L'\f'); return true;
      case L'n': out.push_back(L'\n'); return true;
      case L'r': out.push_back(L'\r'); return true;
      case L't': out.push_back(L'\t'); return true;
      case L'u': break;
      default: return false;
    }
    if (text_.size() - pos_ < 4) return false;
    std::uint32_t code = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexValue(Unit(pos_++));
      if (digit < 0) return false;
      code = code * 16 + static_cast<std::uint32_t>(digit);
    }
    out.push_back(static_cast<wchar_t>(code));
    return true;
  }

  const std::wstring& text_;
  std::size_t pos_ = 0;
};

// The number of continuation bytes after a lead byte, or -1 for a byte
// that cannot begin a sequence.
int ContinuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

void AppendCodePoint(std::wstring& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<wchar_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<wchar_t>(kHighFirst + (cp >> 10)));
  out.push_back(static_cast<wchar_t>(kLowFirst + (cp & 0x3FF)));
}

}  // namespace

std::optional<std::vector<InventoryEntry>> ReadInventory(const std::wstring& text) {
  try {
    std::vector<InventoryEntry> entries;
    DocumentReader reader(text);
    if (!reader.Document(entries)) return std::nullopt;
    return entries;
  } catch (...) {  // out of memory: no document
    return std::nullopt;
  }
}

std::optional<std::wstring> DecodeUtf8(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  try {
    std::wstring out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
      const auto lead = static_cast<unsigned char>(bytes[i]);
      const int more = ContinuationCount(lead);
      if (more < 0 || bytes.size() - i <= static_cast<std::size_t>(more)) return std::nullopt;
      std::uint32_t cp = more == 0 ? lead : lead & (0x3F >> more);
      for (int k = 1; k <= more; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (next & 0x3F);
      }
      // Overlong three- and four-byte forms, surrogates, beyond U+10FFFF.
      if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF))) return std::nullopt;
      if (cp >= kHighFirst && cp <= kLowLast) return std::nullopt;
      AppendCodePoint(out, cp);
      i += static_cast<std::size_t>(more) + 1;
    }
    return out;
  } catch (...) {  // out of memory: no document
    return std::nullopt;
  }
}

EntryIdentity IdentityOf(const std::wstring& kind, const CResultNode& node) {
  auto number = [&](const wchar_t* key) -> std::int64_t {
    const CParam* param = node.params.Find(key);
    if (!param) return 0;
    const auto* value = std::get_if<std::int32_t>(&param->Values(1));
    return value ? *value : 0;
  };
  return {kind, node.ID, node.params.Text(record_keys::kHive), number(record_keys::kKey), number(record_keys::kView)};
}

EntryIdentity IdentityOf(const InventoryEntry& entry) { return IdentityOf(entry.kind, entry.record); }

std::wstring DisplayNameOf(const CResultNode& node) {
  std::wstring name = node.params.Text(record_keys::kDisplayName);
  return name.empty() ? node.ID : name;
}

std::wstring DisplayNameOf(const InventoryEntry& entry) { return DisplayNameOf(entry.record); }

}  // namespace inventory
