#pragma once
// Letter-case folding for keys compared without regard to case: the
// system's upper-case mapping, character by character, independent of the
// user's locale.
#include <string>

std::wstring FoldCase(const std::wstring& text);
