#!/usr/bin/env bash
# Builds the native core with its tests and benchmarks (build/native) and the Windows program with
# its Win32 tests (build/win); "sanitize" builds the native tests with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, without benchmarks (build/sanitize). Usage: build.sh [native|win|sanitize|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/native" -j"$jobs"
fi
if [ "$what" = sanitize ] || [ "$what" = all ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DQUODO_SANITIZE=ON -DQUODO_BENCH=OFF >/dev/null
  cmake --build "$root/build/sanitize" -j"$jobs"
fi
if [ "$what" = win ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$root/build/win" -j"$jobs"
fi
