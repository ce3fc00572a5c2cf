#!/usr/bin/env bash
# Benchmarks the radar view under Mesa's software renderer (llvmpipe), on the
# default Qt build and on the other Qt version's build in one run, each case on
# both builds in turn so that they share the machine's mood:
#   1. scene_bench on each of SCREENS, RUNS times, each of LAYOUTS with the
#      view as it runs ("kept") and drawing every frame whole
#      (RADAR_SCENE_CACHE=0): paintGL and the whole frame (tick, update,
#      repaint), their CPU time, with 1000 live hits in the "sector" layout;
#   2. the real radar-client against the real radar-sim (1000 walkers) on a
#      1280x1024 screen, STARTS times: from process start to the first frame;
#   3. the real client for CLIENT_SECONDS against 1000 walkers on each of
#      SCREENS at each display scale of SCALES (QT_SCALE_FACTOR): its frame
#      periods, its CPU time per frame and its hits per second; and, on the
#      first screen at scale 1, once drawing every frame whole, and ZONE_PAIRS
#      times in turn with and without the four guard zones of
#      packaging/examples/clientSettings-zones.xml.
# Then the ratios the targets are about: the default build over the other,
# and scale 2 over scale 1. Medians and min..max over the runs are printed,
# with the load average beside them, since a shared machine stretches
# wall-clock times.
#
# The real client is timed from outside: the shell notes the time just before
# it starts the client, and swap_probe (LD_PRELOAD) notes the time at which
# every glXSwapBuffers returns; its CPU time comes from /proc. The client
# itself is not changed.
#
# With BASELINE=REV, the second build is not the other Qt version's but the
# same Qt's build of git revision REV (a branch, a commit), labelled "base",
# so that a change is measured side by side with what came before it. It is
# checked out into BASELINE_BUILD_DIR-source (a git worktree, kept for the
# next run) and built in BASELINE_BUILD_DIR (build-bench-base).
#
# Environment: BUILD_DIR (build-bench), OTHER_BUILD_DIR (build-bench-other),
# OTHER_QT (1; 0 measures the default build alone), BASELINE, BASELINE_BUILD_DIR, CMAKE_ARGS, RUNS (3),
# STARTS (5), CLIENT_SECONDS (15), SCREENS ("1280x1024 1920x1080"), SCALES
# ("1 2"), LAYOUTS ("sector"), ZONE_PAIRS (3), SCENE_BENCH_ARGS (default
# "--paints 100 --frames 270").
set -euo pipefail
export LC_ALL=C # decimal points in EPOCHREALTIME and awk
cd "$(dirname "$0")/.."
repo=$(pwd)

# shellcheck source=scripts/client-harness.sh
source scripts/client-harness.sh
bash scripts/setup.sh
export LIBGL_ALWAYS_SOFTWARE=1

build_dir=${BUILD_DIR:-build-bench}
other_dir=${OTHER_BUILD_DIR:-build-bench-other}
runs=${RUNS:-3}
starts=${STARTS:-5}
client_seconds=${CLIENT_SECONDS:-15}
screens=${SCREENS:-1280x1024 1920x1080}
scales=${SCALES:-1 2}
layouts=${LAYOUTS:-sector}
zone_pairs=${ZONE_PAIRS:-3}
scene_bench_args=${SCENE_BENCH_ARGS:---paints 100 --frames 270}
start_screen="1280x1024"
modes="kept whole"
warmup_seconds=2   # frames of the first seconds are left out of the periods
start_seconds=2    # life of the client in a start-up run
hit_life_seconds=2 # a hit's life: hits per second times this is the mean number live
ticks_per_second=$(getconf CLK_TCK)
kBenchTargets=(scene_bench swap_probe radar-client radar-sim)

built_with() { sed -n 's/^RADAR_QT_BUILT_WITH:INTERNAL=//p' "$1/CMakeCache.txt"; }

# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo ${CMAKE_ARGS:-} -- "${kBenchTargets[@]}" >/dev/null
builds=("$build_dir")
baseline_dir=""
if [ -n "${BASELINE:-}" ]; then
    # A worktree of its own that stays, so that its build folder's cache
    # matches it the next time and only what changed is rebuilt.
    baseline_dir=${BASELINE_BUILD_DIR:-build-bench-base}
    baseline_source="$repo/$baseline_dir-source"
    if [ -d "$baseline_source" ]; then
        git -C "$baseline_source" checkout --quiet --detach "$BASELINE"
    else
        git -C "$repo" worktree add --detach "$baseline_source" "$BASELINE" >/dev/null
    fi
    # shellcheck disable=SC2086 # the options are meant to split
    (cd "$baseline_source" && source scripts/lib.sh &&
        lib_build "$repo/$baseline_dir" RelWithDebInfo ${CMAKE_ARGS:-} \
            -DRADAR_QT_MAJOR="$(built_with "$repo/$build_dir")" -- "${kBenchTargets[@]}" >/dev/null)
    builds+=("$baseline_dir")
