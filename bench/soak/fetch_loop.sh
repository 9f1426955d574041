#!/usr/bin/env bash
# Runs FetchLoop.exe (see FetchLoop.cpp) in a private Wine session against the fixture server:
# N fetches through the program's fetch, then N through bare WinINet, each in a new process.
# Usage: QUODO_BIN=build/win/bin bench/soak/fetch_loop.sh [N]   (default 2000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${QUODO_BIN:-$root/build/win/bin}
count=${1:-2000}
export QUODO_SESSION=fetchloop
state=$(mktemp -d)
cleanup() {
  "$root/scripts/in-wine" /usr/bin/python3 "$root/tests/fixtures/fixture_server.py" stop --state "$state" || true
  bash "$root/scripts/wine-session.sh" stop >/dev/null 2>&1 || true
  rm -rf "$state"
}
trap cleanup EXIT
bash "$root/scripts/wine-session.sh" start >/dev/null
"$root/scripts/in-wine" /usr/bin/python3 "$root/tests/fixtures/fixture_server.py" start --state "$state"
ip netns exec "q-$QUODO_SESSION" python3 - <<'PY'
import urllib.request
script = b'{"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body_file": "pages/investing-historical.html"}]}}'
urllib.request.urlopen(urllib.request.Request("http://127.0.0.1/_fixture/script", data=script), timeout=5).read()
PY
for mode in fetch raw; do
  echo "== $mode: fetches, private bytes, body bytes"
  "$root/scripts/in-wine" "$bin/FetchLoop.exe" "$mode" "$count" </dev/null
done
