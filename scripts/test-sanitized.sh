#!/usr/bin/env bash
# Builds everything with AddressSanitizer (and LeakSanitizer) and
# UndefinedBehaviorSanitizer (-DRADAR_SANITIZE=ON) into build-asan and runs
# the whole test suite there. The first sanitizer finding fails its test.
# Leaks inside third-party libraries are suppressed by tests/sanitizer/lsan.supp;
# ours are not.
#
# Environment: BUILD_DIR (build-asan), CMAKE_ARGS (further cmake options),
# LSAN_OPTIONS and UBSAN_OPTIONS (replace the defaults below).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

build_dir=${BUILD_DIR:-build-asan}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$lib_repo/tests/sanitizer/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

bash scripts/setup.sh
# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo -DRADAR_SANITIZE=ON -DRADAR_BUILD_BENCH=OFF ${CMAKE_ARGS:-}

# Mesa unloads its rasteriser before the leak check at exit, and the leaks it
# leaves then point into an unknown module that no suppression can name.
# Preloaded, the rasteriser stays mapped and its leaks carry its name. The
# preload comes before the sanitizer runtime, hence the link-order switch. It
# is set only now, after the build, which it would merely slow down.
rasteriser=/usr/lib/$(gcc -print-multiarch)/dri/swrast_dri.so
if [ -f "$rasteriser" ]; then
    export LD_PRELOAD="$rasteriser${LD_PRELOAD:+ $LD_PRELOAD}"
    export ASAN_OPTIONS="verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
fi
lib_run_tests "$build_dir"
