#!/usr/bin/env bash
# Builds everything and runs every test, on the newest Qt installed (or the
# one CMAKE_ARGS names with -DRADAR_QT_MAJOR). Then builds the tests that need
# no display, sound server or OpenGL (CTest label nodisplay: the radar logic,
# frame reader, zones, settings, options, reconnect policy, model library,
# lists, simulator and fuzz corpus replays) once more with AddressSanitizer and
# UndefinedBehaviorSanitizer, as scripts/test-sanitized.sh builds the whole
# suite, and runs them there. Then builds the view, the window and the client
# once more with the other Qt version and runs their tests there, with one that
# compares both builds' frames. Then cross-compiles everything for arm64 and
# runs under qemu what scripts/test-arm64.sh runs. Installs missing packages
# first. Each test that needs a display runs on an Xvfb of its own, and a test
# that fails, or a sanitizer finding, fails the run.
#
# Environment: BUILD_DIR (build), CMAKE_ARGS (further cmake options),
# SANITIZED (1; 0 skips the sanitized build), SANITIZED_BUILD_DIR (build-asan),
# OTHER_QT (1; 0 skips the second build), OTHER_BUILD_DIR (build-other-qt),
# ARM64 (1; 0 skips the arm64 build), ARM64_BUILD_DIR (build-arm64).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

# What the second build runs: the view's (its text read back included), the
# window's and the end-to-end tests, the alarm sound's (each Qt has its own
# sound system), what the client tells systemd (its first frame is the
# toolkit's), the event journal and command (the toolkit's processes and
# clocks), and the programs they need.
kOtherQtTargets=(view_tests view_scale_tests view_scale1_25_tests view_scale1_5_tests window_tests
    client_e2e_tests clientoptions_program_tests alarmsound_program_tests systemd_program_tests
    eventjournal_tests eventjournal_program_tests eventcommand_tests)
kOtherQtTests='^(Scale[0-9.]+\.)?(Chains/|StatusLines/)?(GLWidget|KeptScene|SwapChain|Light|Shapes|DisplayList|TextureUpload|GlyphText[A-Za-z]*|StationMonitors|OtherQtBuild|Window|ClientProcess|ClientOptionsProgram|AlarmSoundProgram|SystemdProgram|EventJournal[A-Za-z]*|EventFile|JsonLine|EventCommand)Test\.'

build_dir=${BUILD_DIR:-build}
other_dir=${OTHER_BUILD_DIR:-build-other-qt}
bash scripts/setup.sh
# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo ${CMAKE_ARGS:-}
lib_run_tests "$build_dir"

if [ "${SANITIZED:-1}" = 1 ]; then
    echo "== the tests that need no display, with AddressSanitizer and UndefinedBehaviorSanitizer"
    (
        # shellcheck disable=SC2086 # the options are meant to split
        lib_build "${SANITIZED_BUILD_DIR:-build-asan}" RelWithDebInfo "${kSanitizedBuildOptions[@]}" \
            ${CMAKE_ARGS:-} -- nodisplay_tests
        lib_sanitizer_options
        lib_run_tests "${SANITIZED_BUILD_DIR:-build-asan}" -L nodisplay
    )
fi

if [ "${OTHER_QT:-1}" = 1 ]; then
    built_with=$(sed -n 's/^RADAR_QT_BUILT_WITH:INTERNAL=//p' "$build_dir/CMakeCache.txt")
    other_qt=$((built_with == 6 ? 5 : 6))
    echo "== the view, window and end-to-end tests on Qt $other_qt"
    # shellcheck disable=SC2086 # the options are meant to split
    lib_build "$other_dir" RelWithDebInfo ${CMAKE_ARGS:-} -DRADAR_QT_MAJOR="$other_qt" \
        -DRADAR_OTHER_QT_FRAME_DUMP="$lib_repo/$build_dir/tests/view/frame_dump" -- "${kOtherQtTargets[@]}"
    lib_run_tests "$other_dir" -R "$kOtherQtTests"
fi

if [ "${ARM64:-1}" = 1 ]; then
    echo "== the arm64 build, under emulation"
    BUILD_DIR=$build_dir bash scripts/test-arm64.sh
fi
