#!/usr/bin/env bash
# The demo in one command: installs what is missing, builds, starts radar-sim
# on loopback, runs radar-client beside it and stops the simulator when the
# client ends. Without a display it runs headless under Xvfb for RUN_SECONDS
# and saves screenshots.
#
#   bash scripts/run.sh [radar-sim options]     e.g. --targets 200, --scenario FILE
#
# Environment: BUILD_DIR (build), RADAR_PORT (0: any free port), RUN_SECONDS
# (headless run time, 20), SHOTS (headless screenshots, 3), CMAKE_ARGS, ZONES
# (1: the guard zones of packaging/examples/clientSettings-zones.xml).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
work_dir="$(pwd)/$build_dir/run"
run_seconds=${RUN_SECONDS:-20}
shots=${SHOTS:-3}
kGraceSeconds=15 # beyond RUN_SECONDS before a stuck client is killed

source scripts/client-harness.sh
client="$lib_repo/$build_dir/app/radar-client"
client_pid=""

start() {
    mkdir -p "$work_dir/screenshots"
    bash scripts/setup.sh
    # shellcheck disable=SC2086 # the options are meant to split
    harness_build ${CMAKE_ARGS:-}
    harness_start_sim "$@"
    echo "radar-sim listening on 127.0.0.1:$sim_port (log: $work_dir/radar-sim.log)"
}

run_with_display() {
    harness_prepare 0
    echo "radar-client running; Q or Escape ends it"
    (cd "$work_dir" && "$client")
}

run_headless() {
    harness_prepare "$run_seconds"
    lib_headless_display
    rm -f "$work_dir"/screenshots/*.png
    (cd "$work_dir" && exec "$client") > "$work_dir/radar-client.log" 2>&1 &
    client_pid=$!
    lib_at_exit 'lib_stop "$client_pid"'
    echo "radar-client running headless on $DISPLAY for $run_seconds s (log: $work_dir/radar-client.log)"
    take_screenshots
    wait_for_client
    echo "screenshots:"
    ls -1 "$work_dir"/screenshots/*.png 2>/dev/null || echo "  none taken"
}

# Spreads the screenshots evenly over the run, after the client has had time to start.
take_screenshots() {
    local interval=$((run_seconds / (shots + 1)))
    [ "$interval" -ge 1 ] || interval=1
    for i in $(seq 1 "$shots"); do
        sleep "$interval"
        kill -0 "$client_pid" 2>/dev/null || break
        import -display "$DISPLAY" -window root "$work_dir/screenshots/shot-$i.png" \
            || echo "run.sh: screenshot $i failed" >&2
    done
}

wait_for_client() {
    local deadline=$((SECONDS + run_seconds + kGraceSeconds))
    while kill -0 "$client_pid" 2>/dev/null; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "run.sh: radar-client did not end on time; stopping it" >&2
            kill "$client_pid" 2>/dev/null || true
            break
        fi
        sleep 0.5
    done
    local status=0
    wait "$client_pid" || status=$?
    client_pid=""
    echo "radar-client ended with status $status"
}

start "$@"
if [ -n "${DISPLAY:-}" ]; then
    run_with_display
else
    run_headless
fi
