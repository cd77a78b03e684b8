#pragma once
// Registry names written by adware may hold control characters, line
// breaks, bidirectional overrides and invisible characters that hide or
// reorder text or move a terminal's cursor. VisibleText shows any text in a
// form that holds none of them and from which the text can be read back
// exactly, so two different names never look the same. Platform-free.
//
// The escape (caret notation), one UTF-16 unit at a time:
//   U+0000..U+001F  "^@" .. "^_" (NUL ^@, TAB ^I, LF ^J, CR ^M, ESC ^[),
//                   except U+001E, written "^{001E}" because "^^" is taken
//   U+007F (DEL)    "^?"
//   "^"             "^^"
//   "^{XXXX}"       (four upper-case hex digits) for C1 controls
//                   U+0080..U+009F, unpaired surrogates, and the invisible
//                   characters that hide or reorder text: U+00AD, U+034F,
//                   U+061C, U+115F, U+1160, U+17B4, U+17B5, U+180E,
//                   U+200B..U+200F, U+2028..U+202E, U+2060..U+206F,
//                   U+3164, U+FEFF, U+FFA0, U+FFF9..U+FFFB
// Everything else, paired surrogates included, is kept as it is.
#include <cstdint>
#include <optional>
#include <string>

namespace discovery::text {

// True for a unit that must never reach a screen or terminal as it is: C0
// controls, DEL, C1 controls, the invisible characters listed above, and
// any surrogate (whether it is paired is the caller's to decide). "^" is
// not one of them.
bool IsUnsafeToShow(std::uint32_t unit);

// True when VisibleText would change the text.
bool NeedsVisibleEscape(const std::wstring& text);

// The visible form described above.
std::wstring VisibleText(const std::wstring& text);

// The text whose visible form this is; nullopt for text VisibleText never
// gives (a lone "^", an unknown escape, lower-case hex, a braced escape of
// a character that has a shorter one or none, a raw unsafe character).
std::optional<std::wstring> FromVisibleText(const std::wstring& visible);

}  // namespace discovery::text
