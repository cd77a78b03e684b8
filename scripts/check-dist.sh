#!/bin/bash
# Checks the distribution folder: every binary stands alone (no mingw
# runtime DLL needed beside it) and carries a version resource.
set -euo pipefail
dist="$1"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"
status=0
shopt -s nullglob
files=("$dist"/*.exe "$dist"/*.dll)
[ ${#files[@]} -gt 0 ] || { echo "no binaries in $dist"; exit 1; }
for f in "${files[@]}"; do
  imports="$("$objdump" -p "$f" | sed -n 's/^\s*DLL Name: //p')"
  if echo "$imports" | grep -qiE '^(libstdc\+\+|libgcc|libwinpthread)'; then
    echo "FAIL $(basename "$f") needs a mingw runtime DLL: $(echo $imports)"
    status=1
  fi
  # grep reads to the end (no -q): an early exit would end strings with
  # SIGPIPE, which pipefail counts as a failure.
  if ! strings -el "$f" | grep '^VS_VERSION_INFO$' >/dev/null; then
    echo "FAIL $(basename "$f") has no version resource"
    status=1
  fi
  echo "ok   $(basename "$f") imports: $(echo $imports)"
done
exit $status
