#!/usr/bin/env bash
# Benchmarks the radar view under Mesa's software renderer (llvmpipe), with
# the view keeping its fixed scene (the station and the screen) and, for
# comparison in the same run, drawing the whole scene every frame
# (RADAR_SCENE_CACHE=0):
#   1. scene_bench on each of SCREENS, RUNS times, kept and whole in turn:
#      paintGL and the whole frame (tick, update, repaint) with no hit and with
#      1000 live hits;
#   2. the real radar-client against the real radar-sim (1000 walkers) on a
#      1280x1024 screen, STARTS times: from process start to the first frame;
#   3. the real client for CLIENT_SECONDS against 1000 walkers, kept and
#      whole: its frame periods, its CPU time per frame and its hits per second.
# Medians and min..max over the runs are printed, with the load average beside
# them, since a shared machine stretches wall-clock times.
#
# The real client is timed from outside: the shell notes the time just before
# it starts the client, and swap_probe (LD_PRELOAD) notes the time at which
# every glXSwapBuffers returns; its CPU time comes from /proc. The client
# itself is not changed.
#
# Environment: BUILD_DIR (build-bench), CMAKE_ARGS (e.g. -DRADAR_QT_MAJOR=5),
# RUNS (3), STARTS (5), CLIENT_SECONDS (15), SCREENS ("1280x1024 1920x1080"),
# LAYOUTS ("none sector"), SCENE_BENCH_ARGS (options for scene_bench; default
# "--paints 100 --frames 270").
set -euo pipefail
export LC_ALL=C # decimal points in EPOCHREALTIME and awk
cd "$(dirname "$0")/.."
repo=$(pwd)

client_screen="1280x1024"
# shellcheck source=scripts/client-harness.sh
source scripts/client-harness.sh
bash scripts/setup.sh
lib_start_xvfb "${client_screen}x24"
export LIBGL_ALWAYS_SOFTWARE=1

build_dir=${BUILD_DIR:-build-bench}
runs=${RUNS:-3}
starts=${STARTS:-5}
client_seconds=${CLIENT_SECONDS:-15}
screens=${SCREENS:-1280x1024 1920x1080}
layouts=${LAYOUTS:-none sector}
scene_bench_args=${SCENE_BENCH_ARGS:---paints 100 --frames 270}
modes="kept whole"
warmup_seconds=2   # frames of the first seconds are left out of the periods
start_seconds=2    # life of the client in a start-up run
hit_life_seconds=2 # a hit's life: hits per second times this is the mean number live
ticks_per_second=$(getconf CLK_TCK)

# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo ${CMAKE_ARGS:-} -- scene_bench swap_probe radar-client radar-sim >/dev/null
bench="$repo/$build_dir/bench/scene_bench"
probe="$repo/$build_dir/bench/libswap_probe.so"
client="$repo/$build_dir/app/radar-client"

work=$(mktemp -d)
# shellcheck disable=SC2034 # the harness keeps its files there
work_dir=$work
lib_at_exit 'rm -rf "$work"'

load() { cut -d' ' -f1-3 /proc/loadavg; }

# The environment of a mode: the view keeps its fixed scene, or draws it whole.
cache_setting() { [ "$1" = whole ] && echo 0 || echo 1; }

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

# statistics MODE < scene_bench's output: "MODE/LAYOUT/MEASURE/STATISTIC VALUE" lines.
statistics() {
    awk -v mode="$1" '
        NF == 6 { print mode "/" $1 "/" $2 "/mean", $3; print mode "/" $1 "/" $2 "/p99", $5 }
        NF == 4 && $2 == "hits" { print mode "/" $1 "/hits/min", $3; print mode "/" $1 "/hits/max", $4 }
        NF == 4 && $2 ~ /^kept-/ { print mode "/" $1 "/" $2 "/count", $3; print mode "/" $1 "/" $2 "/of", $4 }'
}

