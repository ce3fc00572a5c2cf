#!/usr/bin/env bash
# Builds everything and runs every test. Installs missing packages first and
# runs headless under Xvfb when there is no display.
#
# Environment: BUILD_DIR (build), CMAKE_ARGS (further cmake options).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

build_dir=${BUILD_DIR:-build}
bash scripts/setup.sh
# shellcheck disable=SC2086 # the options are meant to split
lib_build "$build_dir" RelWithDebInfo ${CMAKE_ARGS:-}
lib_run_tests "$build_dir"
