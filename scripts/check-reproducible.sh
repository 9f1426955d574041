#!/usr/bin/env bash
# Builds one commit twice, each time from a clone of its own in a folder of its own, and compares
# what a release ships: Quodo.exe, the help file Quodo.chm and the installer. The builds do not
# sign: signing only adds the signatures, each made at its own moment. Prints a line per file,
# "same" or "differs", and ends with 1 when anything differs.
#
# Usage: check-reproducible.sh [COMMIT [WORK_FOLDER]]   (defaults: HEAD, a new temporary folder)
#
# Both builds use one update signing key (made here once), as a release does with the maker's key:
# the program carries its public half, so two keys would make two programs.
#
# Run as root, it first runs scripts/setup.sh (the Debian packages, and libpng for MinGW, which
# setup builds into .deps/ of this source tree and the builds take from there); run as another
# user, it needs that done already.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ]; then
  bash "$root/scripts/setup.sh" >&2
elif [ ! -d "$root/.deps/mingw" ]; then
  echo "check-reproducible: libpng for MinGW is missing: run 'sudo bash scripts/setup.sh' first" >&2
  exit 2
fi
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
work=${2:-$(mktemp -d /tmp/quodo-repro.XXXXXX)}
mkdir -p "$work"
echo "check-reproducible: commit $commit in $work" >&2

# Each build compiles everything itself: from the compiler cache the second would only copy the
# first's objects, and prove nothing.
export CCACHE_DISABLE=1

key=$work/update-signing-key.pem
[ -f "$key" ] || python3 "$root/tools/update_signing_key.py" new "$key" >/dev/null

build_once() {
  local tree=$1
  rm -rf "$tree"
  git clone -q --no-checkout "$root" "$tree"
  git -C "$tree" checkout -q --detach "$commit"
  # libpng for MinGW is built by setup.sh into the source tree, not kept in git.
  mkdir -p "$tree/.deps"
  cp -a "$root/.deps/mingw" "$tree/.deps/mingw"
  cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/mingw-i686.cmake" -DQUODO_UPDATE_SIGNING_KEY="$key" >/dev/null
  cmake --build "$tree/build" --target quodo_site -j"$(nproc)" >/dev/null
}

build_once "$work/first"
build_once "$work/second"

status=0
version=$(sed -n 's/^QUODO_VERSION:STRING=//p' "$work/first/build/CMakeCache.txt")
for file in bin/Quodo.exe bin/Quodo.chm "site/Quodo${version/./}.exe"; do
  a=$work/first/build/$file b=$work/second/build/$file
  if cmp -s "$a" "$b"; then
    echo "same     $file ($(stat -c %s "$a") bytes)"
  else
    echo "differs  $file: $(cmp -l "$a" "$b" 2>/dev/null | wc -l) bytes, first at $(cmp "$a" "$b" | sed 's/.*byte //')"
    status=1
  fi
done
exit $status