elif [ "${OTHER_QT:-1}" = 1 ]; then
    other_qt=$(($(built_with "$build_dir") == 6 ? 5 : 6))
    # shellcheck disable=SC2086 # the options are meant to split
    lib_build "$other_dir" RelWithDebInfo ${CMAKE_ARGS:-} -DRADAR_QT_MAJOR="$other_qt" \
        -- "${kBenchTargets[@]}" >/dev/null
    builds+=("$other_dir")
fi
probe="$repo/$build_dir/bench/libswap_probe.so"

work=$(mktemp -d)
# shellcheck disable=SC2034 # the harness keeps its files there
work_dir=$work
lib_at_exit 'rm -rf "$work"'

load() { cut -d' ' -f1-3 /proc/loadavg; }
qt_of() { [ "$1" = "$baseline_dir" ] && echo base || echo "Qt$(built_with "$1")"; }

# The environment of a mode: the view as it runs, or drawing every frame whole.
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

echo "Builds: $(for b in "${builds[@]}"; do printf '%s (%s) ' "$b" "$(qt_of "$b")"; done)"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo "Load average at start: $(load)"
echo

# 1. scene_bench ---------------------------------------------------------------
# scene_statistics LABEL < scene_bench's output: "LABEL/LAYOUT/MEASURE/STATISTIC VALUE".
scene_statistics() {
    awk -v label="$1" '
        NF == 6 { print label "/" $1 "/" $2 "/mean", $3; print label "/" $1 "/" $2 "/p99", $5 }
        NF == 4 && $2 == "hits" { print label "/" $1 "/hits/max", $4 }
        NF == 4 && $2 == "kept-frames" { print label "/" $1 "/kept-frames/count", $3; print label "/" $1 "/kept-frames/of", $4 }'
}

# scene_table < statistics of the runs: per layout and measure, each build's
# kept and whole means (median of the runs, min..max).
scene_table() {
    summarise | awk -v layouts="$layouts" -v labels="$1" '
        { med[$1] = $2; lo[$1] = $3; hi[$1] = $4 }
        function cell(k) { return (k in med) ? sprintf("%.2f (%.2f..%.2f)", med[k], lo[k], hi[k]) : "-" }
        END {
            nl = split(labels, label, " "); n = split(layouts, name, " ")
            split("paintGL+finish updateGL+finish-cpu frame frame-cpu", measure, " ")
            for (l = 1; l <= n; ++l) {
                for (b = 1; b <= nl; ++b)
                    printf "  %-7s %s: %d hits drawn; frames that restored the fixed scene: kept %d of %d, whole %d of %d\n",
                        name[l], label[b], med[label[b] "-kept/" name[l] "/hits/max"],
                        med[label[b] "-kept/" name[l] "/kept-frames/count"], med[label[b] "-kept/" name[l] "/kept-frames/of"],
                        med[label[b] "-whole/" name[l] "/kept-frames/count"], med[label[b] "-whole/" name[l] "/kept-frames/of"]
                for (m = 1; m <= 4; ++m)
                    for (b = 1; b <= nl; ++b) {
                        k = name[l] "/" measure[m] "/mean"
                        printf "  %-7s %-20s %-5s kept %-24s whole %s\n", name[l], measure[m], label[b],
                            cell(label[b] "-kept/" k), cell(label[b] "-whole/" k)
                    }
            }
        }'
}

# scene_runs SCREEN: scene_bench on an Xvfb of that size, RUNS times, each
# layout, mode and build in turn.
scene_runs() {
    local screen=$1 results="$work/scene-$1.txt" labels=""
    : > "$results"
    for build in "${builds[@]}"; do labels="$labels $(qt_of "$build")"; done
    for run in $(seq "$runs"); do
        for layout in $layouts; do
            for mode in $modes; do
                for build in "${builds[@]}"; do
                    local log="$work/run-$screen-$run-$layout-$mode-$build.txt" before
                    before=$(load)
                    # shellcheck disable=SC2086 # the options are meant to split
                    (lib_start_xvfb "${screen}x24"
                     RADAR_SCENE_CACHE=$(cache_setting "$mode") \
                         "$repo/$build/bench/scene_bench" --layout "$layout" $scene_bench_args 2> "$log" > /dev/null)
                    echo "$screen run $run $layout $mode $(qt_of "$build"): load $before -> $(load)"
                    scene_statistics "$(qt_of "$build")-$mode" < "$log" >> "$results"
                done
            done
        done
    done
    grep -m1 renderer "$work/run-$screen-1-${layouts%% *}-kept-$build_dir.txt"
    echo
    echo "scene_bench at $screen, $runs runs: each run's mean as the median over the runs (min..max), in ms"
    scene_table "$labels" < "$results"
    echo
}

