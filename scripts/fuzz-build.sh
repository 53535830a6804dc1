# fuzz-build.sh - sourced by fuzz.sh and fuzz-long.sh: the longest input each target is given,
# and the clang build of the libFuzzer targets with the sanitizers. Expects root, build, jobs
# and targets to be set.

# Well above each target's seeds, small enough to stay fast.
max_len() {
  case "$1" in
    module) echo 16384 ;;
    tds) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

# Configures and builds fuzz_TARGET for every target; extra arguments go to the build command.
build_fuzz_targets() {
  command -v clang++ >/dev/null || { echo "clang++ is needed (scripts/setup.sh test installs it)" >&2; exit 2; }
  export CCACHE_NOHASHDIR=1 CCACHE_BASEDIR="$root"
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVRINE_FUZZ=ON -DTAVRINE_SANITIZE=ON >/dev/null
  cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}" "$@"
}