# table < statistics of the runs: per layout and measure, the kept and the
# whole scene side by side (median of the runs' means and p99s, min..max), and
# the kept frame's share of the whole one's.
table() {
    summarise | awk -v layouts="$layouts" '
        { med[$1] = $2; lo[$1] = $3; hi[$1] = $4 }
        function cell(k) { return (k in med) ? sprintf("%7.2f (%.2f..%.2f)", med[k], lo[k], hi[k]) : "" }
        END {
            printf "  %-7s %-20s %-26s %-26s %-26s %-26s %s\n", "layout", "measure", "kept mean", "kept p99", "whole mean", "whole p99", "kept/whole"
            n = split(layouts, names, " ")
            split("paintGL paintGL+finish updateGL+finish updateGL+finish-cpu tick update repaint frame frame-cpu", measures, " ")
            for (l = 1; l <= n; ++l) {
                layout = names[l]
                printf "  %-7s hits drawn %d..%d; frames that restored the fixed scene: kept %d of %d, whole %d of %d\n", layout,
                    med["kept/" layout "/hits/min"], med["kept/" layout "/hits/max"],
                    med["kept/" layout "/kept-frames/count"], med["kept/" layout "/kept-frames/of"],
                    med["whole/" layout "/kept-frames/count"], med["whole/" layout "/kept-frames/of"]
                for (m = 1; m <= 9; ++m) {
                    k = layout "/" measures[m]
                    if (!(("kept/" k "/mean") in med))
                        continue
                    ratio = med["whole/" k "/mean"] > 0 ? sprintf("%.2f", med["kept/" k "/mean"] / med["whole/" k "/mean"]) : ""
                    printf "  %-7s %-20s %-26s %-26s %-26s %-26s %s\n", layout, measures[m],
                        cell("kept/" k "/mean"), cell("kept/" k "/p99"), cell("whole/" k "/mean"), cell("whole/" k "/p99"), ratio
                }
            }
        }'
}

# scene_runs SCREEN: scene_bench on an Xvfb of that size, RUNS times, each
# layout kept and whole in turn so that both share the machine's mood.
scene_runs() {
    local screen=$1 results="$work/scene-$1.txt"
    : > "$results"
    for run in $(seq "$runs"); do
        for layout in $layouts; do
            for mode in $modes; do
                local log="$work/run-$screen-$run-$layout-$mode.txt" before
                before=$(load)
                # shellcheck disable=SC2086 # the options are meant to split
                (lib_start_xvfb "${screen}x24"
                 RADAR_SCENE_CACHE=$(cache_setting "$mode") \
                     "$bench" --layout "$layout" $scene_bench_args 2> "$log" > /dev/null)
                echo "$screen run $run $layout $mode: load $before -> $(load)"
                statistics "$mode" < "$log" >> "$results"
            done
        done
    done
    grep -m1 renderer "$work/run-$screen-1-${layouts%% *}-kept.txt"
    echo
    echo "scene_bench at $screen, $runs runs: each run's mean and p99, as the median over the runs (min..max), in ms"
    table < "$results"
    echo
}

echo "Qt $(sed -n 's/^RADAR_QT_BUILT_WITH:INTERNAL=//p' "$build_dir/CMakeCache.txt"), $(grep -m1 CMAKE_BUILD_TYPE: "$build_dir/CMakeCache.txt" | cut -d= -f2)"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo "Load average at start: $(load)"
echo

# 1. scene_bench ---------------------------------------------------------------
for screen in $screens; do
    scene_runs "$screen"
done