for screen in $screens; do
    scene_runs "$screen"
done

# 2 and 3: the real client against the real simulator ---------------------------
# run_client DIR BUILD MODE SCALE: runs the client of BUILD in DIR until its
# time to live ends. Leaves its swap times in DIR/swaps.log, samples of its CPU
# time in DIR/cpu.log, its standard output in DIR/out.txt, and the time it was
# started in DIR/start.stamp.
run_client() {
    local dir=$1 build=$2 mode=$3 scale=$4
    rm -f "$dir/swaps.log" "$dir/cpu.log"
    echo "$EPOCHREALTIME" > "$dir/start.stamp"
    (cd "$dir" && RADAR_SCENE_CACHE=$(cache_setting "$mode") QT_SCALE_FACTOR=$scale \
        SWAP_PROBE_LOG="$dir/swaps.log" LD_PRELOAD="$probe" exec "$repo/$build/app/radar-client") \
        2> "$dir/err.txt" > "$dir/out.txt" &
    local pid=$!
    watch_cpu "$pid" "$dir/cpu.log" &
    local watcher=$!
    wait "$pid" || true
    wait "$watcher" || true
    if [ ! -s "$dir/swaps.log" ]; then
        echo "run_scene_bench.sh: $build drew no frame:" >&2
        cat "$dir/err.txt" >&2
        exit 1
    fi
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

harness_start_sim --targets 1000

startup_runs() {
    lib_start_xvfb "${start_screen}x24"
    local startup="$work/startup.txt"
    : > "$startup"
    for run in $(seq "$starts"); do
        for build in "${builds[@]}"; do
            local dir="$work/start-$run-$build" t0 swap
            harness_prepare "$start_seconds" "$dir"
            run_client "$dir" "$build" kept 1
            t0=$(cat "$dir/start.stamp")
            swap=$(head -n1 "$dir/swaps.log")
            awk -v t0="$t0" -v s="$swap" -v q="$(qt_of "$build")" \
                'BEGIN { printf "%s %.1f\n", q, (s - t0) * 1000 }' >> "$startup"
        done
    done
    echo "== start-up of radar-client on $start_screen, $starts runs (ms from process start to the first frame; median, min..max), load $(load):"
    summarise < "$startup" | awk '{ printf "  %-5s %8.1f %8.1f..%.1f\n", $1, $2, $3, $4 }'
    echo
}
(startup_runs)

# Frame periods of a client run: the intervals between swaps after the warm-up.
frame_periods() {
    awk -v w="$warmup_seconds" 'NR == 1 { first = $1 }
        $1 - first >= w { if (prev) printf "%.3f\n", ($1 - prev) * 1000; prev = $1 }' "$1/swaps.log"
}

# cpu_per_frame DIR: the client's CPU ms per frame between the first and the
# last sample of its CPU log that lie after the warm-up, over the frames
# swapped between those two samples.
cpu_per_frame() {
    awk -v w="$warmup_seconds" -v t="$ticks_per_second" '
        FNR == NR { if (FNR == 1) first = $1; if ($1 - first >= w) swap[++frames] = $1; next }
        $1 - first >= w && !start { start = $1; ticks0 = $2 }
        { end = $1; ticks1 = $2 }
        END {
            for (i = 1; i <= frames; ++i) if (swap[i] > start && swap[i] <= end) n++
            printf "%.2f\n", n ? (ticks1 - ticks0) * 1000 / t / n : 0
        }' "$1/swaps.log" "$1/cpu.log"
}

# client_line DIR: "frames period-mean period-p99 cpu-per-frame hits-per-second".
client_line() {
    local dir=$1 span hits
    span=$(awk 'NR == 1 { f = $1 } { l = $1 } END { print l - f }' "$dir/swaps.log")
    hits=$(grep -c '^hit @' "$dir/out.txt" || true)
    echo "$(frame_periods "$dir" | percentiles | awk '{ print $1, $2, $4 }') $(cpu_per_frame "$dir") $(awk -v h="$hits" -v s="$span" 'BEGIN { printf "%.0f", h / s }')"
}

# client_runs SCREEN: the real client on an Xvfb of that size, at each scale
# and on each build, and drawn whole on the first screen.
client_runs() {
    local screen=$1
    lib_start_xvfb "${screen}x24"
    for scale in $scales; do
        for build in "${builds[@]}"; do
            local dir="$work/client-$screen-$scale-$build"
            harness_prepare "$client_seconds" "$dir"
            run_client "$dir" "$build" kept "$scale"
            echo "$screen $scale $(qt_of "$build") kept $(client_line "$dir") $(load)" >> "$work/clients.txt"
        done
    done
    [ "$screen" = "${screens%% *}" ] || return 0
    for build in "${builds[@]}"; do
        local dir="$work/client-$screen-whole-$build"
        harness_prepare "$client_seconds" "$dir"
        run_client "$dir" "$build" whole 1
        echo "$screen 1 $(qt_of "$build") whole $(client_line "$dir") $(load)" >> "$work/clients.txt"
    done
    run_zone_pairs "$screen"
}

# run_zone_pairs SCREEN: the client with the example's four guard zones, which
# 1000 walkers keep in alarm, and without, in turn ZONE_PAIRS times on each
# build: "BUILD CPU-WITH CPU-WITHOUT" lines, since one run of each is not
# enough to tell a few percent from the machine's mood.
run_zone_pairs() {
    local screen=$1 pair build dir with without
    for pair in $(seq "$zone_pairs"); do
        for build in "${builds[@]}"; do
            dir="$work/zones-$screen-$pair-$build"
            ZONES=1 harness_prepare "$client_seconds" "$dir"
            run_client "$dir" "$build" kept 1
            with=$(cpu_per_frame "$dir")
            dir="$work/nozones-$screen-$pair-$build"
            harness_prepare "$client_seconds" "$dir"
            run_client "$dir" "$build" kept 1
            without=$(cpu_per_frame "$dir")
            echo "$(qt_of "$build") $with $without" >> "$work/zonepairs.txt"
        done
    done
}

: > "$work/clients.txt"
: > "$work/zonepairs.txt"
for screen in $screens; do
    (client_runs "$screen")
done
harness_stop_sim

echo "== the real client against radar-sim --targets 1000, ${client_seconds} s each, the first ${warmup_seconds} s left out"
echo "   (frame period mean and p99, CPU per frame with llvmpipe's threads, hits per second; load average after)"
awk '{ printf "  %-9s scale %s %-5s %-5s %5d frames  period %6.2f ms (p99 %6.2f)  CPU %6.2f ms  %4d hits/s  load %s %s %s\n",
           $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12 }' "$work/clients.txt"
