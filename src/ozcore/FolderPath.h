#pragma once
// The text side of opening a folder one name at a time: which paths can be
// walked from their root, what lies inside a folder, how the system's
// final path of a handle compares with the path meant, the names of
// temporary files, and what an opened name's facts mean. Platform-free.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ozcore/OzCoreExport.h"

namespace folderpath {

// An absolute path as a root ("C:\" or "\\server\share\") and the folder or
// file names below it, in order.
struct Walk {
  std::wstring root;
  std::vector<std::wstring> names;
};

// "C:\a\b", "\\server\share\a" and their "\\?\" forms ("\\?\C:\a",
// "\\?\UNC\server\share\a"); "/" counts as "\", repeated and trailing
// separators are dropped. nullopt for a relative or device path and for a
// name the system would not open as written: "." and "..", a stream (":"),
// wildcards, quotes, "<", ">", "|", control characters, or a trailing
// space or dot.
OZCORE_API std::optional<Walk> SplitPath(const std::wstring& path);

// One name as SplitPath accepts it.
OZCORE_API bool IsPlainName(const std::wstring& name);

// The root and the first count names, joined ("C:\a\b"; the root alone
// keeps its separator).
OZCORE_API std::wstring JoinPath(const Walk& walk, std::size_t count);

// The names of path below folder (compared without regard to case), or
// nullopt when path is not inside it. A folder is not inside itself.
OZCORE_API std::optional<std::vector<std::wstring>> NamesBelow(const std::wstring& folder, const std::wstring& path);

// Whether two paths name the same place, without regard to case; either
// may be in the "\\?\" form the system gives as a handle's final path
// ("\\?\C:\a", "\\?\UNC\server\share\a").
OZCORE_API bool SamePath(const std::wstring& a, const std::wstring& b);

// A temporary file's name from 16 random bytes: "~qlm" and 32 hex digits,
// ".tmp".
OZCORE_API std::wstring TemporaryName(const std::array<std::uint8_t, 16>& random);

// What was found when a name was opened.
struct OpenedFacts {
  bool reparsePoint = false;    // the handle is a link or another reparse point
  bool finalPathMatches = true;  // the system's final path is the one meant
  std::uint32_t links = 1;      // names of a file (hard links); folders count 1
};

enum class Verdict {
  Accept,
  Link,        // a link, or a name that leads somewhere else
  HardLinked,  // a file with another name somewhere
};

OZCORE_API Verdict Judge(const OpenedFacts& facts);

}  // namespace folderpath