# 2 and 3: the real client against the real simulator ---------------------------
# run_client DIR MODE: runs the client in DIR until its time to live ends.
# Leaves its swap times in DIR/swaps.log, samples of its CPU time in
# DIR/cpu.log, its standard output in DIR/out.txt, and the time it was
# started in DIR/start.stamp.
run_client() {
    local dir=$1 mode=$2
    rm -f "$dir/swaps.log" "$dir/cpu.log"
    echo "$EPOCHREALTIME" > "$dir/start.stamp"
    (cd "$dir" && RADAR_SCENE_CACHE=$(cache_setting "$mode") SWAP_PROBE_LOG="$dir/swaps.log" \
        LD_PRELOAD="$probe" exec "$client") 2> "$dir/err.txt" > "$dir/out.txt" &
    local pid=$!
    watch_cpu "$pid" "$dir/cpu.log" &
    local watcher=$!
    wait "$pid" || true
    wait "$watcher" || true
}

# watch_cpu PID FILE: appends "TIME TICKS" to FILE, the process's user +
# system CPU ticks, until it ends (its /proc entry goes with it).
watch_cpu() {
    local ticks
    while ticks=$(awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null); do
        echo "$EPOCHREALTIME $ticks" >> "$2"
        sleep 0.1
    done
}

echo "== the real client on a $client_screen screen"
harness_start_sim --targets 1000
startup="$work/startup.txt"
: > "$startup"
for run in $(seq "$starts"); do
    dir="$work/start$run"
    harness_prepare "$start_seconds" "$dir"
    before=$(load)
    run_client "$dir" kept
    if [ ! -s "$dir/swaps.log" ]; then
        echo "run_scene_bench.sh: start-up run $run drew no frame:" >&2
        cat "$dir/err.txt" >&2
        exit 1
    fi
    t0=$(cat "$dir/start.stamp")
    swap=$(head -n1 "$dir/swaps.log")
    awk -v t0="$t0" -v s="$swap" 'BEGIN { printf "first-frame %.1f\n", (s - t0) * 1000 }' >> "$startup"
    echo "start-up run $run: load $before; first frame drawn $(awk -v t0="$t0" -v s="$swap" 'BEGIN { printf "%.1f", (s - t0) * 1000 }') ms"
done
echo "Start-up of radar-client, $starts runs (ms from process start; median, min..max):"
summarise < "$startup" | awk '{ printf "  %-12s %8.1f %8.1f..%.1f\n", $1, $2, $3, $4 }'

# Frame periods of a client run: the intervals between swaps after the warm-up.
frame_periods() {
    local dir=$1
    awk -v w="$warmup_seconds" 'NR == 1 { first = $1 }
        $1 - first >= w { if (prev) printf "%.3f\n", ($1 - prev) * 1000; prev = $1 }' "$dir/swaps.log"
}

# cpu_per_frame DIR: the client's CPU time between the first and the last
# sample of its CPU log that lie after the warm-up, over the frames swapped
# between those two samples.
cpu_per_frame() {
    local dir=$1
    awk -v w="$warmup_seconds" -v t="$ticks_per_second" '
        FNR == NR { if (FNR == 1) first = $1; if ($1 - first >= w) swap[++frames] = $1; next }
        $1 - first >= w && !start { start = $1; ticks0 = $2 }
        { end = $1; ticks1 = $2 }
        END {
            for (i = 1; i <= frames; ++i) if (swap[i] > start && swap[i] <= end) n++
            if (n) printf "  CPU per frame, worker threads included: %.2f ms (%.0f ms over %d frames)\n", (ticks1 - ticks0) * 1000 / t / n, (ticks1 - ticks0) * 1000 / t, n
        }' "$dir/swaps.log" "$dir/cpu.log"
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
    cpu_per_frame "$dir"
    awk '{ if ($1 > 25) late++; n++ } END { if (n) printf "  periods above 25 ms: %d of %d (%.1f%%)\n", late, n, 100 * late / n }' \
        <(frame_periods "$dir")
}

for mode in $modes; do
    dir="$work/walkers-$mode"
    harness_prepare "$client_seconds" "$dir"
    run_client "$dir" "$mode"
    echo
    report_client_run "$dir" "radar-client ($mode scene), ${client_seconds} s against radar-sim --targets 1000"
done
harness_stop_sim
echo "Load average at end: $(load)"
