#!/usr/bin/env bash
# valgrind memcheck on a short run of the client against radar-sim: start-up,
# models and textures, some seconds of frames and hits, and shut-down.
#
#   bash scripts/memcheck.sh            # MEMCHECK_SECONDS (default 15) of client life
#
# Fails when memcheck sees an invalid read or write, a use of an uninitialised
# value or a definite leak whose stack passes through the project's own code
# (app/, radar/, view/, glm/, list/). Third-party noise (Mesa, Qt, fontconfig)
# is counted in the summary but not held against us; tests/sanitizer/valgrind.supp
# silences what is known to be theirs. The full log is build/memcheck/memcheck.log.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
work_dir="$(pwd)/$build_dir/memcheck"
seconds=${MEMCHECK_SECONDS:-15}
kStackFrames=30 # deep enough to reach our code from inside Mesa and Qt
# Our sources, as they appear in the stack frames of the log (paths relative
# to the repository, through --fullpath-after).
kOwnCodePattern='\((app|radar|view|glm|list)/[a-z_]+\.(cpp|h):[0-9]+\)'

source scripts/client-harness.sh

# Error blocks of the log (from an unindented "==PID== <kind>" line, such as
# "Invalid read" or "56 bytes in 1 blocks are definitely lost", to the next
# blank one) whose kind matches $1 and whose stack names our code.
own_errors() {
    awk -v kind="$1" -v own="$kOwnCodePattern" '
        /^==[0-9]+== [^ ]/ { if (inblock && ours) n++; inblock = ($0 ~ kind); ours = 0; next }
        /^==[0-9]+== *$/ { if (inblock && ours) n++; inblock = 0; ours = 0; next }
        inblock && $0 ~ own { ours = 1 }
        END { if (inblock && ours) n++; print n + 0 }' "$work_dir/memcheck.log"
}

bash scripts/setup.sh valgrind
harness_build
rm -rf "$work_dir" && mkdir -p "$work_dir"
harness_start_sim
harness_prepare "$seconds"
lib_headless_display
# softpipe instead of llvmpipe: no JIT code, which memcheck cannot follow well.
status=0
(cd "$work_dir" && GALLIUM_DRIVER=${GALLIUM_DRIVER:-softpipe} exec valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite --errors-for-leak-kinds=definite --num-callers="$kStackFrames" \
    --fullpath-after="$lib_repo/" --child-silent-after-fork=yes \
    --suppressions="$lib_repo/tests/sanitizer/valgrind.supp" \
    --log-file="$work_dir/memcheck.log" "$lib_repo/$build_dir/app/radar-client") \
    > "$work_dir/client.out" 2> "$work_dir/client.err" || status=$?

log="$work_dir/memcheck.log"
invalid=$(own_errors "Invalid (read|write|free)")
uninitialised=$(own_errors "uninitialised|Conditional jump")
leaks=$(own_errors "definitely lost")
echo "client exit status $status; $(grep -c '^build$' "$work_dir/client.out") builds, $(grep -c '^hit' "$work_dir/client.out") hits"
grep -E "ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|still reachable:" "$log" | sed 's/^==[0-9]*== */  /'
echo "errors through our code: $invalid invalid accesses, $uninitialised uses of uninitialised values, $leaks definite leaks"
[ "$status" -eq 0 ] && [ "$invalid" -eq 0 ] && [ "$uninitialised" -eq 0 ] && [ "$leaks" -eq 0 ]
