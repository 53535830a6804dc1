#!/usr/bin/env bash
# Builds the libFuzzer targets (one per file reader) with clang into build-fuzz/ and runs
# each for a bounded time, starting from a small corpus: the files of the content pack, a few
# cut short, and a few bytes written here. Exits non-zero when any target finds a crash, a
# leak or a hang; the failing input, and a minimized copy, are kept in fuzz/crashes/.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]    # default 20; BUILD_DIR, JOBS, CONTENT_DIR may be set
#   scripts/fuzz.sh 60 pcx tds              # only some targets
#   ASAN_EXTRA=allocator_may_return_null=1 scripts/fuzz.sh   # extra sanitizer options
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-2}"
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pcx tds bmp texture module)
crashes="$root/fuzz/crashes"

case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]" >&2; exit 2 ;;
esac
command -v clang++ >/dev/null || { echo "clang++ is needed (apt-get install clang libclang-rt-dev)" >&2; exit 2; }

export CCACHE_NOHASHDIR=1 CCACHE_BASEDIR="$root"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1${ASAN_EXTRA:+:$ASAN_EXTRA}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== configure $build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVRINE_FUZZ=ON -DTAVRINE_SANITIZE=ON >/dev/null
echo "== build"
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

# The content pack: one given, one another build already made, or a fresh one.
content="${CONTENT_DIR:-}"
if [ -z "$content" ]; then
  for candidate in "$root/build/content" "$root/build-sanitize/content" "$build/content"; do
    if [ -f "$candidate/.complete" ]; then content="$candidate"; break; fi
  done
fi
if [ -z "$content" ]; then
  echo "== content pack"
  cmake --build "$build" -j"$jobs" --target tavrine-tool
  content="$build/content"
  "$build/tavrine-tool" make-content "$content" >/dev/null
fi
echo "seeds from $content"

seed_files() {  # the pack's files a target reads
  case "$1" in
    pcx) find "$content" -iname '*.pcx' ;;
    tds) find "$content" -iname '*.3ds' ;;
    bmp|texture) find "$content" -iname '*.bmp' ;;
    module) find "$content" -iname '*.xm' ;;
  esac
}

make_corpus() {  # TARGET DIR
  local target="$1" dir="$2" file name i=0
  mkdir -p "$dir"
  while IFS= read -r file; do
    name="$(basename "$file")"
    cp "$file" "$dir/$name"
    # Cut short inside the header and inside the data.
    head -c 64 "$file" >"$dir/$name.head64"
    head -c "$(( $(stat -c %s "$file") / 2 ))" "$file" >"$dir/$name.half"
    i=$((i + 1))
    [ "$i" -lt 6 ] || break
  done < <(seed_files "$target" | sort)
  printf '' >"$dir/empty"
  printf 'BM' >"$dir/magic-bm"
  printf 'MM\x06\x00\x00\x00' >"$dir/chunk-header"
  printf 'Extended Module: ' >"$dir/xm-magic"
  head -c 200 /dev/zero >"$dir/zeros200"
}

mkdir -p "$crashes"
failed=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  [ -x "$binary" ] || { echo "missing $binary" >&2; exit 2; }
  corpus="$build/corpus/$target"
  rm -rf "$corpus"
  make_corpus "$target" "$corpus"
  echo "== fuzz_$target for ${seconds}s ($(ls "$corpus" | wc -l) seeds)"
  log="$build/fuzz_$target.log"
  if "$binary" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$crashes/$target-" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    failed+=("$target")
    grep -E 'ERROR|SUMMARY|Test unit written|#[0-9]+ in ' "$log" | head -30 || true
    artifact="$(sed -n "s/.*Test unit written to \([^ ]*\).*/\1/p" "$log" | tail -1)"
    if [ -n "$artifact" ] && [ -f "$artifact" ]; then
      echo "-- minimizing $artifact"
      "$binary" "$artifact" -minimize_crash=1 -max_total_time="$seconds" -timeout=10 \
        -exact_artifact_path="$artifact.min" >"$log.min" 2>&1 || true
      if [ -f "$artifact.min" ]; then echo "minimized: $artifact.min ($(stat -c %s "$artifact.min") bytes)"; fi
    fi
    echo "full log: $log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "== fuzz: FAILED (${failed[*]})" >&2
  exit 1
fi
echo "== fuzz: clean"
