#!/usr/bin/env bash
# Builds Quodo once more with another version number and packs it with the same installer script:
# the newer version that the update tests offer to an installed Quodo 1.06. Only the program, its
# help file and the site are built (no tests). The site folder then holds Quodo107.exe and a
# versions.dat that announces it, signed with the key of the build it updates (BASE_BUILD, whose
# program carries that key's public half); the newer program carries the same key. Like a release,
# the newer version is signed with Authenticode: with the test certificate of the base build
# (keys/codesign-test/, issued by the test certificate authority that build made).
# Usage: build-update-fixture.sh [VERSION [BUILD_FOLDER [BASE_BUILD]]]
#        (defaults: 1.07, build/win-VERSION, build/win)
# Prints the site folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=${1:-1.07}
build=${2:-$root/build/win-$version}
base=${3:-$root/build/win}
key=$(sed -n 's/^QUODO_UPDATE_KEY_IN_USE:INTERNAL=//p' "$base/CMakeCache.txt" 2>/dev/null || true)
if [ -z "$key" ] || [ ! -f "$key" ]; then
  echo "build-update-fixture.sh: $base has no update signing key; configure that build first" >&2
  exit 1
fi
# One build at a time in the folder: the test lanes that need it may ask at the same moment. It runs
# beside tests under Wine, at a lower priority so that their programs keep their timing.
mkdir -p "$build"
exec 9>"$build.lock"
flock 9
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQUODO_VERSION="$version" \
      -DQUODO_UPDATE_SIGNING_KEY="$key" \
      -DQUODO_CODESIGN_CERT="$base/keys/codesign-test/signer.pem" \
      -DQUODO_CODESIGN_KEY="$base/keys/codesign-test/signer.key" >/dev/null
nice -n 10 cmake --build "$build" --target quodo_site -j"$(nproc)" >&2
echo "$build/site"
