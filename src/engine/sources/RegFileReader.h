#pragma once
// Reads the text of a registry editor export ("Windows Registry Editor
// Version 5.00" or "REGEDIT4") into a registry held in memory: key lines,
// key deletions ("[-KEY]"), values of every form the editor writes and
// value deletions ("name"=-). The text is hostile: a line that cannot be
// read is skipped and reported, never ending the read; nothing is kept
// beyond what the text itself holds. Platform-free.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/sources/MemoryRegistry.h"

namespace engine {

// Why a line was not read.
enum class RegTextSkip {
  NoHeader,       // the text does not begin with an export header: nothing is read
  OtherTree,      // a key outside HKEY_LOCAL_MACHINE and HKEY_USERS (HKEY_CURRENT_USER ...)
  BadKeyLine,     // "[" without its closing "]"
  TooDeep,        // a key nested deeper than the registry nests keys
  NoKey,          // a value with no key read above it (none yet, or one skipped or deleted)
  BadValueName,   // a name without its closing quote, or no "=" after it
  BadValueData,   // data in no known form, or cut short
  UnknownLine,    // neither a key, a value, a comment nor empty
};

struct SkippedRegLine {
  std::size_t line = 0;  // counted from 1; a value's first line
  RegTextSkip reason = RegTextSkip::UnknownLine;
};

struct RegTextOutcome {
  bool hasHeader = false;
  std::size_t keys = 0;    // key lines read: keys made or deleted
  std::size_t values = 0;  // value lines read: values set or deleted
  std::vector<SkippedRegLine> skipped;
};

// Reads text (a leading byte-order mark is allowed; lines end in CR LF, LF
// or CR) into into. Names and string data take the escapes \\ and \" (and
// \n, \r, \0 for a line break or NUL); hex data continues on the next line
// after a closing "\". REGEDIT4's hex(2) and hex(7) data is 8-bit text,
// stored as UTF-16 as the editor does.
RegTextOutcome ReadRegText(const std::wstring& text, MemoryRegistry& into);

// The registry's own nesting limit; deeper key lines are skipped.
constexpr std::size_t kMaxRegTextKeyDepth = 512;

}  // namespace engine
