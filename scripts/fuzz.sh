#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer),
# runs every committed corpus file once as a regression input, then fuzzes each
# target for the given time.
#
#   bash scripts/fuzz.sh [SECONDS]              # SECONDS per target, default 60
#   FUZZ_GROW=1 bash scripts/fuzz.sh 600        # and regrow the committed corpora
#
# FUZZ_TARGETS picks targets (default: all four), FUZZ_BUILD_DIR the build
# directory (default build-fuzz). New corpus entries, logs and findings go to
# the build directory. With FUZZ_GROW=1 each target's committed corpus in
# fuzz/corpus/ is then minimised anew with libFuzzer's merge, over the committed
# and the new inputs: hand-made seeds (any name that is not a 40-digit hash)
# always stay, other inputs stay only if they add coverage, and none longer than
# kGrownInputBytes is taken. Exits non-zero when a regression input or the
# fuzzing finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

seconds=${1:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
read -r -a targets <<<"${FUZZ_TARGETS:-framereader settings obj ppm}"

# Longest input per target: a frame stream must be able to carry more than
# MaxTargets records; the files are small in real use.
declare -A kMaxInputBytes=([framereader]=16384 [settings]=4096 [obj]=4096 [ppm]=1024)
# Longest input a regrown corpus takes, so that the committed files stay small.
kGrownInputBytes=4096
# Targets whose coverage is mostly in uninstrumented code (Qt's XML parser) or
# in a few lines: the values their comparisons see also count as coverage.
declare -A kValueProfile=([settings]=1 [ppm]=1)
kHashName='^[0-9a-f]{40}$' # how libFuzzer names the inputs it writes
kInputTimeoutSeconds=25 # one input running longer is a finding
kMemoryLimitMb=2048     # the fuzzer's resident memory beyond which it reports a finding
kLogLinesShown=60       # of a failed run's log, the last lines printed

build() {
    lib_build "$build_dir" RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
        -DRADAR_SANITIZE=ON -DRADAR_BUILD_FUZZ=ON -DRADAR_BUILD_TESTS=OFF -DRADAR_BUILD_BENCH=OFF \
        -- "${targets[@]/%/_fuzz}"
}

# Options of every run. Standard output and error of the code under test are
# closed (the readers print warnings for every broken file); sanitizer reports
# and the fuzzer's own lines still appear. Run a finding again without
# -close_fd_mask to see the target's own message.
common_options() {
    local t=$1
    echo "-close_fd_mask=3 -timeout=$kInputTimeoutSeconds -rss_limit_mb=$kMemoryLimitMb -max_len=${kMaxInputBytes[$t]}"
    [ -f "fuzz/$t.dict" ] && echo "-dict=fuzz/$t.dict"
    [ -n "${kValueProfile[$t]:-}" ] && echo "-use_value_profile=1"
    return 0
}

regress() {
    local t=$1
    echo "== $t: $(ls "fuzz/corpus/$t" | wc -l) committed inputs"
    # shellcheck disable=SC2046
    "$build_dir/fuzz/${t}_fuzz" $(common_options "$t") "fuzz/corpus/$t"/* \
        >"$build_dir/logs/$t-regress.log" 2>&1 || { tail -"$kLogLinesShown" "$build_dir/logs/$t-regress.log"; return 1; }
}

fuzz() {
    local t=$1
    mkdir -p "$build_dir/corpus/$t" "$build_dir/findings"
    echo "== $t: fuzzing for $seconds s"
    # shellcheck disable=SC2046
    if ! "$build_dir/fuzz/${t}_fuzz" $(common_options "$t") -max_total_time="$seconds" \
        -print_final_stats=1 -artifact_prefix="$build_dir/findings/$t-" \
        "$build_dir/corpus/$t" "fuzz/corpus/$t" >"$build_dir/logs/$t.log" 2>&1; then
        tail -"$kLogLinesShown" "$build_dir/logs/$t.log"
        echo "== $t: FINDING, see $build_dir/findings/ and $build_dir/logs/$t.log"
        return 1
    fi
    grep -E "^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::average_exec_per_sec" \
        "$build_dir/logs/$t.log" || true
}

# Minimises the committed corpus of a target that fuzzed cleanly, over its own
# inputs and the fuzzer's new ones: the hand-made seeds are placed first and
# kept, libFuzzer's merge adds whatever else brings coverage they lack.
grow() {
    local t=$1 input
    local staged=$build_dir/grow/$t-candidates merged=$build_dir/grow/$t
    rm -rf "$staged" "$merged"
    mkdir -p "$staged" "$merged"
    for input in "fuzz/corpus/$t"/* "$build_dir/corpus/$t"/*; do
        [ -f "$input" ] || continue # an empty directory's unexpanded pattern
        if [[ ! $(basename "$input") =~ $kHashName ]]; then
            cp "$input" "$merged/"
        elif [ "$(stat -c %s "$input")" -le "$kGrownInputBytes" ]; then
            cp "$input" "$staged/"
        fi
    done
    # shellcheck disable=SC2046
    "$build_dir/fuzz/${t}_fuzz" $(common_options "$t") -merge=1 "$merged" "$staged" \
        >"$build_dir/logs/$t-merge.log" 2>&1 || { tail -"$kLogLinesShown" "$build_dir/logs/$t-merge.log"; return 1; }
    rm -rf "fuzz/corpus/$t"
    mv "$merged" "fuzz/corpus/$t"
    echo "== $t: fuzz/corpus/$t holds $(ls "fuzz/corpus/$t" | wc -l) inputs, $(du -cb "fuzz/corpus/$t"/* | tail -1 | cut -f1) bytes"
}

bash scripts/setup.sh clang libclang-rt-14-dev
build
mkdir -p "$build_dir/logs"
for t in "${targets[@]}"; do
    regress "$t"
done
status=0
for t in "${targets[@]}"; do
    if fuzz "$t"; then
        [ "${FUZZ_GROW:-0}" != 1 ] || grow "$t" || status=1
    else
        status=1
    fi
done
exit $status
