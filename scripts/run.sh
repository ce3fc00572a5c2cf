#!/usr/bin/env bash
# The demo in one command: installs what is missing, builds, starts radar-sim
# on loopback, runs radar-client beside it and stops the simulator when the
# client ends. Without a display it runs headless under Xvfb for RUN_SECONDS
# and saves screenshots.
#
#   bash scripts/run.sh [radar-sim options]     e.g. --targets 200, --scenario FILE
#
# Environment: BUILD_DIR (build), RADAR_PORT (0: any free port), RUN_SECONDS
# (headless run time, 20), SHOTS (headless screenshots, 3).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

build_dir=${BUILD_DIR:-build}
run_dir="$repo/$build_dir/run"
port=${RADAR_PORT:-0}
run_seconds=${RUN_SECONDS:-20}
shots=${SHOTS:-3}
startup_wait=5     # seconds for the simulator to report its port
grace_seconds=15   # beyond RUN_SECONDS before a stuck client is killed
screen="1280x1024x24"

sim_pid=""
xvfb_pid=""
client_pid=""
cleanup() {
    for pid in "$client_pid" "$sim_pid" "$xvfb_pid"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

build() {
    bash scripts/setup.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
    cmake --build "$build_dir" -j "$(nproc)" --target radar-client radar-sim
}

# The client reads clientSettings.xml, textures/ and mdl/ from its working directory.
prepare_run_dir() {
    mkdir -p "$run_dir/screenshots"
    for assets in textures mdl; do
        if [ ! -d "$repo/$assets" ]; then
            echo "run.sh: $repo/$assets is missing; the client needs it" >&2
            exit 1
        fi
        ln -sfn "$repo/$assets" "$run_dir/$assets"
    done
}

# Written once the simulator has told its port.
write_settings() {
    local time_to_live=$1
    cat > "$run_dir/clientSettings.xml" <<EOF
<?xml version="1.0"?>
<settings>
    <host>127.0.0.1</host>
    <port>$port</port>
    <timeToLive>$time_to_live</timeToLive>
</settings>
EOF
}

# Starts the simulator and learns its port from the line it prints on start.
start_simulator() {
    local log="$run_dir/radar-sim.log"
    "$repo/$build_dir/tools/radar-sim/radar-sim" --listen 127.0.0.1 --port "$port" "$@" 2> "$log" &
    sim_pid=$!
    local waited=0
    until grep -q 'listening on' "$log"; do
        if ! kill -0 "$sim_pid" 2>/dev/null || [ "$waited" -ge $((startup_wait * 10)) ]; then
            echo "run.sh: radar-sim did not start:" >&2
            cat "$log" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    port=$(grep -m1 -o 'listening on [0-9.]*:[0-9]*' "$log" | sed 's/.*://')
    echo "radar-sim listening on 127.0.0.1:$port (log: $run_dir/radar-sim.log)"
}

# A private X server on a free display number, reported through -displayfd.
start_xvfb() {
    local fd_file="$run_dir/xvfb.display"
    : > "$fd_file"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3> "$fd_file" 2> "$run_dir/xvfb.log" &
    xvfb_pid=$!
    local waited=0
    until [ -s "$fd_file" ]; do
        if ! kill -0 "$xvfb_pid" 2>/dev/null || [ "$waited" -ge $((startup_wait * 10)) ]; then
            echo "run.sh: Xvfb did not start:" >&2
            cat "$run_dir/xvfb.log" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    export LIBGL_ALWAYS_SOFTWARE=1
}

run_with_display() {
    prepare_run_dir
    start_simulator "$@"
    write_settings 0
    echo "radar-client running; Q or Escape ends it"
    (cd "$run_dir" && "$repo/$build_dir/app/radar-client")
}

run_headless() {
    prepare_run_dir
    start_simulator "$@"
    write_settings "$run_seconds"
    start_xvfb
    rm -f "$run_dir"/screenshots/*.png
    (cd "$run_dir" && exec "$repo/$build_dir/app/radar-client") > "$run_dir/radar-client.log" 2>&1 &
    client_pid=$!
    echo "radar-client running headless on $DISPLAY for $run_seconds s (log: $run_dir/radar-client.log)"
    take_screenshots
    wait_for_client
    echo "screenshots:"
    ls -1 "$run_dir"/screenshots/*.png 2>/dev/null || echo "  none taken"
}

# Spreads the screenshots evenly over the run, after the client has had time to start.
take_screenshots() {
    local interval=$((run_seconds / (shots + 1)))
    [ "$interval" -ge 1 ] || interval=1
    for i in $(seq 1 "$shots"); do
        sleep "$interval"
        kill -0 "$client_pid" 2>/dev/null || break
        import -display "$DISPLAY" -window root "$run_dir/screenshots/shot-$i.png" \
            || echo "run.sh: screenshot $i failed" >&2
    done
}

wait_for_client() {
    local deadline=$((SECONDS + run_seconds + grace_seconds))
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

build
if [ -n "${DISPLAY:-}" ]; then
    run_with_display "$@"
else
    run_headless "$@"
fi
