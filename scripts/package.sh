#!/usr/bin/env bash
# Builds the Debian package radar-client_<version>_<arch>.deb from a Release
# build of the programs alone (no tests, no benchmarks) and prints its path.
# Installs missing packages first.
#
#   bash scripts/package.sh        # then: sudo apt install ./build-package/radar-client_*.deb
#
# Environment: BUILD_DIR (build-package).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

build_dir=${BUILD_DIR:-build-package}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
    -DRADAR_BUILD_TESTS=OFF -DRADAR_BUILD_BENCH=OFF
cmake --build "$build_dir" -j "$(nproc)"
rm -f "$build_dir"/radar-client_*.deb
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$build_dir"
ls "$build_dir"/radar-client_*.deb
