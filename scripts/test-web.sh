#!/usr/bin/env bash
# Tests the web page: builds it if needed (scripts/build-web.sh), checks the golden frames
# with the web build's code under Node, then serves build-web/ with python3 -m http.server on
# a free local port and runs the page in Debian's headless Chromium (web/test/browser_test.mjs).
# Screenshots, the frames compared, the pages' console and the load timings go to
# build/web-test/.
#
#   scripts/test-web.sh           # everything, the whole show in real time included
#   scripts/test-web.sh --quick   # the whole show only on the fixed-step clock (CI runs this)
#
# Each step has a time limit, generous for a loaded machine; the server and the browser stop
# with the script, however it ends.
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

# Runs a step under a time limit, saying which step failed and how.
step() {
  local name=$1 limit=$2
  shift 2
  local status=0 began=$SECONDS
  timeout --kill-after=30 "$limit" "$@" || status=$?
  echo "($name: $((SECONDS - began)) s)" >&2
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "FAILED: $name did not finish within $limit" >&2
  elif [ "$status" -ne 0 ]; then
    echo "FAILED: $name (exit status $status; what it compared is in $results)" >&2
  fi
  return "$status"
}

echo "== The golden frames, drawn by the web build's code under Node"
# Node's own fetch cannot load a local .wasm file; without it the loader reads the file.
step "the golden frames under Node" 20m node --no-experimental-fetch build-web/cmake/golden_frames_node.js \
  build/content tests/golden/frames.txt build/glyphs.atlas "$results"

echo "== The song, rendered by the web build's library and by the native one"
cmake --build build --target song_fingerprint >/dev/null
native_song=$(build/song_fingerprint build/content/Music/DISCO.XM)
web_song=$(step "the song under Node" 10m node --no-experimental-fetch build-web/cmake/song_fingerprint_node.js \
  build/content/Music/DISCO.XM)
echo "native: $native_song"
echo "web:    $web_song"
if [ "$native_song" != "$web_song" ]; then
  echo "The web build's library renders the song differently from the native one." >&2
  exit 1
fi

echo "== The page in headless Chromium"
server=""
browser_test=""
# The server, and the browser test with the browser it started: stopped by their ids. The test
# takes its browser down when it exits or is asked to stop; should it not go within 15 s, the
# browser's process group goes with it.
stop() {
  if [ -n "$browser_test" ] && kill -0 "$browser_test" 2>/dev/null; then
    local children
    children=$(pgrep -P "$browser_test" || true)
    kill -TERM "$browser_test" 2>/dev/null || true
    for _ in $(seq 150); do
      kill -0 "$browser_test" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$browser_test" 2>/dev/null || true
    for child in $children; do kill -KILL -- "-$child" 2>/dev/null || kill -KILL "$child" 2>/dev/null || true; done
  fi
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
}
trap stop EXIT
trap 'echo "test-web.sh: interrupted" >&2; exit 130' INT
trap 'echo "test-web.sh: stopped" >&2; exit 143' TERM

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory build-web "$port" >"$results/server.log" 2>&1 &
server=$!
up=0
for _ in $(seq 120); do
  kill -0 "$server" 2>/dev/null || break
  if python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html', timeout=5)" \
    2>/dev/null; then
    up=1
    break
  fi
  sleep 0.5
done
if [ "$up" != 1 ]; then
  echo "FAILED: the local server on port $port did not answer within a minute (see $results/server.log)" >&2
  exit 1
fi

status=0
began=$SECONDS
node web/test/browser_test.mjs "http://127.0.0.1:$port/" "$root/build/tavrine-tool" "$root/build/content" "$results" \
  "${quick[@]}" &
browser_test=$!
wait "$browser_test" || status=$?
browser_test=""
echo "(the page in headless Chromium: $((SECONDS - began)) s)"
if [ "$status" -ne 0 ]; then
  echo "FAILED: the page in headless Chromium (exit status $status; screenshots, console and server log in $results)" >&2
  exit "$status"
fi
