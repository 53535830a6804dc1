#!/usr/bin/env bash
# The short fuzzing pass: builds the libFuzzer targets (one per file reader) with clang and the
# sanitizers into build-fuzz/ and fuzzes each for a few seconds, starting from its seed corpus
# and known reproducers (fuzz/corpus/TARGET, fuzz/regressions/TARGET; copied, so the
# repository's corpora change only on purpose). A crash is printed with its reproducer: the
# input is kept in fuzz/crashes/, minimized, and shown in hex when it is small.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   # default 20 s; exit 1 when one crashed
#   scripts/fuzz.sh --report 10                        # CI: print crashes, exit 0 all the same
#
# A few seconds find shallow faults only, and one found here was not necessarily made by the
# change under test, so CI reports them and fails on the deterministic replay of the corpora
# and reproducers instead (ctest's FuzzReplay.* tests, in the normal and sanitizer builds).
# Long runs: scripts/fuzz-long.sh. BUILD_DIR and JOBS may be set; ASAN_EXTRA adds options.
set -euo pipefail
# shellcheck source=fuzz-build.sh
source "$(dirname "$0")/fuzz-build.sh"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-2}"
report_only=0
if [ "${1:-}" = "--report" ]; then report_only=1; shift; fi
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pcx tds bmp texture module)
crashes="$root/fuzz/crashes"

case "$seconds" in
  ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [--report] [SECONDS_PER_TARGET] [TARGET...]" >&2; exit 2 ;;
esac
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1${ASAN_EXTRA:+:$ASAN_EXTRA}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== configure and build $build"
build_fuzz_targets

# Prints what a crash was and how to reproduce it.
show_crash() {  # TARGET BINARY LOG
  local target="$1" binary="$2" log="$3" artifact min
  grep -E 'ERROR|SUMMARY|runtime error|Test unit written|#[0-9]+ +0x[0-9a-f]+ in ' "$log" | head -30 || true
  artifact="$(sed -n "s/.*Test unit written to \([^ ]*\).*/\1/p" "$log" | tail -1)"
  [ -n "$artifact" ] && [ -f "$artifact" ] || return 0
  min="$artifact.min"
  "$binary" "$artifact" -minimize_crash=1 -max_total_time=30 -timeout=10 -exact_artifact_path="$min" \
    >"$log.min" 2>&1 || true
  [ -f "$min" ] || min="$artifact"
  echo "-- reproducer: $min ($(stat -c %s "$min") bytes)"
  echo "   replay: $binary $min"
  if [ "$(stat -c %s "$min")" -le 512 ]; then od -An -tx1 -v "$min" | sed 's/^/   /'; fi
  echo "   once fixed, keep it: cp $min fuzz/regressions/$target/"
}

mkdir -p "$crashes"
failed=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  [ -x "$binary" ] || { echo "missing $binary" >&2; exit 2; }
  corpus="$build/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp "$root/fuzz/corpus/$target/"* "$corpus/"
  if [ -d "$root/fuzz/regressions/$target" ]; then cp "$root/fuzz/regressions/$target/"* "$corpus/" 2>/dev/null || true; fi
  echo "== fuzz_$target for ${seconds}s ($(ls "$corpus" | wc -l) seeds)"
  log="$build/fuzz_$target.log"
  if "$binary" "$corpus" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/$target-" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$log" || true
  else
    failed+=("$target")
    echo "!! fuzz_$target crashed"
    show_crash "$target" "$binary" "$log"
    echo "   full log: $log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  if [ "$report_only" -eq 1 ]; then
    echo "== fuzz: crashes in ${failed[*]} (reported above; not failing the run)"
    exit 0
  fi
  echo "== fuzz: FAILED (${failed[*]})" >&2
  exit 1
fi
echo "== fuzz: clean"
