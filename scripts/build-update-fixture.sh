#!/usr/bin/env bash
# Builds Quodo once more with another version number and packs it with the same installer script:
# the newer version that the update tests offer to an installed Quodo 1.06. Only the program, its
# help file and the site are built (no tests). The site folder then holds Quodo107.exe and a
# versions.dat that announces it, beside the home and mail form pages.
# Usage: build-update-fixture.sh [VERSION [BUILD_FOLDER]]   (defaults: 1.07, build/win-VERSION)
# Prints the site folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=${1:-1.07}
build=${2:-$root/build/win-$version}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQUODO_VERSION="$version" >/dev/null
cmake --build "$build" --target quodo_site -j"$(nproc)" >&2
echo "$build/site"
