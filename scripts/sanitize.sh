#!/usr/bin/env bash
# Builds everything with the address, undefined-behaviour and float-division sanitizers into
# build-sanitize/, runs every test there (the fuzz targets' replays and the show over spoilt
# packs among them), then plays the whole show once offline, every frame up to its end, with
# the leak check on.
# Any sanitizer report stops the run with a non-zero exit.
#
#   scripts/sanitize.sh            # BUILD_DIR and JOBS may be set in the environment
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-sanitize}"
jobs="${JOBS:-2}"

export CCACHE_NOHASHDIR=1 CCACHE_BASEDIR="$root"
# Leaks count, and the first report of either sanitizer ends the process.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1${ASAN_EXTRA:+:$ASAN_EXTRA}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== configure $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRINE_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null

echo "== build"
# The show and the icons too: the install tests put them in place.
cmake --build "$build" -j"$jobs" --target tavrine3d tavrine-tool content icons tavrine_tests \
  replay_pcx replay_tds replay_bmp replay_texture replay_module

echo "== tests (built in ${SECONDS}s)"
status=0
# The box tests open the system's display and font libraries, which keep allocations past exit
# from code already unloaded (no frames to tell them apart from ours): those tests run without
# the leak check, every other test and the whole show with it.
system_box_tests='^OffscreenVideo\.'
ctest --test-dir "$build" -j"$jobs" --output-on-failure -E "$system_box_tests" || status=1
ASAN_OPTIONS="${ASAN_OPTIONS/detect_leaks=1/detect_leaks=0}" \
  ctest --test-dir "$build" -j"$jobs" --output-on-failure -R "$system_box_tests" || status=1

echo "== whole show offline (tests done at ${SECONDS}s)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
if ! "$build/tavrine-tool" frame --replay 122 "$out/last.png" --content "$build/content"; then
  echo "the offline show failed" >&2
  status=1
fi

if [ "$status" -ne 0 ]; then
  echo "== sanitize: FAILED after ${SECONDS}s" >&2
else
  echo "== sanitize: clean after ${SECONDS}s"
fi
exit "$status"
