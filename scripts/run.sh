#!/usr/bin/env bash
# Sets everything up, builds Quodo and runs it under Wine: on the current X display when there is
# one, otherwise on a virtual display. Saves a screenshot of the window as screenshot.png in the
# repository folder. Uses a Wine prefix of the project's own (.sessions/run/prefix), never yours.
# The program runs until its window is closed ("Afsluiten" in its right-click menu) or, on a
# virtual display, for QUODO_RUN_SECONDS seconds (default 20).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win

export QUODO_SESSION=run
state="$root/.sessions/run"
prefix="$state/prefix"
mkdir -p "$state"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv="

own_display=
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  d=90
  while [ -e "/tmp/.X11-unix/X$d" ]; do d=$((d + 1)); done
  Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  own_display=$!
  export DISPLAY=":$d"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$d" ] && break; sleep 0.1; done
fi
cleanup() { wineserver -k 2>/dev/null || true; [ -n "$own_display" ] && kill "$own_display" 2>/dev/null || true; }
trap cleanup EXIT

if [ ! -f "$prefix/system.reg" ]; then
  wineboot -i >/dev/null 2>&1; wineserver -w
  subst='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  wine reg add "$subst" /v Verdana /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
  wine reg add "$subst" /v Arial /t REG_SZ /d "Liberation Sans" /f >/dev/null 2>&1
  wineserver -w
fi

cd "$root/build/win/bin"
wine Quodo.exe &
quodo=$!
# As soon as the main window shows, take the screenshot: the bar then still waits for its first
# quote, which comes a second after start.
for _ in $(seq 300); do
  xdotool search --onlyvisible --class quodo.exe >/dev/null 2>&1 && break
  sleep 0.05
done
sleep 0.3
import -display "$DISPLAY" -window root -crop 420x300+0+0 +repage "$root/screenshot.png" 2>/dev/null \
  && echo "screenshot: $root/screenshot.png"
if [ -n "$own_display" ]; then
  sleep "${QUODO_RUN_SECONDS:-20}"
  kill "$quodo" 2>/dev/null || true
fi
wait "$quodo" 2>/dev/null || true
