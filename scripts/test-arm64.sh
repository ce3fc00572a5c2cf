#!/usr/bin/env bash
# Cross-compiles everything for arm64 (the cross compiler and Debian's arm64
# libraries beside the amd64 ones, through multiarch) and runs under qemu's
# user-mode emulator:
#   - the tests that need no display (CTest label nodisplay: the radar logic,
#     frame reader, zones, settings, model library, lists, simulator and fuzz
#     corpus replays);
#   - the answers of tests/arch compared with a native build's: the hit and
#     zone lines for fixed targets, the model library's reads, the
#     simulator's bytes, which must be the same on both machines;
#   - the real radar-sim for arm64 serving the real client for arm64, with
#     guard zones, on an Xvfb with Mesa's software renderer: the client must
#     print hit lines and alarm lines;
#   - the Debian package of that build, for arm64: lintian must pass it.
# Installs what is missing first. The display tests, the sound and the GPU are
# not run here: emulation would take hours and prove nothing about a board's
# drivers.
#
# Environment: ARM64_BUILD_DIR (build-arm64), BUILD_DIR (build: the native
# build whose arch_answers the answers are compared with; built if missing),
# CLIENT_SECONDS (40: how long the emulated client may take to show both).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${ARM64_BUILD_DIR:-build-arm64}
native_dir=${BUILD_DIR:-build}
work_dir="$(pwd)/$build_dir/run"
client_seconds=${CLIENT_SECONDS:-40}
source scripts/client-harness.sh
kStartsProcesses='^(RadarSimProgramTest|RecorderProgramTest|EventCommandTest)\.'

check_client() {
    echo "== the arm64 client against the arm64 simulator, with guard zones"
    harness_emulator=(qemu-aarch64-static)
    mkdir -p "$work_dir"
    lib_own_x_display
    harness_start_sim --scenario tools/radar-sim/examples/guard-zones.scn
    ZONES=1 harness_prepare "$client_seconds"
    local out="$work_dir/client.out" status=0
    (cd "$work_dir" && qemu-aarch64-static "$lib_repo/$build_dir/app/radar-client" \
        > "$out" 2> "$work_dir/client.err") &
    local client=$!
    lib_at_exit "lib_stop $client"
    local waited=0
    until grep -q '^hit @ green: ' "$out" && grep -q '^alarm zone ' "$out"; do
        if ! kill -0 "$client" 2>/dev/null || [ "$waited" -ge "$client_seconds" ]; then
            status=1
            break
        fi
        sleep 1
        waited=$((waited + 1))
    done
    lib_stop "$client"
    if [ "$status" -ne 0 ]; then
        echo "the arm64 client printed no hit and alarm lines in ${client_seconds} s:" >&2
        tail -n 20 "$out" "$work_dir/client.err" >&2
        exit 1
    fi
    echo "hit and alarm lines after ${waited} s: $(grep -c '^hit @ green: ' "$out") hits," \
        "$(grep -c '^alarm zone ' "$out") alarms"
}

# check_package: the Debian package from the arm64 build, for arm64, its
# dependencies computed from Debian's arm64 libraries, and lintian-clean.
check_package() {
    echo "== the arm64 Debian package"
    local dir=$work_dir/package deb
    rm -rf "$dir"
    DEB_HOST_ARCH=arm64 cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$dir" > "$dir.log" 2>&1 ||
        { cat "$dir.log" >&2; exit 1; }
    deb=$(ls "$dir"/radar-client_*_arm64.deb)
    if ! dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6'; then
        echo "$deb: its Depends do not name Qt's arm64 library: $(dpkg-deb -f "$deb" Depends)" >&2
        exit 1
    fi
    lintian --fail-on error,warning "$deb"
    echo "$(basename "$deb"): lintian-clean, Depends: $(dpkg-deb -f "$deb" Depends)"
}

bash scripts/setup.sh
bash scripts/setup-arm64.sh
# The native build keeps the options it was configured with, if it was.
lib_build "$native_dir" RelWithDebInfo -- arch_answers
lib_build "$build_dir" RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$lib_repo/cmake/toolchain-arm64.cmake" \
    -DRADAR_BUILD_BENCH=OFF -DRADAR_NATIVE_ANSWERS="$lib_repo/$native_dir/tests/arch/arch_answers"
# qemu 7.2 refuses the clone flags with which Qt 6.4 starts a process
# ("Resource error (fork failure): Invalid argument"), so the tests in which
# an emulated program starts another are left out here; the client's and the
# simulator's check below starts them from this machine's shell.
lib_run_tests "$build_dir" -L nodisplay -E "$kStartsProcesses"
check_client
check_package
