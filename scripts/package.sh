#!/usr/bin/env bash
# Builds the Debian package radar-client_<version>_<arch>.deb from a Release
# build of the programs alone (no tests, no benchmarks) and prints its path.
# Installs missing packages first. ARCH=arm64 cross-compiles it for arm64
# boards (cmake/toolchain-arm64.cmake), its Depends computed from Debian's
# arm64 libraries.
#
#   bash scripts/package.sh        # then: sudo apt install ./build-package/radar-client_*.deb
#   ARCH=arm64 bash scripts/package.sh
#
# Environment: ARCH (this machine's, or arm64), BUILD_DIR (build-package, or
# build-package-arm64).
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${ARCH:-$(dpkg --print-architecture)}
bash scripts/setup.sh
cross_options=()
build_suffix=""
if [ "$arch" != "$(dpkg --print-architecture)" ]; then
    if [ "$arch" != arm64 ]; then
        echo "ARCH must be $(dpkg --print-architecture) or arm64, not $arch" >&2
        exit 2
    fi
    bash scripts/setup-arm64.sh
    cross_options=(-DCMAKE_TOOLCHAIN_FILE="$(pwd)/cmake/toolchain-arm64.cmake")
    # dpkg-shlibdeps looks for the libraries, and their packages, of this architecture.
    export DEB_HOST_ARCH=$arch
    build_suffix=-$arch
fi

build_dir=${BUILD_DIR:-build-package$build_suffix}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
    -DRADAR_BUILD_TESTS=OFF -DRADAR_BUILD_BENCH=OFF "${cross_options[@]}"
cmake --build "$build_dir" -j "$(nproc)"
rm -f "$build_dir"/radar-client_*.deb
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$build_dir"
ls "$build_dir"/radar-client_*.deb
