# shellcheck shell=bash
# Shared by every script of the project (sourced, not run): installing Debian
# packages, configuring and building with CMake, a private Xvfb or Weston, and
# clean-up when the script ends. Each function says what it needs; none
# changes the working directory.

lib_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kClientScreen="1280x1024x24" # the screen the client fills, and the tests' screen
kStartupWaitTenths=100       # tenths of a second a started program may take to come up
kInterruptedStatus=130       # exit status after Ctrl-C or a TERM signal
# build-asan's options, for both scripts that build it (test.sh, test-sanitized.sh)
# shellcheck disable=SC2034 # used by the scripts that source this file
kSanitizedBuildOptions=(-DRADAR_SANITIZE=ON -DRADAR_BUILD_BENCH=OFF)
lib_exit_owners=()
lib_exit_commands=()

# lib_at_exit COMMAND: runs COMMAND (evaluated then, so it sees the variables'
# values at exit) when this shell ends, by exit, error or signal. Commands run
# in the reverse order of their registration. Each belongs to the shell that
# registered it, so a subshell that ends never runs its parent's commands.
lib_at_exit() {
    lib_exit_owners+=("$BASHPID")
    lib_exit_commands+=("$1")
    trap lib_run_exit_commands EXIT
    trap 'exit "$kInterruptedStatus"' INT TERM
}

