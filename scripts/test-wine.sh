#!/usr/bin/env bash
# The Wine part of the test command, on the Windows build (build/win): the Win32 tests in the
# session QUODO_SESSION names (default "test"), one at a time, and beside them the end-to-end
# modules in two sessions of their own (tests/e2e/CMakeLists.txt), and the build of the newer version
# that the update tests install.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QUODO_SESSION=${QUODO_SESSION:-test}
trap 'bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1 || true' EXIT
bash "$root/scripts/wine-session.sh" start
# A test that outlives its limit fails; the whole run is bounded too, so that a hang can never use
# up the time of a CI run.
cd "$root/build/win"
timeout --kill-after=30 2700 ctest --output-on-failure --timeout 900 -j4
