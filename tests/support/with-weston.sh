#!/usr/bin/env bash
# Runs one program on a Wayland compositor of its own, as the launcher of the
# tests that need one (their targets' CROSSCOMPILING_EMULATOR):
#
#   with-weston.sh [--nested] PROGRAM [ARGUMENT...]
#
# Each run gets its own Weston, in a private runtime folder, with Mesa's
# software renderer for its clients and Qt told to use its Wayland platform.
# Headless by default, with no X server at all (DISPLAY is unset, so nothing
# can fall back to X11); --nested shows Weston's output in a window on a
# private Xvfb instead (DISPLAY names it), where X tools can capture the
# output and drive Weston's pointer and keyboard. Weston, Xvfb and the
# program are stopped by their process ids however the run ends, and the
# program's exit status is this script's. Weston's log follows a failure.
set -uo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

backend=headless
if [ "${1:-}" = --nested ]; then
    backend=x11
    shift
fi
if [ $# -eq 0 ]; then
    echo "usage: $0 [--nested] PROGRAM [ARGUMENT...]" >&2
    exit 2
fi

export LIBGL_ALWAYS_SOFTWARE=1
if [ "$backend" = x11 ]; then
    lib_start_xvfb "$kClientScreen"
else
    unset DISPLAY
fi
lib_start_weston "$backend" "${kClientScreen%x*}"
export QT_QPA_PLATFORM=wayland

# In the background, so that a signal to this script stops it at once and
# the clean-up stops the program.
"$@" &
program=$!
lib_at_exit "lib_stop $program"
wait "$program"
status=$?
if [ "$status" -ne 0 ]; then
    echo "== Weston's log" >&2
    cat "$XDG_RUNTIME_DIR/weston.log" >&2
fi
exit "$status"
