#!/usr/bin/env bash
# The speed report: runs the benchmarks that carry targets and prints one table, each figure
# with its target, what was measured and whether it passes.
#
#   scripts/bench.sh [REPETITIONS]      # default 5; build first with scripts/setup.sh test
#
# Every figure is the median of the repetitions of one run. Times are the benchmark thread's
# processor time (the machine may be shared; wall time would count other people's work),
# except llvmpipe's with its worker threads, which only wall-clock time can see. The llvmpipe
# comparisons alternate the two renderers in rounds and report the median of the rounds'
# ratios. The effects are measured against a plain copy of one 320 x 240 frame in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bench="${BENCH:-$root/build/tavrine_bench}"
repetitions="${1:-5}"
if [ ! -x "$bench" ]; then
  echo "no $bench: build the benchmarks first (scripts/setup.sh test)" >&2
  exit 1
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
filter='^BM_(DeviceTexturedMesh/32|DeviceVersusLlvmpipe/.*|AnimatedScene/[1-7]|FrameCopy|FadeBildePicture|'
filter+='CrossFadePixelPictures|FadeOutLastPicture|DrawCredits|Blit(Lady|Torus|Face|Disco)Overlay|BlitNameStrip|'
filter+='BlitBackdrop|BlitSidePanel|ShowPixel[15]Picture|DrawPerspectiveTunnel|DrawSwirlTunnel|DrawPlasmaBlend|'
filter+='DrawPlasmaShade|StartUp/.*|WholeShowOffline/.*)$'
echo "running the benchmarks ($repetitions repetitions; a few minutes)..." >&2
"$bench" --benchmark_filter="$filter" --benchmark_repetitions="$repetitions" \
  --benchmark_report_aggregates_only=true --benchmark_out="$out/results.json" --benchmark_out_format=json \
  >"$out/log.txt" 2>&1 || { cat "$out/log.txt" >&2; exit 1; }

python3 - "$out/results.json" <<'EOF'
import json
import sys

runs = {}
errors = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    name = b.get("run_name", b["name"])
    if b.get("error_occurred"):
        errors[name] = b.get("error_message", "error")
    elif b.get("aggregate_name", "median") == "median":
        runs[name] = b

def value(name, key):
    b = runs.get(name)
    if b is None:
        return None
    if key in ("cpu_time", "real_time"):
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
        return b[key] * scale  # milliseconds
    return b.get(key)

rows = []  # (figure, target text, measured text, passed or None)

def row(figure, name, key, limit, at_most, unit, fmt="{:.2f}", note=""):
    v = value(name, key)
    target = ("<= " if at_most else ">= ") + fmt.format(limit) + unit
    if v is None:
        rows.append((figure, target, errors.get(name, "not run"), None))
        return
    passed = v <= limit if at_most else v >= limit
    rows.append((figure, target, fmt.format(v) + unit + note, passed))

row("device torus frame (2,000 triangles)", "BM_DeviceTexturedMesh/32", "cpu_time", 0.4, True, " ms")
row("llvmpipe on the calling thread / device", "BM_DeviceVersusLlvmpipe/calling_thread:1/iterations:1/manual_time",
    "x_llvmpipe", 3.0, False, " x")
row("llvmpipe with its workers / device", "BM_DeviceVersusLlvmpipe/calling_thread:0/iterations:1/manual_time",
    "x_llvmpipe", 1.0, False, " x")
for n in range(1, 8):
    name = "BM_AnimatedScene/%d" % n
    row("Scene %d frame" % n, name, "us", 800, True, " us", "{:.0f}")
for label, name, limit in [
    ("swirl tunnel", "DrawSwirlTunnel", 40), ("perspective tunnel", "DrawPerspectiveTunnel", 10),
    ("plasma blend", "DrawPlasmaBlend", 10), ("plasma shade", "DrawPlasmaShade", 10),
    ("fade of Bilde", "FadeBildePicture", 3), ("cross-fade of the pixel pictures", "CrossFadePixelPictures", 3),
    ("fade-out of the last picture", "FadeOutLastPicture", 3), ("credits", "DrawCredits", 3),
    ("overlay: Lady", "BlitLadyOverlay", 3), ("overlay: torus", "BlitTorusOverlay", 3),
    ("overlay: face", "BlitFaceOverlay", 3), ("overlay: disco", "BlitDiscoOverlay", 3),
    ("overlay: name strip", "BlitNameStrip", 3), ("overlay: backdrop", "BlitBackdrop", 3),
    ("overlay: side panel", "BlitSidePanel", 3), ("picture: Pixel5", "ShowPixel5Picture", 3),
    ("picture: Pixel1", "ShowPixel1Picture", 3)]:
    row(label + " / frame copy", "BM_" + name, "x_copy", limit, True, " x", "{:.1f}")
show = "BM_WholeShowOffline/iterations:1/manual_time"
wall = value(show, "fps")
row("whole show offline (frames per processor second)", show, "fps_cpu", 3000, False, " fps", "{:.0f}",
    "" if wall is None else " (wall clock %.0f)" % wall)
start = "BM_StartUp/iterations:5/manual_time"
wall = value(start, "real_time")
row("start-up: assets, display, stars (processor time)", start, "cpu_ms", 100, True, " ms", "{:.1f}",
    "" if wall is None else " (wall clock %.1f)" % wall)

def info(name, key, fmt):
    v = value(name, key)
    return "?" if v is None else fmt.format(v)

widths = [max(len(r[i]) for r in rows + [("figure", "target", "measured", None)]) for i in range(3)]
line = "  ".join(["{:<%d}" % w for w in widths]) + "  {}"
print(line.format("figure", "target", "measured", "result"))
print(line.format(*("-" * w for w in widths), "------"))
for figure, target, measured, passed in rows:
    print(line.format(figure, target, measured, "pass" if passed else "MISS" if passed is False else "no figure"))
calling = "BM_DeviceVersusLlvmpipe/calling_thread:1/iterations:1/manual_time"
print()
print("device %s ms, llvmpipe %s ms a frame (calling thread, thread time); covered pixels: device %s, llvmpipe %s "
      "(%s %% apart); mean colour difference %s of 255" % (
          info(calling, "device_ms", "{:.3f}"), info(calling, "llvmpipe_ms", "{:.3f}"),
          info(calling, "pixels_device", "{:.0f}"), info(calling, "pixels_llvmpipe", "{:.0f}"),
          info(calling, "pixels_diff_pct", "{:.3f}"), info(calling, "mean_channel_diff", "{:.2f}")))
print("frame copy: %s us" % info("BM_FrameCopy", "us", "{:.2f}"))
missed = sum(1 for r in rows if r[3] is not True)
print("%d of %d targets met" % (len(rows) - missed, len(rows)))
EOF
