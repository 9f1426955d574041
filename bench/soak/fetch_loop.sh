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
cat > "$state/script.json" <<'JSON'
{"routes": {"nl.investing.com/indices/netherlands-25-historical-data": [{"body_file": "pages/investing-historical.html"}]}}
JSON
"$root/scripts/in-wine" /usr/bin/python3 "$root/tests/fixtures/fixture_server.py" start --state "$state" \
  --script "$state/script.json"
for mode in fetch raw; do
  echo "== $mode: fetches, private bytes, body bytes"
  "$root/scripts/in-wine" "$bin/FetchLoop.exe" "$mode" "$count" </dev/null
done