lib_run_exit_commands() {
    local i
    trap '' INT TERM # a second Ctrl-C must not cut the clean-up short
    for ((i = ${#lib_exit_commands[@]} - 1; i >= 0; i--)); do
        if [ "${lib_exit_owners[i]}" = "$BASHPID" ]; then
            eval "${lib_exit_commands[i]}" || true
        fi
    done
}

lib_package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# lib_install_packages PACKAGE...: installs the Debian packages among those
# named that are not installed yet, and asks apt nothing when all are. Works
# as root and, for anyone else, through sudo.
lib_install_packages() {
    local missing=() package
    for package in "$@"; do
        lib_package_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "Installing missing packages: ${missing[*]}"
    local as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Installing ${missing[*]} needs root or sudo" >&2
            return 1
        fi
        as_root=(sudo)
    fi
    "${as_root[@]}" apt-get update -qq
    # env, because sudo would drop the variable from the environment.
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# lib_build BUILD_DIR BUILD_TYPE [CMAKE_OPTION...] [-- TARGET...]: configures
# the repository into BUILD_DIR and builds the targets named after "--", or
# everything when none are.
lib_build() {
    local build_dir=$1 build_type=$2 options=() targets=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        options+=("$1")
        shift
    done
    if [ $# -gt 1 ]; then
        targets=(--target "${@:2}")
    fi
    cmake -S "$lib_repo" -B "$build_dir" -DCMAKE_BUILD_TYPE="$build_type" "${options[@]}" >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" "${targets[@]}"
}

# lib_wait_until PID WHAT LOG COMMAND...: waits until COMMAND succeeds. When
# the program PID ends first or takes too long, ends the script with LOG shown.
lib_wait_until() {
    local pid=$1 what=$2 log=$3 waited=0
    shift 3
    until "$@" 2>/dev/null; do
        if ! kill -0 "$pid" 2>/dev/null || [ "$waited" -ge "$kStartupWaitTenths" ]; then
            echo "$what did not start:" >&2
            cat "$log" >&2
            exit 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

# lib_wait_for FILE PATTERN PID WHAT LOG: waits until FILE has a line that
# matches the extended regular expression PATTERN, as lib_wait_until does.
lib_wait_for() {
    lib_wait_until "$3" "$4" "$5" grep -q -E "$2" "$1"
}

# lib_stop PID: ends a program that the script started, if it still runs.
lib_stop() {
    if [ -n "$1" ] && kill -0 "$1" 2>/dev/null; then
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
}

# lib_start_xvfb SCREEN: starts a private X server with one screen of SCREEN
# (WIDTHxHEIGHTxDEPTH) and exports DISPLAY for it. The server picks a free
# display number itself and reports it (-displayfd), so that runs side by side
# never race for one. It is stopped when the script ends.
#
# -noreset: by default the server resets whenever its last client leaves, and
# the reset closes a connection it has just accepted ("could not connect to
# display"). A program that connects as another one leaves, such as the client
# starting while xdotool looks for its windows, then fails now and then.
lib_start_xvfb() {
    local dir pid
    dir=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3> "$dir/display" 2> "$dir/xvfb.log" &
    pid=$!
    lib_at_exit "lib_stop $pid; rm -rf '$dir'"
    lib_wait_for "$dir/display" "^[0-9]+$" "$pid" Xvfb "$dir/xvfb.log"
    DISPLAY=":$(head -n1 "$dir/display")"
    export DISPLAY
}

# lib_private_runtime_dir: a runtime folder of this shell's own
# (XDG_RUNTIME_DIR, mode 700, as Wayland compositors and clients require), so
# that a compositor started here shares its socket with no other run. It is
# removed when the script ends.
lib_private_runtime_dir() {
    XDG_RUNTIME_DIR=$(mktemp -d)
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
    lib_at_exit "rm -rf '$XDG_RUNTIME_DIR'"
}

# lib_start_weston BACKEND SIZE: starts the Wayland compositor Weston in a
# private runtime folder, with one output of SIZE (WIDTHxHEIGHT) drawn on the
# CPU, and exports WAYLAND_DISPLAY for it. BACKEND is headless (no X server
# needed; nothing can see the output) or x11 (the output is a window on
# $DISPLAY, where X tools can capture it and drive its pointer and keyboard).
# Its desktop shell shows each window as the program asks (full screen or at
# its own size), where the kiosk shell would make every one full screen, over
# a background of one colour, kWestonBackground, with no panel; its debug
# protocol lets weston-debug dump the scene graph (where each client's
# surfaces lie). Weston's log and output go to $XDG_RUNTIME_DIR/weston.log.
# It is stopped when the script ends.
kWestonBackground=0xff0000ff # ARGB: the screen before any window, plain blue
lib_start_weston() {
    local size=$2 pid
    lib_private_runtime_dir
    WAYLAND_DISPLAY=weston-$BASHPID
    printf '[shell]\nbackground-color=%s\npanel-position=none\n' "$kWestonBackground" \
        > "$XDG_RUNTIME_DIR/weston.ini"
    weston --backend="$1-backend.so" --use-pixman --width="${size%x*}" --height="${size#*x}" \
        --shell=desktop-shell.so --socket="$WAYLAND_DISPLAY" \
        --config="$XDG_RUNTIME_DIR/weston.ini" --debug \
        --log="$XDG_RUNTIME_DIR/weston.log" >> "$XDG_RUNTIME_DIR/weston.log" 2>&1 &
    pid=$!
    lib_at_exit "lib_stop $pid"
    lib_wait_until "$pid" Weston "$XDG_RUNTIME_DIR/weston.log" \
        test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
    export WAYLAND_DISPLAY
}

# lib_start_pulseaudio SINK: starts a private PulseAudio sound server in a
# runtime folder of its own, whose default sink is a null sink named SINK, so
# that what programs play can be recorded from SINK.monitor. Programs may not
# start one by themselves there (libpulse's autospawn), so that one that is
# stopped stays stopped. Whichever runs there, this one or a later one of
# lib_run_pulseaudio, is stopped when the script ends.
lib_start_pulseaudio() {
    lib_private_runtime_dir
    printf 'autospawn = no\n' > "$XDG_RUNTIME_DIR/client.conf"
    export PULSE_CLIENTCONFIG=$XDG_RUNTIME_DIR/client.conf
    lib_at_exit lib_stop_pulseaudio
    lib_run_pulseaudio "$1"
}

# lib_run_pulseaudio SINK: starts PulseAudio in $XDG_RUNTIME_DIR with a null
# sink SINK as its default, and waits until it answers. It goes on after this
# shell ends, until lib_stop_pulseaudio.
lib_run_pulseaudio() {
    local pid
    pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --load="module-null-sink sink_name=$1" --load=module-native-protocol-unix \
        --log-target=file:"$XDG_RUNTIME_DIR/pulseaudio.log" &
    pid=$!
    lib_wait_until "$pid" PulseAudio "$XDG_RUNTIME_DIR/pulseaudio.log" lib_pulseaudio_answers
    pactl set-default-sink "$1"
}

lib_pulseaudio_answers() {
    pactl info >/dev/null
}

# lib_stop_pulseaudio: stops the PulseAudio of $XDG_RUNTIME_DIR, if one runs,
# by the process id in its pid file, and waits until it has removed the file
# on its way out, so that another may start there.
lib_stop_pulseaudio() {
    local pid_file=$XDG_RUNTIME_DIR/pulse/pid pid waited=0
    pid=$(cat "$pid_file" 2>/dev/null) || return 0
    # A file left by one that crashed may name another program by now.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = pulseaudio ] || return 0
    kill "$pid"
    while [ -e "$pid_file" ] && [ "$waited" -lt "$kStartupWaitTenths" ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
}

# lib_headless_display: Mesa's software renderer always, so that every machine
# draws the same pixels; a private Xvfb when there is no display.
lib_headless_display() {
    export LIBGL_ALWAYS_SOFTWARE=1
    [ -n "${DISPLAY:-}" ] || lib_start_xvfb "$kClientScreen"
}

# lib_own_x_display: a private Xvfb with the client's screen, whatever display
# this shell had, and Qt and Mesa bound to it: the X platform, no Wayland, and
# the software renderer.
lib_own_x_display() {
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb LIBGL_ALWAYS_SOFTWARE=1
    lib_start_xvfb "$kClientScreen"
}

# lib_run_and_exit COMMAND...: runs COMMAND and ends the script with its exit
# status, after the script's clean-up (servers it started are stopped). It
# runs in the background and is waited for, so that a signal to the script
# ends it, too, at once.
lib_run_and_exit() {
    local pid status=0
    "$@" &
    pid=$!
    lib_at_exit "lib_stop $pid"
    wait "$pid" || status=$?
    exit "$status"
}

# lib_sanitizer_options: what the sanitizers' runtime is told, unless the
# environment already says: LeakSanitizer suppresses the leaks of third-party
# libraries that tests/sanitizer/lsan.supp names (none of ours), and
# UndefinedBehaviorSanitizer shows where a finding came from.
lib_sanitizer_options() {
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$lib_repo/tests/sanitizer/lsan.supp:print_suppressions=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
}

# lib_run_tests BUILD_DIR [CTEST OPTION...]: the suite of a built tree (all of
# it unless the options select), two tests per core at a time: most of them
# spend their time waiting on a server or a clock, and the suite used under
# half of two cores with one per core. Each test that needs a display starts
# its own (see tests/CMakeLists.txt). A test that fails fails the run, with
# its whole output in the log.
lib_run_tests() {
    ctest --test-dir "$1" --output-on-failure -j "$((2 * $(nproc)))" "${@:2}"
}
