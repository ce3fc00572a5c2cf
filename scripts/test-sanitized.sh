#!/usr/bin/env bash
# Builds everything with AddressSanitizer (and LeakSanitizer) and
# UndefinedBehaviorSanitizer (-DRADAR_SANITIZE=ON) into build-asan and runs
# the whole test suite there. The first sanitizer finding fails its test.
# Leaks inside third-party libraries are suppressed by tests/sanitizer/lsan.supp;
# ours are not. scripts/test.sh builds and runs the part of this suite that
# needs no display in the same folder, so a run of this script after it builds
# only the rest.
#
# Environment: BUILD_DIR (build-asan), CMAKE_ARGS (further cmake options),
# LSAN_OPTIONS and UBSAN_OPTIONS (replace the defaults of lib_sanitizer_options).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

build_dir=${BUILD_DIR:-build-asan}
lib_sanitizer_options

bash scripts/setup.sh
# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo "${kSanitizedBuildOptions[@]}" ${CMAKE_ARGS:-}

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
