#!/bin/bash
# Checks the distribution folder: every binary stands alone (no mingw
# runtime DLL needed beside it), carries a version resource, and imports at
# load time only system DLLs that are never looked for beside it: the
# system's known DLLs, loaded from the system folder whatever lies beside
# the program, and comctl32, which the manifest binds to the system's own
# copy. Any other is bound on first use from the system folder
# (cmake/SystemDelayLoad.cmake).
set -euo pipefail
dist="$1"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"
known='^(advapi32|clbcatq|combase|comctl32|comdlg32|coml2|gdi32|gdiplus|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ntdll|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shcore|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
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
  unknown="$(echo "$imports" | grep -viE "$known" | grep -viE '^(libstdc\+\+|libgcc|libwinpthread)' || true)"
  if [ -n "$unknown" ]; then
    echo "FAIL $(basename "$f") imports at load time what could be found beside it: $(echo $unknown)"
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
