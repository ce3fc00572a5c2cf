#!/usr/bin/env bash
# Soak run: the client against radar-sim serving 1000 random walkers, for
# SOAK_SECONDS (default 600), with the client's resident memory and CPU use
# sampled every SAMPLE_SECONDS (default 10). Not part of the test suite.
#
#   bash scripts/soak.sh
#
# Writes build/soak/samples.csv (seconds, VmRSS KiB, CPU % of one core over
# the interval) and prints a summary. Fails when the client does not live to
# its time limit or ends with a status other than 0.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
work_dir="$(pwd)/$build_dir/soak"
soak_seconds=${SOAK_SECONDS:-600}
sample_seconds=${SAMPLE_SECONDS:-10}
kTargets=1000     # random walkers the simulator serves
kGraceSeconds=30 # start-up and shut-down beyond the time limit
kWarmUpSeconds=60 # memory growth is measured from the first sample after this
ticks=$(getconf CLK_TCK)

source scripts/client-harness.sh
client_pid=""

# utime + stime of a process, in clock ticks.
cpu_ticks() {
    awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo ""
}

rss_kib() {
    awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo ""
}

# Samples until the client ends; stops a client that outlives its time limit.
sample() {
    local csv="$work_dir/samples.csv" elapsed=0 before now rss
    echo "seconds,rss_kib,cpu_percent" > "$csv"
    before=$(cpu_ticks "$client_pid")
    while kill -0 "$client_pid" 2>/dev/null; do
        sleep "$sample_seconds"
        elapsed=$((elapsed + sample_seconds))
        if [ "$elapsed" -ge $((soak_seconds + kGraceSeconds)) ]; then
            echo "soak: the client outlived its time limit; stopping it" >&2
            kill "$client_pid" 2>/dev/null || true
        fi
        now=$(cpu_ticks "$client_pid")
        rss=$(rss_kib "$client_pid")
        [ -n "$now" ] && [ -n "$rss" ] || break
        echo "$elapsed,$rss,$(( (now - before) * 100 / (ticks * sample_seconds) ))" >> "$csv"
        before=$now
    done
}

summarise() {
    awk -F, -v warm="$kWarmUpSeconds" 'NR > 1 {
            n++; cpu += $3; if ($1 >= warm) { if (!base) base = $2; last = $2 }
            if (max < $2) max = $2; if (!min || min > $2) min = $2 }
        END { printf "samples %d, VmRSS min %d KiB, max %d KiB; after the first %d s: %d -> %d KiB (%+d KiB); mean CPU %.1f%% of one core\n",
              n, min, max, warm, base, last, last - base, cpu / n }' "$work_dir/samples.csv"
}

bash scripts/setup.sh
harness_build
rm -rf "$work_dir" && mkdir -p "$work_dir"
harness_start_sim --targets "$kTargets"
harness_prepare "$soak_seconds"
lib_headless_display
(cd "$work_dir" && exec "$lib_repo/$build_dir/app/radar-client") > "$work_dir/client.out" 2> "$work_dir/client.err" &
client_pid=$!
lib_at_exit 'lib_stop "$client_pid"'
echo "soak: client $client_pid against $kTargets targets for $soak_seconds s on $DISPLAY"
sample
status=0
wait "$client_pid" || status=$?
client_pid=""
summarise
echo "client exit status $status; $(grep -c '^build$' "$work_dir/client.out") builds, $(grep -c '^hit' "$work_dir/client.out") hits; samples in $work_dir/samples.csv"
exit "$status"
