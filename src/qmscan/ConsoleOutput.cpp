#include "qmscan/ConsoleOutput.h"

#include <algorithm>

#include <string>

#include "inventory/InventoryText.h"

namespace qmscan {

namespace {

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out.push_back(L'\r');
    out.push_back(text[i]);
  }
  return out;
}

// UTF-8 without the common library, so that even the message about a
// missing library can be written. Unpaired surrogates become U+FFFD.
std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string OutputBytes(const std::wstring& text) { return Utf8(WithCrLf(inventory::TerminalSafe(text))); }

bool WriteText(DWORD stdHandle, const std::wstring& text) {
  HANDLE handle = GetStdHandle(stdHandle);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  // Nothing written may act on a terminal: stray control characters (in a
  // message that quotes an argument or an error, say) are shown instead.
  const std::wstring lines = WithCrLf(inventory::TerminalSafe(text));

  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // The console takes the text as it is, any script included; in pieces,
    // as it limits one call's size.
    constexpr std::size_t kPiece = 8192;
    for (std::size_t pos = 0; pos < lines.size();) {
      const DWORD count = static_cast<DWORD>(std::min(kPiece, lines.size() - pos));
      DWORD written = 0;
      if (!WriteConsoleW(handle, lines.data() + pos, count, &written, nullptr) || written == 0) return false;
      pos += written;
    }
    return true;
  }

  const std::string bytes = Utf8(lines);  // as OutputBytes(text)
  for (std::size_t pos = 0; pos < bytes.size();) {
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(1 << 20, bytes.size() - pos));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data() + pos, count, &written, nullptr) || written == 0) return false;
    pos += written;
  }
  return true;
}

}  // namespace qmscan
