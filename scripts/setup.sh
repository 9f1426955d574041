#!/usr/bin/env bash
# Installs everything Quodo needs to build, run and test, from Debian's own packages.
# Idempotent: a second run only checks. Run as root on Debian 12.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation
  fp-utils nsis
  iproute2 python3 python3-dateutil
  dpkg-dev libpng-dev locales openssl
  libssl-dev python3-cryptography
  osslsigncode
  rapidjson-dev
)

# Other engineers' setups may hold the dpkg lock at the same moment: apt waits for it.
apt_get() { apt-get -o DPkg::Lock::Timeout=600 "$@"; }

# The stamp names the package list: a list that changes installs again.
stamp=/var/lib/quodo-setup.$(echo "${packages[*]}" | md5sum | cut -c1-12)
if [ ! -f "$stamp" ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
  touch "$stamp"
fi

# The Dutch and English locales the tests run the program in.
for loc in nl_NL.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc%%.*}.utf8$"; then
    sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >> /etc/locale.gen
    need_locale_gen=1
  fi
done
[ -n "${need_locale_gen:-}" ] && locale-gen >/dev/null

# libpng for MinGW: built from Debian's own source package (with Debian's patches), static, for
# size, with each function in a section of its own so that the program keeps only what it uses.
deps="$here/.deps"
png_stamp="$deps/mingw/lib/libpng16.size-v1"
if [ ! -f "$png_stamp" ]; then
  mkdir -p "$deps/src"
  if [ ! -d "$deps/src/libpng" ]; then
    srclist=/etc/apt/sources.list.d/zz-quodo-debsrc.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$srclist"
    else
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "${srclist%.sources}.list"
    fi
    apt_get update -qq
    # The newest version listed is not always served yet: take the newest one that downloads.
    (cd "$deps/src"
     for v in $(apt-cache showsrc libpng1.6 | awk '/^Version:/{print $2}' | sort -r -V); do
       rm -f libpng1.6_*
       if apt_get source -qq --download-only "libpng1.6=$v" >/dev/null 2>&1; then
         dpkg-source -x libpng1.6_*.dsc libpng >/dev/null
         break
       fi
     done
     test -d libpng)
    rm -f "$srclist" "${srclist%.sources}.list"
    apt_get update -qq
  fi
  cmake -S "$deps/src/libpng" -B "$deps/build-libpng" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="-Os -DNDEBUG" -DCMAKE_C_FLAGS="-ffunction-sections -fdata-sections" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include \
        -DCMAKE_INSTALL_PREFIX="$deps/mingw" >/dev/null
  cmake --build "$deps/build-libpng" >/dev/null
  cmake --install "$deps/build-libpng" >/dev/null
  touch "$png_stamp"
fi
echo "setup: ready"
