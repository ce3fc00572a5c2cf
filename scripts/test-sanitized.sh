#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (-DRADAR_SANITIZE=ON) into build-asan and runs the whole test suite there.
# The first sanitizer finding fails its test. Leaks inside third-party
# libraries are suppressed by tests/sanitizer/lsan.supp; ours are not.
set -euo pipefail
cd "$(dirname "$0")/.."

root=$(pwd)
export BUILD_DIR=${BUILD_DIR:-build-asan}
export CMAKE_ARGS="-DRADAR_SANITIZE=ON -DRADAR_BUILD_BENCH=OFF ${CMAKE_ARGS:-}"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec bash scripts/test.sh