echo
echo "== the targets' ratios"
awk -v first="$(qt_of "$build_dir")" '
    $4 == "kept" { period[$1 " " $2 " " $3] = $6; cpu[$1 " " $2 " " $3] = $8; qt[$3] = 1 }
    END {
        for (k in cpu) {
            split(k, f, " ")
            if (f[3] != first) {
                mine = f[1] " " f[2] " " first
                if (mine in cpu)
                    printf "  %s scale %s, %s over %s: CPU per frame %.2f, period %.2f\n", f[1], f[2], first, f[3], cpu[mine] / cpu[k], period[mine] / period[k]
            }
            if (f[2] == 2 && (f[1] " 1 " f[3]) in cpu)
                printf "  %s %s, scale 2 over scale 1: CPU per frame %.2f\n", f[1], f[3], cpu[k] / cpu[f[1] " 1 " f[3]]
        }
    }' "$work/clients.txt" | sort
echo
echo "== four guard zones over none, the real client at ${screens%% *}, $zone_pairs pairs in turn"
echo "   (CPU per frame with and without, and their ratio: median, min..max)"
awk '{ printf "%s %.2f %.2f %.4f\n", $1, $2, $3, $2 / $3 }' "$work/zonepairs.txt" | sort -k1,1 -k4,4g |
    awk '{ n[$1]++; r[$1, n[$1]] = $4; w[$1] = w[$1] " " $2 "/" $3 }
        END { for (q in n) printf "  %-5s %s  ratio %.2f (%.2f..%.2f)\n", q, w[q],
                  r[q, int((n[q] + 1) / 2)], r[q, 1], r[q, n[q]] }'
echo "Load average at end: $(load)"
