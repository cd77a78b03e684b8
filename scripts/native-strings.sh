#!/bin/bash
# Writes the program's numbered texts (resources/strings.rc, numbered by
# resources/StringIds.h) as a C++ table behind LoadStr, for the builds that
# run outside Windows and so have no string-table resource to read.
set -euo pipefail
ids="$1" texts="$2" out="$3"
{
  echo '// Made by scripts/native-strings.sh from the string table; do not edit.'
  echo '#include <unordered_map>'
  echo '#include "core/Strings.h"'
  echo 'std::wstring LoadStr(unsigned id) {'
  echo '  static const std::unordered_map<unsigned, const wchar_t*> table = {'
  awk 'FNR == NR { if ($1 == "#define") number[$2] = $3; next }
       /^[[:space:]]*IDS_[A-Z0-9_]+[[:space:]]+"/ {
         first = index($0, "\""); text = substr($0, first)
         sub(/[[:space:]]+$/, "", text)
         # A resource text writes a quote as two; C++ as an escape.
         inner = substr(text, 2, length(text) - 2); gsub(/""/, "\\\"", inner); text = "\"" inner "\""
         if (!($1 in number)) { print "unknown id " $1 > "/dev/stderr"; exit 1 }
         printf "      {%s, L%s},\n", number[$1], text
       }' "$ids" "$texts"
  echo '  };'
  echo '  const auto it = table.find(id);'
  echo '  return it == table.end() ? std::wstring() : std::wstring(it->second);'
  echo '}'
} > "$out.tmp"
mv "$out.tmp" "$out"
