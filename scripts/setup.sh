#!/usr/bin/env bash
# Installs the Debian packages a use needs (only those missing), then configures and builds
# into build/.
#
#   scripts/setup.sh watch   # the show, the tool and the content pack (./run.sh)
#   scripts/setup.sh test    # everything, tests and benchmarks included (./test.sh)
#
# TAVRINE_WERROR=1 turns warnings into errors (CI); BUILD_TYPE picks the CMake build type.
set -euo pipefail
cd "$(dirname "$0")/.."
use="${1:-test}"

# Compilers and the show's own libraries: all that watching needs.
watch_packages=(
  build-essential cmake pkg-config ccache
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-dejavu-core libopenmpt-dev libpng-dev libx11-dev
  libfreetype-dev libharfbuzz-dev
)
# The tests, the benchmarks and the checks around them.
test_packages=(
  googletest libgtest-dev libbenchmark-dev
  # independent readers and players the tests check the generated files with
  python3 python3-pil python3-numpy imagemagick assimp-utils openmpt123 xmp sox
  # the benchmarks' anchor: Mesa's llvmpipe drawing off-screen through EGL
  libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
  # the sanitizer build, the fuzz targets and the memory check of the tool
  clang libclang-rt-dev valgrind
  # capture to video, and the live show under a virtual display
  ffmpeg xvfb xauth xdotool
  # checking what an install puts in place: the desktop entry and the manual pages
  desktop-file-utils man-db
)

case "$use" in
  watch) packages=("${watch_packages[@]}") ;;
  test) packages=("${watch_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [watch|test]" >&2; exit 2 ;;
esac

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

options=(-DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}")
[ "${TAVRINE_WERROR:-0}" = 1 ] && options+=(-DTAVRINE_WERROR=ON)
if [ "$use" = test ]; then
  cmake -S . -B build "${options[@]}" -DBUILD_TESTING=ON >/dev/null
  cmake --build build -j"$(nproc)"
else
  # Whatever an earlier test set-up configured stays; only the show's targets are built.
  cmake -S . -B build "${options[@]}" >/dev/null
  cmake --build build -j"$(nproc)" --target tavrine3d tavrine-tool content
fi
