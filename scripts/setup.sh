#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the client need.
# Idempotent: asks apt only for what is missing, and does nothing when all is there.
set -euo pipefail

packages=(
    cmake g++ make pkg-config       # build
    qtbase5-dev libqt5opengl5-dev   # Qt 5: Core, Gui, Widgets, Network, Xml, OpenGL
    libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri  # OpenGL 1.x, GLU, software renderer
    libgtest-dev                    # GoogleTest
    xvfb xauth                      # headless display for the window and rendering tests
    fonts-dejavu-core               # so message boxes have a font under Xvfb
    imagemagick                     # screenshots of the headless demo (scripts/run.sh)
    xdotool                         # hostile-server tests answer the client's message box
    dpkg-dev file                   # the Debian package: dpkg-shlibdeps computes its Depends
    desktop-file-utils man-db       # the package test validates the launcher, formats the manuals
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
