#!/usr/bin/env bash
# Long fuzzing: every target in turn, under the address and undefined-behaviour sanitizers,
# until it has run at least 10 million inputs or its share of HOURS (the time left, shared among
# the targets still to run) is spent, then a summary per target: inputs run, time, coverage,
# corpus, crashes.
#
#   scripts/fuzz-long.sh HOURS [TARGET...]      # e.g. scripts/fuzz-long.sh 6
#
# The working corpora (build-fuzz/long/TARGET) start from fuzz/corpus and fuzz/regressions and
# are kept between runs; crashes are kept in fuzz/crashes/long-TARGET-*, and fuzzing goes on
# after one. The summary is printed and written to build-fuzz/long/summary-DATE.txt.
# RUNS sets the goal per target (default 10000000); BUILD_DIR and JOBS as for scripts/fuzz.sh.
set -euo pipefail
# shellcheck source=fuzz-build.sh
source "$(dirname "$0")/fuzz-build.sh"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
jobs="${JOBS:-2}"
goal="${RUNS:-10000000}"
hours="${1:-}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pcx tds bmp texture module)

if ! awk -v h="$hours" 'BEGIN { exit !(h ~ /^[0-9]+(\.[0-9]+)?$/ && h > 0) }'; then
  echo "usage: scripts/fuzz-long.sh HOURS [TARGET...]" >&2
  exit 2
fi
# The whole run, build included, ends within HOURS; a target that reaches the goal early leaves
# its time to those after it.
deadline=$(awk -v h="$hours" 'BEGIN { printf "%d", h * 3600 }')

export ASAN_OPTIONS="detect_leaks=1${ASAN_EXTRA:+:$ASAN_EXTRA}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== configure and build $build"
build_fuzz_targets >/dev/null

long="$build/long"
mkdir -p "$long" "$root/fuzz/crashes"
summary="$long/summary-$(date +%Y%m%d-%H%M%S).txt"
printf '%-8s %12s %8s %8s %7s %7s %8s %10s %7s %s\n' target inputs seconds "inputs/s" cov features corpus "corpus_kb" crashes goal \
  | tee "$summary"

left=${#targets[@]}
for target in "${targets[@]}"; do
  share=$(( (deadline - SECONDS) / left ))
  left=$((left - 1))
  [ "$share" -gt 0 ] || share=1
  binary="$build/fuzz/fuzz_$target"
  corpus="$long/$target"
  mkdir -p "$corpus"
  cp -n "$root/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
  [ -d "$root/fuzz/regressions/$target" ] && { cp -n "$root/fuzz/regressions/$target/"* "$corpus/" 2>/dev/null || true; }
  log="$long/$target.log"
  : >"$log"
  done_runs=0 crashes=0 start=$SECONDS cov=0 features=0
  echo "== fuzz_$target: up to $goal inputs or ${share}s" >&2
  # Each round goes on where the last one stopped: a crash ends a round, not the target's turn.
  while [ "$done_runs" -lt "$goal" ] && [ $((SECONDS - start)) -lt "$share" ] && [ "$crashes" -lt 20 ]; do
    round="$long/$target.round.log"
    status=0
    "$binary" "$corpus" -runs=$((goal - done_runs)) -max_total_time=$((share - (SECONDS - start))) \
      -max_len="$(max_len "$target")" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$root/fuzz/crashes/long-$target-" >"$round" 2>&1 || status=$?
    cat "$round" >>"$log"
    ran=$(sed -n 's/^stat::number_of_executed_units: *//p' "$round" | tail -1)
    if [ -z "$ran" ]; then  # a crash leaves no final stats: the last progress line says how far it got
      ran=$(grep -oE '^#[0-9]+' "$round" | tail -1 | tr -d '#')
    fi
    done_runs=$((done_runs + ${ran:-0}))
    line=$(grep -E 'cov: [0-9]+ ft: [0-9]+' "$round" | tail -1 || true)
    if [ -n "$line" ]; then
      cov=$(sed -E 's/.*cov: ([0-9]+).*/\1/' <<<"$line")
      features=$(sed -E 's/.*ft: ([0-9]+).*/\1/' <<<"$line")
    fi
    if [ "$status" -ne 0 ]; then
      crashes=$((crashes + 1))
      echo "!! fuzz_$target crashed:" >&2
      grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$round" | head -8 >&2 || true
    fi
  done
  seconds=$((SECONDS - start))
  rate=$(( seconds > 0 ? done_runs / seconds : done_runs ))
  files=$(find "$corpus" -type f | wc -l)
  kb=$(du -sk "$corpus" | cut -f1)
  reached=$([ "$done_runs" -ge "$goal" ] && echo reached || echo "not reached")
  printf '%-8s %12d %8d %8d %7s %7s %8d %10d %7d %s\n' "$target" "$done_runs" "$seconds" "$rate" "$cov" "$features" \
    "$files" "$kb" "$crashes" "$reached" | tee -a "$summary"
done
echo "summary: $summary"
