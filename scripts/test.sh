#!/usr/bin/env bash
# Sets everything up and runs every test: the native core tests, the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzzing run, and, under Wine in a
# loopback-only test session, the Win32 tests and the end-to-end tests of Quodo.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

echo "== native tests"
(cd "$root/build/native" && ctest --output-on-failure --timeout 300 -j"$(nproc)")

echo "== native tests under AddressSanitizer (with leak checks) and UndefinedBehaviorSanitizer"
(cd "$root/build/sanitize" && ctest --output-on-failure --timeout 300 -j"$(nproc)")

echo "== short fuzzing run"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUODO_FUZZ=ON -DQUODO_BENCH=OFF >/dev/null
bash "$root/fuzz/run-short.sh" "$root/build/fuzz" 5

echo "== Win32 and end-to-end tests under Wine"
export QUODO_SESSION=${QUODO_SESSION:-test}
trap 'bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1 || true' EXIT
bash "$root/scripts/wine-session.sh" start
# A test that outlives its limit fails; the whole run is bounded too, so that a hang can never
# use up the time of a CI run.
(cd "$root/build/win" && timeout --kill-after=30 2700 ctest --output-on-failure --timeout 600)
