#!/usr/bin/env bash
# Tests the web page: builds it if needed (scripts/build-web.sh), checks the golden frames
# with the web build's code under Node, then serves build-web/ with python3 -m http.server on
# a free local port and runs the page in Debian's headless Chromium (web/test/browser_test.mjs).
# Screenshots and the frames compared go to build/web-test/.
#
#   scripts/test-web.sh           # everything, the whole-length run included (about 2 minutes)
#   scripts/test-web.sh --quick   # without the whole-length run
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
quick=()
[ "${1:-}" = --quick ] && quick=(--quick)

scripts/build-web.sh

missing=()
for package in chromium python3; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
# Node and npm may come from elsewhere than Debian; they only need to be there.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# The test's own packages (no browser download: it drives Debian's Chromium).
if [ ! -d web/test/node_modules ] || [ web/test/package-lock.json -nt web/test/node_modules ]; then
  (cd web/test && npm ci --no-audit --no-fund --loglevel=error && touch node_modules)
fi

results="$root/build/web-test"
rm -rf "$results"
mkdir -p "$results"

echo "== The golden frames, drawn by the web build's code under Node"
# Node's own fetch cannot load a local .wasm file; without it the loader reads the file.
node --no-experimental-fetch build-web/cmake/golden_frames_node.js build/content tests/golden/frames.txt \
  build/glyphs.atlas "$results"

echo "== The song, rendered by the web build's library and by the native one"
cmake --build build --target song_fingerprint >/dev/null
native_song=$(build/song_fingerprint build/content/Music/DISCO.XM)
web_song=$(node --no-experimental-fetch build-web/cmake/song_fingerprint_node.js build/content/Music/DISCO.XM)
echo "native: $native_song"
echo "web:    $web_song"
if [ "$native_song" != "$web_song" ]; then
  echo "The web build's library renders the song differently from the native one." >&2
  exit 1
fi

echo "== The page in headless Chromium"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory build-web "$port" >"$results/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.2
done
node web/test/browser_test.mjs "http://127.0.0.1:$port/" "$root/build/tavrine-tool" "$root/build/content" "$results" \
  "${quick[@]}"
