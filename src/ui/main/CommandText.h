#pragma once
// Text rules of the main window's commands; no platform calls.
#include <string>

namespace CommandText {

// The text after the last "\" of path; the whole text when it has none.
std::wstring FileNamePart(const std::wstring& path);

// The web search address for name. The query is the user's data, so it
// goes over https.
std::wstring SearchAddress(const std::wstring& name);

}  // namespace CommandText
