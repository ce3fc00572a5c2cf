# Shared by soak.sh and memcheck.sh (sourced, not run): builds the client and
# the simulator, starts the simulator on a free loopback port, prepares a
# working folder for the client and, without a display, a private Xvfb.
# The caller sets build_dir and work_dir, and calls harness_cleanup on exit.

harness_repo=$(pwd)
harness_screen="1280x1024x24"
harness_startup_wait=50 # tenths of a second for the simulator and Xvfb to come up
sim_pid=""
xvfb_pid=""

harness_build() {
    bash scripts/setup.sh
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRADAR_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" --target radar-client radar-sim
}

harness_cleanup() {
    for pid in "$sim_pid" "$xvfb_pid"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}

# harness_wait_for FILE PID WHAT: waits until FILE is not empty.
harness_wait_for() {
    local waited=0
    until [ -s "$1" ]; do
        if ! kill -0 "$2" 2>/dev/null || [ "$waited" -ge "$harness_startup_wait" ]; then
            echo "$3 did not start" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

# harness_start_sim [radar-sim options]: sets sim_port.
harness_start_sim() {
    local log="$work_dir/radar-sim.log" port_file="$work_dir/radar-sim.port"
    : > "$port_file"
    "$harness_repo/$build_dir/tools/radar-sim/radar-sim" --listen 127.0.0.1 --port 0 "$@" 2> "$log" &
    sim_pid=$!
    (until grep -q 'listening on' "$log"; do sleep 0.1; done
     grep -m1 -o 'listening on [0-9.]*:[0-9]*' "$log" | sed 's/.*://' > "$port_file") &
    harness_wait_for "$port_file" "$sim_pid" radar-sim
    sim_port=$(cat "$port_file")
}

# harness_prepare TIME_TO_LIVE: the client's working folder.
harness_prepare() {
    for assets in textures mdl; do
        ln -sfn "$harness_repo/$assets" "$work_dir/$assets"
    done
    cat > "$work_dir/clientSettings.xml" <<XML
<settings><host>127.0.0.1</host><port>$sim_port</port><timeToLive>$1</timeToLive></settings>
XML
}

harness_display() {
    export LIBGL_ALWAYS_SOFTWARE=1
    [ -n "${DISPLAY:-}" ] && return
    local fd_file="$work_dir/xvfb.display"
    : > "$fd_file"
    Xvfb -displayfd 3 -screen 0 "$harness_screen" -nolisten tcp 3> "$fd_file" 2> "$work_dir/xvfb.log" &
    xvfb_pid=$!
    harness_wait_for "$fd_file" "$xvfb_pid" Xvfb
    export DISPLAY=":$(head -n1 "$fd_file")"
}
