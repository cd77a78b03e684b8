#pragma once
// Expansion of "%NAME%" environment references, without any system call,
// and the values a 32-bit process sees in place of a 64-bit one's.
#include <functional>
#include <optional>
#include <string>

namespace envtext {

// The value of a variable, or nothing when it is not set.
using Lookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

// Replaces every "%NAME%" whose variable is set, as the system's expansion
// does: names compare without regard to case (the lookup's business), a
// reference to an unset variable stays as written, a lone "%" stays.
std::wstring Expand(const std::wstring& text, const Lookup& lookup);

// The variable a 32-bit process on 64-bit Windows reads in place of name
// ("ProgramFiles" gives "ProgramFiles(x86)"); empty when the two processes
// see the same value. "PROCESSOR_ARCHITECTURE" is special: see
// Wow32FixedValue.
std::wstring Wow32Variable(const std::wstring& name);

// A value a 32-bit process sees that no variable of the 64-bit process
// holds ("PROCESSOR_ARCHITECTURE" is "x86" there).
std::optional<std::wstring> Wow32FixedValue(const std::wstring& name);

}  // namespace envtext
