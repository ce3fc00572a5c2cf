# shellcheck shell=bash
# shellcheck disable=SC2154 # the sourcing script sets build_dir and work_dir
# Shared by run.sh, soak.sh, memcheck.sh and the scene benchmark (sourced, not
# run; it brings scripts/lib.sh along): builds the client and the simulator,
# starts the simulator on loopback and prepares a working folder for the
# client. The caller sets build_dir and work_dir; what the harness starts is
# stopped when the script ends. RADAR_PORT chooses the simulator's port (0, the
# default: any free port).

# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

sim_pid=""
# What runs the programs: nothing on this machine's own builds; a cross
# build's script sets its emulator.
harness_emulator=()
kListeningLine='listening on [0-9.]+:[0-9]+' # what the simulator prints when ready

# harness_build [cmake options]
harness_build() {
    lib_build "$build_dir" RelWithDebInfo "$@" -- radar-client radar-sim
}

harness_stop_sim() {
    lib_stop "$sim_pid"
    sim_pid=""
}
lib_at_exit harness_stop_sim

# harness_start_sim [radar-sim options]: sets sim_port from the line the
# simulator prints when it listens.
harness_start_sim() {
    local log="$work_dir/radar-sim.log"
    "${harness_emulator[@]}" "$lib_repo/$build_dir/tools/radar-sim/radar-sim" --listen 127.0.0.1 \
        --port "${RADAR_PORT:-0}" "$@" 2> "$log" &
    sim_pid=$!
    lib_wait_for "$log" "$kListeningLine" "$sim_pid" radar-sim "$log"
    sim_port=$(grep -m1 -o -E "$kListeningLine" "$log" | sed 's/.*://')
}

# The example settings whose guard zones ZONES=1 copies into the client's.
kZonesExample="$lib_repo/packaging/examples/clientSettings-zones.xml"

# harness_prepare TIME_TO_LIVE [DIR]: the client's working folder (work_dir
# unless given), which it reads clientSettings.xml, textures/, mdl/ and
# sounds/ from. With ZONES=1 the settings get the example's guard zones.
harness_prepare() {
    local dir=${2:-$work_dir} zones=""
    mkdir -p "$dir"
    if [ "${ZONES:-0}" = 1 ]; then
        zones=$(sed -n '/<guardZone>/,/<\/guardZone>/p' "$kZonesExample")
    fi
    for assets in textures mdl sounds; do
        if [ ! -d "$lib_repo/$assets" ]; then
            echo "$lib_repo/$assets is missing; the client needs it" >&2
            exit 1
        fi
        ln -sfn "$lib_repo/$assets" "$dir/$assets"
    done
    cat > "$dir/clientSettings.xml" <<XML
<?xml version="1.0"?>
<settings>
    <host>127.0.0.1</host>
    <port>$sim_port</port>
    <timeToLive>$1</timeToLive>
$zones
</settings>
XML
}
