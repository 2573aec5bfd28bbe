#!/usr/bin/env bash
# Installs what building and testing Ondrel needs on a fresh Debian machine:
# the MinGW-w64 cross compiler, 32-bit Wine, Xvfb, the GoogleTest sources,
# clang with its sanitizer and fuzzer runtime, ImageMagick and lnkinfo.
# Does nothing when everything is already there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have_pkg wine32:i386 || need+=(wine wine32:i386 wine64)
have_cmd Xvfb || need+=(xvfb)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have_pkg libgtest-dev || need+=(libgtest-dev)
have_pkg libbenchmark-dev || need+=(libbenchmark-dev)
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_cmd import || need+=(imagemagick)
have_cmd lnkinfo || need+=(liblnk-utils)
have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd xdotool || need+=(xdotool)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${need[*]}); run as root" >&2
  exit 1
fi

echo "install-deps: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
