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
ctest_cmd=(ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)")
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${ctest_cmd[@]}"
else
    "${ctest_cmd[@]}"
fi
