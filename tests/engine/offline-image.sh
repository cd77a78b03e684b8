#!/bin/bash
# The Unix half of the offline image test, started from the Wine test
# (Wine runs Unix programs as it runs Windows ones; their exit code does not
# come back, so each step ends by writing a file the test waits for).
#   prepare WORLD FIXTURES
#     WORLD (a folder on the prefix's drive C:) gets copies of the fixture
#     files and a link to one outside the drive.
#   image TMP MINIMAL QMSCAN DRIVE_C USER SID
#     Builds TMP/image from the registry exports in TMP (the peer writer
#     hivexregedit merges each into a copy of the minimal hive) and the
#     world's files, lists it with the Linux qmscan into TMP/offline.json, writes the
#     number of entries of each listing to TMP/counts
#     and writes TMP/diff.txt: what differs from TMP/live.json, leaving out
#     what is read differently by design (source, lastWritten, the users'
#     names).
set -u
case "$1" in
prepare)
  world=$2 fixtures=$3
  rm -rf "$world" && mkdir -p "$world"
  for f in company german fileonly; do cp "$fixtures/fx_$f.dll" "$world/$f.dll"; done
  ln -s "$fixtures/fx_company.dll" "$world/linked.dll"
  : >"$world/.prepared"
  ;;
image)
  tmp=$2 minimal=$3 qmscan=$4 drive=$5 user=$6 sid=$7
  image=$tmp/image
  exec 2>"$tmp/image.log"
  mkdir -p "$image/Windows/System32/config" "$image/users/$user" "$image/ProgramData"
  merge() {  # export hive prefix
    cp "$minimal" "$2" && chmod u+w "$2"
    iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' >"$1.utf8"
    hivexregedit --merge --prefix "$3" "$2" "$1.utf8"
  }
  # Wine leaves the signed-in user's profile folder out of its export.
  iconv -f UTF-16 -t UTF-8 "$tmp/software.reg" | tr -d '\r' >"$tmp/software.txt"
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\%s]\n"ProfileImagePath"="C:\\\\users\\\\%s"\n' \
    "$sid" "$user" >>"$tmp/software.txt"
  iconv -f UTF-8 -t UTF-16 "$tmp/software.txt" >"$tmp/software.reg"
  merge "$tmp/software.reg" "$image/Windows/System32/config/SOFTWARE" 'HKEY_LOCAL_MACHINE\Software'
  merge "$tmp/default.reg" "$image/Windows/System32/config/DEFAULT" 'HKEY_USERS\.DEFAULT'
  merge "$tmp/user.reg" "$image/users/$user/NTUSER.DAT" "HKEY_USERS\\$sid"
  # The files the world names, where the image's drive keeps them; links stay links.
  cp -a "$drive/ProgramData/QuillWorld" "$image/ProgramData/"
  mkdir -p "$image/Windows/System32" && cp "$drive/windows/system32/shdocvw.dll" "$image/Windows/System32/"
  "$qmscan" --offline "$image" --json >"$tmp/offline.json" 2>"$tmp/offline.err"
  # Wine spells the default user ".Default" where Windows and the image
  # say ".DEFAULT"; file names compare without regard to case.
  normal='[.[] | .values |= (del(.source, .lastWritten, .scope)
    | if has("hive") then .hive |= sub("^\\.Default"; ".DEFAULT") else . end | if has("dLL") then .dLL |= ascii_downcase else . end)] | sort'
  if jq -S "$normal" "$tmp/live.json" >"$tmp/live.norm" && jq -S "$normal" "$tmp/offline.json" >"$tmp/offline.norm"; then
    diff "$tmp/live.norm" "$tmp/offline.norm" >"$tmp/diff.txt"
  else
    echo "a listing is not the JSON expected" >"$tmp/diff.txt"
  fi
  # The links go before Windows removes the folders: Wine's removal of a
  # link to a file removes the file it points at.
  rm -f "$image/ProgramData/QuillWorld/linked.dll" "$drive/ProgramData/QuillWorld/linked.dll"
  echo "$(jq length "$tmp/live.json") $(jq length "$tmp/offline.json")" >"$tmp/counts"
  ;;
esac
