#!/usr/bin/env bash
# Installs what building and testing Tarnelle needs on Debian 12 (amd64). Asks apt only when
# something is missing, so a second run takes a moment.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  # the second compiler (clang for the MinGW-w64 target, linked by lld, resources by llvm-windres)
  # and the fuzz targets (libFuzzer and the sanitizers' runtimes)
  clang lld llvm-14 libclang-rt-14-dev
  # wine64 alone runs our x86-64 programs; without i386 multiarch Wine mentions wine32, harmlessly.
  wine wine64
  xvfb xdotool x11-utils x11-apps imagemagick
  fonts-wqy-microhei fontconfig
  # scripts/make-art.sh draws the pictures with ImageMagick and python3
  python3
)

if ! command -v dpkg-query >/dev/null; then
  echo "deps.sh: this is not a Debian system; install by hand: ${packages[*]}" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  if [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null) != ii* ]]; then
    missing+=("$p")
  fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
  echo "deps.sh: all ${#packages[@]} packages present"
  exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    as_root=(sudo)
  else
    echo "deps.sh: missing ${missing[*]}; run this as root or install sudo" >&2
    exit 1
  fi
fi

echo "deps.sh: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
