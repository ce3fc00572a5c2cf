#!/usr/bin/env bash
# Builds everything and runs every test. Installs missing packages first and
# runs headless under Xvfb when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-}
cmake --build "$build_dir" -j "$(nproc)"

# Mesa's software rasteriser, so that rendering tests see the same pixels everywhere.
export LIBGL_ALWAYS_SOFTWARE=1
# Without a display the tests get a private Xvfb. Its display number comes from
# the server itself (-displayfd), so that two runs on one machine never race
# for the same number.
if [ -z "${DISPLAY:-}" ]; then
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$display_file" 2> /dev/null &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null; rm -f "$display_file"' EXIT
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "test.sh: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
fi
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
