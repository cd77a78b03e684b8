#!/bin/bash
# Seeds a Wine prefix with the demo add-ons: copies the demo add-on files
# into its Program Files and merges demo.reg. Safe to run again.
# Usage: seed-demo.sh BUILD_DIR WINEPREFIX
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
files="$build/demo/files"
pf="$WINEPREFIX/drive_c/Program Files"

mkdir -p "$pf/Brightpath" "$pf/Skyline/Weather Now" "$pf/DealFinder" "$pf/Tidewater" "$pf/NoteKeeper"
cp "$files/bpbar.dll" "$pf/Brightpath/bpbar.dll"
cp "$files/bpbar.dll" "$pf/Brightpath/translate.exe"
cp "$files/wnbar.dll" "$pf/Skyline/Weather Now/wnbar.dll"
cp "$files/dfhelper.dll" "$pf/DealFinder/dfhelper.dll"
cp "$files/histplus.dll" "$pf/Tidewater/histplus.dll"
cp "$files/notekeep.dll" "$pf/NoteKeeper/notekeep.dll"
printf '<html><body>Send to NoteKeeper</body></html>\r\n' >"$pf/NoteKeeper/send.htm"

# One server for the whole seeding; the file gets the prefix's own short
# (8.3) name of one add-on file, so that form is represented too.
wineserver -p 2>/dev/null || true
short="$(winepath -s 'C:\Program Files\Skyline\Weather Now\wnbar.dll' | tr -d '\r')"
# Doubled for the .reg text, and doubled again for sed.
short="${short//\\/\\\\\\\\}"
reg="$WINEPREFIX/drive_c/quillmoor-demo.reg"
# The importer reads hex(2) data as UTF-16 only in a UTF-16 file.
sed "s|@WEATHER_SHORT@|$short|" "$here/demo.reg" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE |
  { printf '\xff\xfe'; cat; } >"$reg"
wine reg import 'C:\quillmoor-demo.reg' >/dev/null 2>&1
