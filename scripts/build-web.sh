#!/usr/bin/env bash
# Builds the show as a web page into build-web/: index.html, page.js, audio-worklet.js,
# tavrine.js, tavrine.wasm and tavrine.data (the content pack and the glyph atlas). Serve the
# folder with any static file server and open it:
#
#   scripts/build-web.sh
#   python3 -m http.server -d build-web 8000     # then http://localhost:8000/
#
# TAVRINE_WERROR=1 turns warnings into errors (CI). What it does, installing what is missing
# on the way:
#   1. the native tool (scripts/setup.sh watch), which writes the content pack and the glyph
#      atlas the page draws its text from;
#   2. libopenmpt for WebAssembly, from the Debian source package of the very version the
#      native build links (apt-get source, after adding a deb-src entry if there is none),
#      built once per library, Emscripten and recipe version and kept in
#      ${TAVRINE_WEB_CACHE:-~/.cache/tavrine-web};
#   3. the page, with Debian's Emscripten (the CMake tree is build-web/cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds() { date +%s; }
began=$(seconds)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# ---- 1. the native tool, the content pack and the glyph atlas --------------------------
scripts/setup.sh watch
missing=()
for package in emscripten dpkg-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
atlas="$root/build/glyphs.atlas"
if [ ! -s "$atlas" ] || [ "$atlas" -ot build/tavrine-tool ]; then
  build/tavrine-tool glyph-atlas "$atlas"
fi

# Emscripten's tools run under Node; Debian's acorn and friends live in /usr/share/nodejs,
# which a Node from elsewhere does not search.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

# ---- 2. libopenmpt for WebAssembly ------------------------------------------------------
openmpt_version=$(dpkg-query -W -f='${source:Version}' libopenmpt-dev)
emscripten_version=$(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\).*/\1/p')
recipe=$(cat web/libopenmpt/* | sha256sum | cut -c1-12)
cache="${TAVRINE_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrine-web}"
openmpt="$cache/libopenmpt-$openmpt_version-emscripten-$emscripten_version-$recipe"
if [ ! -f "$openmpt/lib/libopenmpt.a" ]; then
  echo "Building libopenmpt $openmpt_version for WebAssembly (once; kept in $cache)"
  openmpt_began=$(seconds)
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if ! (cd "$work" && apt-get source --print-uris "libopenmpt=$openmpt_version" >/dev/null 2>&1); then
    # No deb-src entry yet: one beside each deb entry of the Debian archive, then the lists.
    echo "Adding deb-src entries for apt-get source"
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/tavrine-deb-src.sources >/dev/null
    else
      grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/tavrine-deb-src.list >/dev/null
    fi
    $sudo apt-get update -q
  fi
  (cd "$work" && apt-get source -q "libopenmpt=$openmpt_version" >/dev/null)
  source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libopenmpt-*' | head -1)
  emcmake cmake -S web/libopenmpt -B "$work/build" -DOPENMPT_SOURCE="$source_dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$openmpt.partial" >/dev/null
  cmake --build "$work/build" -j"$(nproc)"
  rm -rf "$openmpt.partial"
  cmake --install "$work/build" >/dev/null
  mv "$openmpt.partial" "$openmpt"
  echo "libopenmpt for WebAssembly built in $(( $(seconds) - openmpt_began )) s"
fi

# ---- 3. the page ------------------------------------------------------------------------
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
options=()
[ "${TAVRINE_WERROR:-0}" = 1 ] && options+=(-DTAVRINE_WERROR=ON)
emcmake cmake -S . -B build-web/cmake -DCMAKE_BUILD_TYPE=Release "${options[@]}" \
  -DTAVRINE_OPENMPT_DIR="$openmpt" -DTAVRINE_WEB_CONTENT="$root/build/content" \
  -DTAVRINE_GLYPH_ATLAS="$atlas" -DTAVRINE_PAGE_DIR="$root/build-web" >/dev/null
cmake --build build-web/cmake -j"$(nproc)"

echo "The page is in build-web/ ($(( $(seconds) - began )) s):"
ls -l build-web/index.html build-web/page.js build-web/audio-worklet.js build-web/tavrine.js build-web/tavrine.wasm \
  build-web/tavrine.data | awk '{ printf "  %10d  %s\n", $5, $9 }'
