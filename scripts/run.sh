#!/bin/bash
# Builds Quillmoor and runs it under Wine in a demo prefix of its own
# (<build>/demoprefix, made and seeded once with add-ons of all five kinds
# for the machine and several users, some of them broken).
#
# With a display (DISPLAY set) the window opens there and the script waits
# until you close it. Without one, the program runs in a virtual display:
# the script waits for the main window, saves a screenshot of it, closes
# the program through its Exit command and tells where the screenshot, the
# logs and the start-up backup are.
#
# Environment: QLM_BUILD_DIR (default build/), QLM_SCREENSHOT (where the
# screenshot goes; default <build>/demo/quillmoor-main.png), QLM_DPI (the
# screen's DPI for this run, default 96; the virtual display grows with it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QLM_BUILD_DIR:-$root/build}"
export QLM_BUILD_DIR="$build"

if [ -z "${QLM_RUN_INNER:-}" ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${QLM_RUN_INNER:-}" ]; then
  export QLM_RUN_INNER=1
  dpi="${QLM_DPI:-96}"
  exec xvfb-run -a -s "-screen 0 $((1280 * dpi / 96))x$((900 * dpi / 96))x24 -nolisten tcp" "$0" "$@"
fi

prefix="$build/demoprefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$build/demo"
if [ ! -f "$prefix/.quillmoor-demo-seeded" ]; then
  echo "run: preparing the demo prefix $prefix"
  "$root/scripts/wine-prefix" "$prefix"
  "$root/scripts/demo/seed-demo.sh" "$build" "$prefix" >"$build/demo/seed.log" 2>&1 </dev/null
  # Stopping the server writes the seeded registry to disk.
  wineserver -k 2>/dev/null || true
  touch "$prefix/.quillmoor-demo-seeded"
fi
# One Wine server for the whole run, kept off this script's output so that
# nothing waits on it; stopped at the end.
wineserver -p >/dev/null 2>&1 </dev/null
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# The DPI the program's process starts with (read once, at its start).
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${QLM_DPI:-96}" /f >/dev/null 2>&1 </dev/null

# The program's data folder: the prefix user's application data folder.
appdata="$(wine cmd /c 'echo %APPDATA%' 2>/dev/null </dev/null | tr -d '\r')"
data="$(readlink -f "$(winepath -u "$appdata" 2>/dev/null | tr -d '\r')")/Quillmoor"

report() {
  echo "run: logs:           $data/QLM.log and $data/short.log"
  local latest
  latest="$(ls -t "$data/Backup"/*.reg 2>/dev/null | head -n 1 || true)"
  if [ -n "$latest" ]; then
    echo "run: start-up backup: $latest"
  else
    echo "run: start-up backup: none written (see the log)"
  fi
}

if [ -z "${QLM_RUN_INNER:-}" ]; then
  echo "run: starting Quillmoor on $DISPLAY; close its window to end"
  (cd "$build/dist" && wine Quillmoor.exe </dev/null) || true
  report
  exit 0
fi

# Virtual display: start, look, close through Exit, report.
shot="${QLM_SCREENSHOT:-$build/demo/quillmoor-main.png}"
mkdir -p "$(dirname "$shot")"
(cd "$build/dist" && exec wine Quillmoor.exe) >"$build/demo/quillmoor-run.log" 2>&1 </dev/null &
app=$!

window=""
for _ in $(seq 1 240); do
  window="$(xdotool search --onlyvisible --name '^   Quillmoor$' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  kill -0 "$app" 2>/dev/null || break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "run: the main window did not appear; see $build/demo/quillmoor-run.log" >&2
  kill "$app" 2>/dev/null || true
  exit 1
fi
# Let it finish painting, then take the picture of the window alone.
sleep 3
import -window "$window" "$shot"
echo "run: screenshot:      $shot"

# Close it as a user would, through the Exit command.
wine "$build/demo/qlm-command.exe" 6008 30 >/dev/null 2>&1 || echo "run: could not send Exit" >&2
for _ in $(seq 1 120); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.5
done
if kill -0 "$app" 2>/dev/null; then
  echo "run: Quillmoor did not end after Exit; stopping it" >&2
  kill "$app" 2>/dev/null || true
  status=1
else
  echo "run: Quillmoor ended through its Exit command"
  status=0
fi
report
exit $status
