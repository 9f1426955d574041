#!/usr/bin/env bash
# The native part of the test command: builds and runs the native core tests, the same tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzzing run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" native
echo "== native tests"
(cd "$root/build/native" && ctest --output-on-failure --timeout 300 -j"$(nproc)")

bash "$root/scripts/build.sh" sanitize
echo "== native tests under AddressSanitizer (with leak checks) and UndefinedBehaviorSanitizer"
(cd "$root/build/sanitize" && ctest --output-on-failure --timeout 300 -j"$(nproc)")

echo "== short fuzzing run"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUODO_FUZZ=ON -DQUODO_BENCH=OFF >/dev/null
bash "$root/fuzz/run-short.sh" "$root/build/fuzz" 5
