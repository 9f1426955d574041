#!/usr/bin/env bash
# Checks the documents' links first (scripts/check-links.sh, well under a second, so that a broken
# link fails before anything is built). Then sets everything up and runs every test: the native
# core tests, the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, a short
# fuzzing run (scripts/test-native.sh), and, under Wine in loopback-only test sessions, the Win32
# tests and the end-to-end tests of Quodo.exe (scripts/test-wine.sh).
#
# The Windows build comes first: its tests under Wine take longest and mostly wait (for programs,
# windows and timers), so they run in the background while the native builds and tests use the
# processor at a lower priority, so that the programs under Wine keep their timing. The Wine
# output comes after the native output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/check-links.sh"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win

wine_log=$(mktemp)
bash "$root/scripts/test-wine.sh" >"$wine_log" 2>&1 &
wine=$!
trap 'kill "$wine" 2>/dev/null || true; rm -f "$wine_log"' EXIT

native_status=0
nice -n 10 bash "$root/scripts/test-native.sh" || native_status=$?
wine_status=0
wait "$wine" || wine_status=$?
echo "== Win32 and end-to-end tests under Wine"
cat "$wine_log"
echo "== native part: exit $native_status; Wine part: exit $wine_status"
[ "$native_status" -eq 0 ] && [ "$wine_status" -eq 0 ]
