#!/usr/bin/env bash
# Builds everything with AddressSanitizer (and LeakSanitizer) and
# UndefinedBehaviorSanitizer (-DRADAR_SANITIZE=ON) into build-asan and runs
# the whole test suite there, through scripts/test.sh. The first sanitizer
# finding fails its test. Leaks inside third-party libraries are suppressed by
# tests/sanitizer/lsan.supp; ours are not.
set -euo pipefail
cd "$(dirname "$0")/.."

root=$(pwd)
export BUILD_DIR=${BUILD_DIR:-build-asan}
export CMAKE_ARGS="-DRADAR_SANITIZE=ON -DRADAR_BUILD_BENCH=OFF ${CMAKE_ARGS:-}"
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

# Built first without the preload below, which would only slow the compilers.
bash scripts/setup.sh
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo $CMAKE_ARGS
cmake --build "$BUILD_DIR" -j "$(nproc)"

# Mesa unloads its rasteriser before the leak check at exit, and the leaks it
# leaves then point into an unknown module that no suppression can name.
# Preloaded, the rasteriser stays mapped and its leaks carry its name. The
# preload comes before the sanitizer runtime, hence the link-order switch.
rasteriser=/usr/lib/$(gcc -print-multiarch)/dri/swrast_dri.so
if [ -f "$rasteriser" ]; then
    export LD_PRELOAD="$rasteriser${LD_PRELOAD:+ $LD_PRELOAD}"
    export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi
exec bash scripts/test.sh
