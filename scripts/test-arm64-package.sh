#!/usr/bin/env bash
# Installs the arm64 Debian package into a Debian arm64 root, as a board would
# have it, and runs radar-client --version there under qemu:
#   1. builds the package (ARCH=arm64 scripts/package.sh), unless DEB names one;
#   2. makes the root with debootstrap (bookworm, minbase, with the
#      package's dependencies), once: a later run reuses it;
#   3. installs the package there with the root's own dpkg, under qemu,
#      which checks its dependencies against the root's packages;
#   4. runs the installed client's --version in the root, through qemu.
# The root's second stage and its dpkg are arm64 programs, so qemu is
# registered with the kernel's binfmt_misc if it is not yet (root only). Installs what is missing
# first. Not part of scripts/test.sh: the root takes some minutes and a few
# hundred megabytes of downloads.
#
# Environment: DEB (the package to install), ROOT_DIR (build-arm64-root),
# MIRROR (http://deb.debian.org/debian).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

root_dir=$(pwd)/${ROOT_DIR:-build-arm64-root}
mirror=${MIRROR:-http://deb.debian.org/debian}
kSuite=bookworm
kBinfmt=/proc/sys/fs/binfmt_misc

register_qemu() {
    [ -e "$kBinfmt/register" ] || mount -t binfmt_misc binfmt_misc "$kBinfmt"
    [ -e "$kBinfmt/qemu-aarch64" ] || cat /usr/lib/binfmt.d/qemu-aarch64.conf > "$kBinfmt/register"
}

# The package names of the .deb's Depends, without versions or alternatives.
depends_of() {
    dpkg-deb -f "$1" Depends | tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/[[:space:]]//g' | paste -sd, -
}

bash scripts/setup-arm64.sh
lib_install_packages debootstrap
deb=${DEB:-}
if [ -z "$deb" ]; then
    deb=$(ARCH=arm64 bash scripts/package.sh | tail -n 1)
fi
deb=$(realpath "$deb")
register_qemu
if [ ! -x "$root_dir/usr/bin/dpkg" ]; then
    rm -rf "$root_dir"
    debootstrap --arch=arm64 --variant=minbase --include="$(depends_of "$deb")" \
        "$kSuite" "$root_dir" "$mirror"
fi
# The root's own dpkg, an arm64 program, installs it, checking its
# dependencies against the root's packages.
cp "$deb" "$root_dir/tmp/"
chroot "$root_dir" dpkg -i "/tmp/$(basename "$deb")"
echo "== radar-client --version in the arm64 root, through qemu"
chroot "$root_dir" /usr/bin/radar-client --version
