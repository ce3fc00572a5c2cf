#!/usr/bin/env bash
# Benchmarks the radar view under Mesa's software renderer (llvmpipe) on an
# Xvfb screen of 1280x1024, the size the client fills:
#   1. scene_bench, RUNS times: paintGL and the whole frame (tick, update,
#      repaint) with no hit and with 1000 live hits in two layouts;
#   2. the real radar-client against the real radar-sim (1000 walkers), STARTS
#      times: from process start to the first frame drawn;
#   3. the real client for CLIENT_SECONDS against 1000 walkers and against 1000
#      targets standing in one sector: its frame periods and hits per second;
#   4. scene_bench once more on a SMALL_SCREEN, to show how the frame's cost
#      follows its number of pixels.
# Medians and min..max over the runs are printed; the machine is shared, so
# the load average is printed beside them.
#
# The real client is timed from outside: the shell notes the time just before
# it starts the client, and swap_probe (LD_PRELOAD) notes the time at which
# every glXSwapBuffers returns. The client itself is not changed.
#
# Environment: BUILD_DIR (build-bench), RUNS (3), STARTS (5), CLIENT_SECONDS (15),
# SMALL_SCREEN (640x480x24),
# SCENE_BENCH_ARGS (options for scene_bench, e.g. "--paints 50 --frames 90").
set -euo pipefail
export LC_ALL=C # decimal points in EPOCHREALTIME and awk
cd "$(dirname "$0")/.."
repo=$(pwd)

source scripts/client-harness.sh
screen=$kClientScreen
bash scripts/setup.sh
lib_start_xvfb "$screen"
export LIBGL_ALWAYS_SOFTWARE=1

build_dir=${BUILD_DIR:-build-bench}
runs=${RUNS:-3}
starts=${STARTS:-5}
client_seconds=${CLIENT_SECONDS:-15}
small_screen=${SMALL_SCREEN:-640x480x24}
warmup_seconds=2   # frames of the first seconds are left out of the periods
start_seconds=2    # life of the client in a start-up run
hit_life_seconds=2 # a hit's life: hits per second times this is the mean number live

lib_build "$build_dir" RelWithDebInfo -- scene_bench swap_probe radar-client radar-sim >/dev/null
bench="$repo/$build_dir/bench/scene_bench"
probe="$repo/$build_dir/bench/libswap_probe.so"
client="$repo/$build_dir/app/radar-client"

work=$(mktemp -d)
work_dir=$work
lib_at_exit 'rm -rf "$work"'

load() { cut -d' ' -f1-3 /proc/loadavg; }

# summarise < "KEY VALUE" lines: "KEY median min max count" per key.
summarise() {
    sort -k1,1 -k2,2g | awk '
        function flush() { if (n) printf "%s %.2f %.2f %.2f %d\n", key, v[int((n + 1) / 2)], v[1], v[n], n }
        $1 != key { flush(); key = $1; n = 0 }
        { v[++n] = $2 }
        END { flush() }'
}

# percentiles < values (ms), one per line: "count mean p50 p99 max".
percentiles() {
    sort -g | awk '{ v[++n] = $1; s += $1 }
        function at(p) { r = int(p * n); if (r < p * n) r++; if (r < 1) r = 1; return v[r] }
        END { if (n) printf "%d %.2f %.2f %.2f %.2f\n", n, s / n, at(0.5), at(0.99), v[n] }'
}

# table < "LAYOUT/MEASURE/STATISTIC VALUE" lines of the runs: one row per measure.
table() {
    summarise | awk '
        { med[$1] = $2; lo[$1] = $3; hi[$1] = $4 }
        function cell(k) { return (k in med) ? sprintf("%8.2f (%.2f..%.2f)", med[k], lo[k], hi[k]) : "" }
        END {
            printf "  %-7s %-20s %-28s %-28s\n", "layout", "measure", "mean", "p99"
            split("none wedge sector", layouts, " ")
            split("paintGL paintGL+finish updateGL+finish updateGL+finish-cpu tick update repaint frame frame-cpu hit-making-update", measures, " ")
            for (l = 1; l <= 3; ++l) {
                k = layouts[l] "/hits/min"
                printf "  %-7s hits drawn: %d..%d\n", layouts[l], med[k], med[layouts[l] "/hits/max"]
                for (m = 1; m <= 10; ++m) {
                    k = layouts[l] "/" measures[m]
                    if ((k "/mean") in med)
                        printf "  %-7s %-20s %-28s %-28s\n", layouts[l], measures[m], cell(k "/mean"), cell(k "/p99")
                }
            }
        }'
}

