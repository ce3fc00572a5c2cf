# Cross-compiles for Debian arm64 (aarch64) on an amd64 Debian, against the
# arm64 libraries that multiarch installs beside the amd64 ones
# (scripts/test-arm64.sh installs both). Programs built for arm64, the tests'
# programs too, run under qemu's user-mode emulator:
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-arm64.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(radar_target_triplet aarch64-linux-gnu)

set(CMAKE_C_COMPILER ${radar_target_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${radar_target_triplet}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${radar_target_triplet})

# CTest and gtest_discover_tests run the arm64 programs through it, and
# RADAR_CROSS_EMULATOR wraps the programs that tests start themselves.
find_program(RADAR_CROSS_EMULATOR qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${RADAR_CROSS_EMULATOR})

# Headers and libraries are the arm64 ones of the multiarch folders; programs
# that run during the build (Qt's moc) are the machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${radar_target_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${radar_target_triplet}/pkgconfig:/usr/share/pkgconfig)

# Qt 6 takes its build tools from the machine's own Qt.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# The Debian package's architecture.
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
