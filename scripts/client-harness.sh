# Shared by run.sh, soak.sh, memcheck.sh and the scene benchmark (sourced, not run): builds the
# client and the simulator, starts the simulator on loopback, prepares a
# working folder for the client and, without a display, a private Xvfb.
# The caller sets build_dir and work_dir, and calls harness_cleanup on exit.
# RADAR_PORT chooses the simulator's port (0, the default: any free port).

harness_repo=$(pwd)
harness_screen="1280x1024x24"
harness_startup_wait=50 # tenths of a second for the simulator and Xvfb to come up
sim_pid=""
xvfb_pid=""

# harness_build [cmake options]
harness_build() {
    bash scripts/setup.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" --target radar-client radar-sim
}

# harness_stop PID: ends a program the harness started, if it still runs.
harness_stop() {
    if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

harness_stop_sim() {
    harness_stop "$sim_pid"
    sim_pid=""
}

harness_cleanup() {
    harness_stop_sim
    harness_stop "$xvfb_pid"
}

# harness_wait_for FILE PID WHAT LOG: waits until FILE is not empty; shows LOG
# when the program ends or takes too long first.
harness_wait_for() {
    local waited=0
    until [ -s "$1" ]; do
        if ! kill -0 "$2" 2>/dev/null || [ "$waited" -ge "$harness_startup_wait" ]; then
            echo "$3 did not start:" >&2
            cat "$4" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

# harness_start_sim [radar-sim options]: sets sim_port from the line the
# simulator prints when it listens.
harness_start_sim() {
    local log="$work_dir/radar-sim.log" port_file="$work_dir/radar-sim.port"
    : > "$port_file"
    "$harness_repo/$build_dir/tools/radar-sim/radar-sim" --listen 127.0.0.1 \
        --port "${RADAR_PORT:-0}" "$@" 2> "$log" &
    sim_pid=$!
    (until grep -q 'listening on' "$log"; do sleep 0.1; done
     grep -m1 -o 'listening on [0-9.]*:[0-9]*' "$log" | sed 's/.*://' > "$port_file") &
    harness_wait_for "$port_file" "$sim_pid" radar-sim "$log"
    sim_port=$(cat "$port_file")
}

# harness_prepare TIME_TO_LIVE [DIR]: the client's working folder (work_dir
# unless given), which it reads clientSettings.xml, textures/ and mdl/ from.
harness_prepare() {
    local dir=${2:-$work_dir}
    mkdir -p "$dir"
    for assets in textures mdl; do
        if [ ! -d "$harness_repo/$assets" ]; then
            echo "$harness_repo/$assets is missing; the client needs it" >&2
            exit 1
        fi
        ln -sfn "$harness_repo/$assets" "$dir/$assets"
    done
    cat > "$dir/clientSettings.xml" <<XML
<?xml version="1.0"?>
<settings>
    <host>127.0.0.1</host>
    <port>$sim_port</port>
    <timeToLive>$1</timeToLive>
</settings>
XML
}

# Mesa's software renderer always; a private X server on a free display
# number (reported through -displayfd) when there is no display.
harness_display() {
    export LIBGL_ALWAYS_SOFTWARE=1
    [ -n "${DISPLAY:-}" ] && return
    local fd_file="$work_dir/xvfb.display"
    : > "$fd_file"
    Xvfb -displayfd 3 -screen 0 "$harness_screen" -nolisten tcp 3> "$fd_file" 2> "$work_dir/xvfb.log" &
    xvfb_pid=$!
    harness_wait_for "$fd_file" "$xvfb_pid" Xvfb "$work_dir/xvfb.log"
    export DISPLAY=":$(head -n1 "$fd_file")"
}