# statistics < scene_bench's output: "LAYOUT/MEASURE/STATISTIC VALUE" lines.
statistics() {
    awk 'NF == 6 { print $1 "/" $2 "/mean", $3; print $1 "/" $2 "/p99", $5 }
         NF == 4 && $2 ~ /hits/ { print $1 "/" $2 "/min", $3; print $1 "/" $2 "/max", $4 }'
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB; Xvfb $screen"
echo "Load average at start: $(load)"

# 1. scene_bench -------------------------------------------------------------
results="$work/scene.txt"
: > "$results"
for run in $(seq "$runs"); do
    before=$(load)
    # shellcheck disable=SC2086 # the options are meant to split
    "$bench" ${SCENE_BENCH_ARGS:-} 2> "$work/run$run.txt" > /dev/null
    echo "scene_bench run $run: load $before -> $(load)"
    statistics < "$work/run$run.txt" >> "$results"
done
grep -m1 renderer "$work/run1.txt"
echo
echo "scene_bench, $runs runs: each run's mean and p99, as the median over the runs (min..max), in ms"
table < "$results"

# 2 and 3: the real client against the real simulator --------------------------
# Runs the client in dir until its time to live ends. Leaves its swap times in
# dir/swaps.log, the time of its first "build" line in dir/build.stamp, its
# standard output in dir/out.txt, and the time it was started in dir/start.stamp.
run_client() {
    local dir=$1
    rm -f "$dir/swaps.log" "$dir/build.stamp"
    echo "$EPOCHREALTIME" > "$dir/start.stamp"
    (cd "$dir" && SWAP_PROBE_LOG="$dir/swaps.log" LD_PRELOAD="$probe" exec "$client") \
        2> "$dir/err.txt" | {
        while IFS= read -r line; do
            echo "$line"
            if [ "$line" = build ]; then
                echo "$EPOCHREALTIME" > "$dir/build.stamp"
                break
            fi
        done
        cat
    } > "$dir/out.txt"
}

echo
harness_start_sim --targets 1000
startup="$work/startup.txt"
: > "$startup"
for run in $(seq "$starts"); do
    dir="$work/start$run"
    harness_prepare "$start_seconds" "$dir"
    before=$(load)
    run_client "$dir"
    if [ ! -s "$dir/swaps.log" ] || [ ! -s "$dir/build.stamp" ]; then
        echo "run_scene_bench.sh: start-up run $run drew no frame:" >&2
        cat "$dir/err.txt" >&2
        exit 1
    fi
    t0=$(cat "$dir/start.stamp")
    swap=$(head -n1 "$dir/swaps.log")
    built=$(cat "$dir/build.stamp")
    awk -v t0="$t0" -v s="$swap" -v b="$built" \
        'BEGIN { printf "first-build %.1f\nfirst-frame %.1f\n", (b - t0) * 1000, (s - t0) * 1000 }' >> "$startup"
    echo "start-up run $run: load $before; first build $(awk -v t0="$t0" -v b="$built" 'BEGIN { printf "%.1f", (b - t0) * 1000 }') ms, first frame drawn $(awk -v t0="$t0" -v s="$swap" 'BEGIN { printf "%.1f", (s - t0) * 1000 }') ms"
done
echo "Start-up of radar-client, $starts runs (ms from process start; median, min..max):"
summarise < "$startup" | awk '{ printf "  %-12s %8.1f %8.1f..%.1f\n", $1, $2, $3, $4 }'

# Frame periods of a client run: the intervals between swaps after the warm-up.
frame_periods() {
    local dir=$1
    awk -v w="$warmup_seconds" 'NR == 1 { first = $1 }
        $1 - first >= w { if (prev) printf "%.3f\n", ($1 - prev) * 1000; prev = $1 }' "$dir/swaps.log"
}

report_client_run() {
    local dir=$1 label=$2
    local span hits
    span=$(awk 'NR == 1 { f = $1 } { l = $1 } END { print l - f }' "$dir/swaps.log")
    hits=$(grep -c '^hit @' "$dir/out.txt" || true)
    echo "$label: load $(load)"
    frame_periods "$dir" | percentiles | awk -v hits="$hits" -v span="$span" -v life="$hit_life_seconds" '{
        printf "  %d frame periods: mean %.2f ms (%.1f frames/s), p50 %.2f, p99 %.2f, max %.2f ms\n", $1, $2, 1000 / $2, $3, $4, $5
        printf "  %d hits in %.1f s: %.0f per second, about %.0f live on average\n", hits, span, hits / span, hits / span * life }'
    awk '{ if ($1 > 25) late++; n++ } END { if (n) printf "  periods above 25 ms: %d of %d (%.1f%%)\n", late, n, 100 * late / n }' \
        <(frame_periods "$dir")
}

dir="$work/walkers"
harness_prepare "$client_seconds" "$dir"
run_client "$dir"
echo
report_client_run "$dir" "radar-client, ${client_seconds} s against radar-sim --targets 1000"
harness_stop_sim

"$bench" --scenario "$work/sector.scn" 2> "$work/scenario.log" || { cat "$work/scenario.log" >&2; exit 1; }
harness_start_sim --scenario "$work/sector.scn"
dir="$work/sector"
harness_prepare "$client_seconds" "$dir"
run_client "$dir"
report_client_run "$dir" "radar-client, ${client_seconds} s against 1000 targets standing in a 150-degree sector"
harness_stop_sim

echo
echo "scene_bench once on a $small_screen screen (load $(load)):"
# shellcheck disable=SC2086 # the options are meant to split
(lib_start_xvfb "$small_screen"; "$bench" ${SCENE_BENCH_ARGS:-} 2> "$work/small.txt" > /dev/null)
grep -m1 '^view' "$work/small.txt"
statistics < "$work/small.txt" | table
echo "Load average at end: $(load)"
