#!/usr/bin/env bash
# Installs the Debian packages the show, the tool and the tests need (only those missing),
# then configures and builds everything into build/ (the content pack included).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config ccache
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core libopenmpt-dev libpng-dev libx11-dev
  googletest libgtest-dev libbenchmark-dev
  # used by the tests to check the generated files with independent readers and players
  python3 python3-pil python3-numpy imagemagick assimp-utils openmpt123 xmp sox
  # the sanitizer build and the fuzz targets
  clang libclang-rt-14-dev
  # capture to video, and watching the show without a screen
  ffmpeg xvfb xauth xdotool
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# ccache (when present) may reuse objects across checkouts of the tree.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1

build_type="${BUILD_TYPE:-RelWithDebInfo}"
cmake -S . -B build -DCMAKE_BUILD_TYPE="$build_type" -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$(nproc)"
