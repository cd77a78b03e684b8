#!/bin/bash
# The installer under Wine, silent throughout: it installs into Program
# Files\Quillmoor with a Start menu shortcut and an entry in the
# installed-programs list; the installed qmscan.exe runs; a higher version
# (the same files, one text changed) replaces it and leaves one entry; an
# older one is refused; uninstalling leaves nothing behind.
source "$(dirname "$0")/release-common.sh"

# A run that stopped half way may have left Quillmoor installed: start
# again from a fresh prefix.
if [ -e "$prefix.release-dirty" ]; then
  echo "the last installer test did not finish; making a fresh prefix"
  rm -rf "$prefix" "$prefix.release-dirty"
fi
use_release_prefix
touch "$prefix.release-dirty"

drive_c="$prefix/drive_c"
installed="$drive_c/Program Files/Quillmoor"
# Wine puts a per-machine shortcut in the user's Programs folder, Windows in
# the common one; there must be exactly one, in one of them.
shortcuts() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
       "$drive_c/users"/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs \
       -maxdepth 1 -iname 'Quillmoor.lnk' 2>/dev/null
}
# The installed-programs entries named Quillmoor: "KEY<TAB>VALUE<TAB>DATA".
uninstall_entries() {
  win "$work/reg.txt" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s || true
  # reg prints "    NAME    TYPE    DATA" under each key.
  awk '/^HKEY_/ { key = $0; next }
       /^    [^ ]/ { line = substr($0, 5); n = index(line, "    "); if (!n) next
                     name = substr(line, 1, n - 1); rest = substr(line, n + 4); m = index(rest, "    ")
                     print key "\t" name "\t" (m ? substr(rest, m + 4) : "") }' "$work/reg.txt" >"$work/values.tsv"
  awk -F'\t' 'NR == FNR { if ($2 == "DisplayName" && $3 == "Quillmoor") keys[$1] = 1; next } ($1 in keys)' \
    "$work/values.tsv" "$work/values.tsv"
}
entry_value() { awk -F'\t' -v v="$1" '$2 == v {print $3}' "$work/entries.tsv"; }
entry_count() { cut -f1 "$work/entries.tsv" | sort -u | grep -c . || true; }

msiexec_quiet() {  # ACTION MSI: /i or /x, silent
  local rc=0
  win "$work/msiexec.txt" msiexec "$1" "$(winpath "$2")" /qn || rc=$?
  return $rc
}

cp "$release/$name.msi" "$work/$name.msi"
rc=0
start=$SECONDS
msiexec_quiet /i "$work/$name.msi" || rc=$?
check "silent install of $name.msi exits 0 (got $rc, $((SECONDS - start)) s)" test $rc -eq 0

check "Program Files\\Quillmoor holds the five binaries and three texts" \
  test "$(file_list "$installed" 2>/dev/null)" = "$(expected_list)"
unzip -q "$release/$name.zip" -d "$work/zip"
for f in "${binaries[@]}" "${texts[@]}"; do
  check "installed $f is the released one" cmp -s "$installed/$f" "$work/zip/$name/$f"
done
check "one Start menu shortcut" test "$(shortcuts | grep -c .)" -eq 1
# A shell link keeps its target as a path (ANSI in the link info, UTF-16 in
# the relative path or string data): it must lead to the installed program.
check "the shortcut leads to Program Files\\Quillmoor\\Quillmoor.exe" \
  bash -c "link=\"\$1\"; { strings -a \"\$link\"; strings -a -el \"\$link\"; } | grep -qiF 'Program Files\\Quillmoor\\Quillmoor.exe'" _ "$(shortcuts | head -n 1)"

uninstall_entries >"$work/entries.tsv"
check "one installed-programs entry" test "$(entry_count)" -eq 1
check "the entry shows version $version" test "$(entry_value DisplayVersion)" = "$version"
check "the entry shows the publisher" test "$(entry_value Publisher)" = "Quillmoor Team"
check "the entry shows the size ($(entry_value Size) KB)" bash -c '[[ "$1" =~ ^[0-9]+$ ]] && [ "$1" -gt 1000 ]' _ "$(entry_value Size)"
check "the entry shows where it is installed" test "$(entry_value InstallLocation)" = 'C:\Program Files\Quillmoor\'
check "the entry uninstalls through msiexec" bash -c 'grep -qi "^MsiExec.exe /X{" <<<"$1"' _ "$(entry_value UninstallString)"

rc=0
win "$work/scan.json" 'C:\Program Files\Quillmoor\qmscan.exe' --json || rc=$?
check "the installed qmscan.exe --json exits 0 (got $rc)" test $rc -eq 0
check "the installed qmscan.exe --json prints a JSON array" \
  bash -c "jq -e 'type == \"array\"' '$work/scan.json' >/dev/null"

# A higher version: the same files with README.txt marked, under the next
# build number (a new product code, the same upgrade code).
IFS=. read -r major minor patch <<<"$version"
higher="$major.$minor.$((patch + 1))"
cp -r "$work/zip/$name" "$work/higher"
printf 'Marked as the %s test build.\r\n' "$higher" >>"$work/higher/README.txt"
"$root/packaging/make-msi.sh" "$work/higher" "$higher" "$work/Quillmoor-$higher-x64.msi" 2>/dev/null
rc=0
msiexec_quiet /i "$work/Quillmoor-$higher-x64.msi" || rc=$?
check "silent install of $higher over $version exits 0 (got $rc)" test $rc -eq 0
uninstall_entries >"$work/entries.tsv"
check "still one installed-programs entry" test "$(entry_count)" -eq 1
check "the entry shows version $higher" test "$(entry_value DisplayVersion)" = "$higher"
check "the new README.txt is installed" grep -q "Marked as the $higher test build" "$installed/README.txt"
check "Program Files\\Quillmoor holds the same eight files" \
  test "$(file_list "$installed" 2>/dev/null)" = "$(expected_list)"
check "still one Start menu shortcut" test "$(shortcuts | grep -c .)" -eq 1

# The older version again: refused, nothing changes.
rc=0
msiexec_quiet /i "$work/$name.msi" || rc=$?
check "installing $version over $higher is refused (exit $rc)" test $rc -ne 0
uninstall_entries >"$work/entries.tsv"
check "after the refusal, one entry, version $higher" \
  test "$(entry_count) $(entry_value DisplayVersion)" = "1 $higher"

rc=0
msiexec_quiet /x "$work/Quillmoor-$higher-x64.msi" || rc=$?
check "silent uninstall exits 0 (got $rc)" test $rc -eq 0
check "no Program Files\\Quillmoor left" test ! -e "$installed"
check "no shortcut left" test -z "$(shortcuts)"
uninstall_entries >"$work/entries.tsv"
check "no installed-programs entry left" test "$(entry_count)" -eq 0
check "no Quillmoor file left anywhere in the prefix" \
  test -z "$(find "$drive_c" -iname '*quillmoor*' -not -path '*/windows/Installer/*' 2>/dev/null)"
check "no cached installer data left" test -z "$(find "$drive_c/windows/Installer" -iname '*quillmoor*' 2>/dev/null)"

[ $failures -eq 0 ] && rm -f "$prefix.release-dirty"
finish
