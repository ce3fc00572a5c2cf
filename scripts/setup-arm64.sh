#!/usr/bin/env bash
# Installs what the arm64 cross build needs beside scripts/setup.sh's
# packages: the cross compiler, qemu's user-mode emulator, and Debian's arm64
# libraries that the build links and the programs load, installed through
# multiarch beside the amd64 ones (apt may upgrade a few amd64 libraries to
# the arm64 ones' versions, which must match). Idempotent, as setup.sh.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

kArm64Libraries=(
    libc6-dev libstdc++-12-dev                                 # the C and C++ libraries
    qt6-base-dev libqt6opengl6-dev qt6-multimedia-dev          # Qt 6, as the default build
    qt6-qpa-plugins                                            # Qt's X platform, for the client's run
    libgl1-mesa-dev libglu1-mesa-dev libegl-dev                # OpenGL 1.x, GLU, EGL
    libgl1-mesa-dri                                            # the software renderer the client runs on
    libpulse-dev libsystemd-dev                                # the sound's watch, sd_notify
    libgtest-dev libx11-dev libxfixes-dev                      # the tests
)

if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    echo "Adding the arm64 architecture to dpkg"
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" dpkg --add-architecture arm64
fi
lib_install_packages crossbuild-essential-arm64 qemu-user-static "${kArm64Libraries[@]/%/:arm64}"
