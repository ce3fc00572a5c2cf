#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the client need,
# and any further ones named on the command line (a script's own tools).
# Idempotent: asks apt only for what is missing, and does nothing when all is there.
#
#   bash scripts/setup.sh [PACKAGE...]
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "$0")/lib.sh"

kProjectPackages=(
    cmake g++ make pkg-config       # build
    qtbase5-dev libqt5opengl5-dev   # Qt 5: Core, Gui, Widgets, Network, Xml, OpenGL
    qt6-base-dev libqt6opengl6-dev  # Qt 6, the same; the default build
    libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri  # OpenGL 1.x, GLU, software renderer
    libegl-dev                      # the back buffer's age and size where EGL holds the context
    libgtest-dev                    # GoogleTest
    xvfb xauth                      # headless display for the window and rendering tests
    fonts-dejavu-core               # so message boxes have a font under Xvfb
    imagemagick                     # screenshots of the headless demo (scripts/run.sh)
    xdotool                         # hostile-server tests answer the client's message box
    libx11-dev libxfixes-dev        # tests read the pointer's image and the windows' stacking
    dpkg-dev file                   # the Debian package: dpkg-shlibdeps computes its Depends
    libegl-dev                      # bench/buffer_age_probe.c asks EGL for the buffers' age
    desktop-file-utils man-db       # the package test validates the launcher, formats the manuals
    qt6-multimedia-dev qtmultimedia5-dev  # the guard zones' alarm sound, on either Qt
    libpulse-dev                    # the alarm sound watches for the desktop's sound server itself
    pulseaudio pulseaudio-utils     # the alarm test plays into a private sound server and records it
    weston qt6-wayland              # the Qt 6 client's tests on a real Wayland compositor
    lintian                         # the package test runs Debian's own package checker
    systemd                         # systemd-analyze: the package test verifies the user unit
    libsystemd-dev                  # sd_notify: readiness, watchdog and status under a systemd unit
    tesseract-ocr tesseract-ocr-eng # OCR: the text tests read the drawn glyphs back (English data)
)

lib_install_packages "${kProjectPackages[@]}" "$@"
