#!/bin/bash
# The portable zip: it unpacks to one folder holding the distribution and
# the three texts; under Wine the binaries carry the version, qmscan.exe
# and Quillmoor.exe run from that folder; an unsigned release is unsigned.
# Extra argument: the qlm-command.exe that closes the program.
source "$(dirname "$0")/release-common.sh"
command_exe="$4"

unzip -q "$release/$name.zip" -d "$work/unpacked"
check "the zip holds one folder, $name" test "$(ls -A "$work/unpacked")" = "$name"
folder="$work/unpacked/$name"
check "the folder holds the five binaries and three texts, nothing else" \
  test "$(file_list "$folder")" = "$(expected_list)"
for f in "${binaries[@]}"; do
  check "$f is the built one" cmp -s "$folder/$f" "$build/dist/$f"
done
for f in "${texts[@]}"; do
  check "$f has Windows line ends only" bash -c "[ -s '$folder/$f' ] && ! grep -q \$'[^\r]\$' '$folder/$f' && ! grep -q '^\$' '$folder/$f'"
done
check "README.txt names the version and the data folder" \
  bash -c "grep -q 'Quillmoor $version for 64-bit Windows' '$folder/README.txt' && grep -qF '%APPDATA%\\Quillmoor' '$folder/README.txt'"
check "LICENSE.txt is the MIT licence" grep -q "^MIT License" "$folder/LICENSE.txt"
check "THIRD-PARTY.txt covers the icons and the static runtimes" \
  bash -c "grep -q 'Tango icon theme' '$folder/THIRD-PARTY.txt' && grep -q 'GCC RUNTIME LIBRARY EXCEPTION' '$folder/THIRD-PARTY.txt' && grep -q 'Zope Public License' '$folder/THIRD-PARTY.txt' && grep -q 'winpthreads' '$folder/THIRD-PARTY.txt'"

use_release_prefix
wfolder="$(winpath "$folder")"

# The version resource as Windows reads it: fixed and text versions.
wfiles=()
for f in "${binaries[@]}"; do wfiles+=("$wfolder\\$f"); done
win "$work/version.txt" "$release_check" version "${wfiles[@]}" || true
for f in "${binaries[@]}"; do
  line="$(F="$wfolder\\$f" awk -F'\t' '$5 == ENVIRON["F"]' "$work/version.txt")"
  check "$f carries version $version ($(echo "$line" | cut -f1-4 | tr '\t' ' '))" \
    test "$(echo "$line" | cut -f1-4)" = "$version.0"$'\t'"$version.0"$'\t'"$version"$'\t'"$version"
done

rc=0
win "$work/help.txt" "$folder/qmscan.exe" --help || rc=$?
check "qmscan.exe --help from the unpacked folder exits 0 (got $rc)" test $rc -eq 0
check "qmscan.exe --help prints its usage" grep -q '^Usage: qmscan' "$work/help.txt"

# Quillmoor.exe from the unpacked folder: its main window appears, its Exit
# command ends it with code 0, and it wrote its start-up backup and log into
# the release prefix's user's data folder (emptied first).
win "$work/appdata.txt" cmd /c echo %APPDATA% || true
data="$(winepath -u "$(head -n1 "$work/appdata.txt")" 2>/dev/null)/Quillmoor"
check "the release prefix has an application data folder ($data)" test "$data" != "/Quillmoor"
if [ "$data" != "/Quillmoor" ]; then rm -rf "$data"; fi
(cd "$folder" && exec wine Quillmoor.exe) >"$work/quillmoor.log" 2>&1 </dev/null &
app=$!
posted=0
win "$work/command.txt" "$command_exe" 6008 120 && posted=1
check "Quillmoor.exe showed its main window and took the Exit command" test $posted -eq 1
for _ in $(seq 1 120); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$app" 2>/dev/null; then
  kill "$app" 2>/dev/null || true
  bad "Quillmoor.exe ended after Exit"
else
  rc=0
  wait "$app" || rc=$?
  check "Quillmoor.exe ended after Exit with code 0 (got $rc)" test $rc -eq 0
fi
check "Quillmoor.exe wrote its log and start-up backup" \
  bash -c "[ -s '$data/QLM.log' ] && ls '$data/Backup/'*.reg >/dev/null 2>&1"
# The user's data stays where an uninstall leaves it; the installer's test
# after this one expects a prefix without any file of ours.
if [ "$data" != "/Quillmoor" ]; then rm -rf "$data"; fi

# Unsigned: the trust API finds no signature on any binary or the
# installer, and neither does osslsigncode.
cp "$release/$name.msi" "$work/$name.msi"
win "$work/trust.txt" "$release_check" trust "${wfiles[@]}" "$(winpath "$work/$name.msi")" || true
check "the trust API reports every unsigned file as TRUST_E_NOSIGNATURE" \
  test "$(awk -F'\t' '$2 == "TRUST_E_NOSIGNATURE"' "$work/trust.txt" | wc -l)" -eq 6
for f in "$folder/Quillmoor.exe" "$work/$name.msi"; do
  check "osslsigncode finds no signature on $(basename "$f")" \
    bash -c "! osslsigncode verify -in '$f' >/dev/null 2>&1"
done

finish
