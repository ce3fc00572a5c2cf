#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer),
# runs every committed corpus file once as a regression input, then fuzzes each
# target for the given time.
#
#   bash scripts/fuzz.sh [SECONDS]     # SECONDS per target, default 60
#
# FUZZ_TARGETS picks targets (default: all four), FUZZ_BUILD_DIR the build
# directory (default build-fuzz). New corpus entries, logs and findings go to
# the build directory; the committed seeds in fuzz/corpus/ stay as they are.
# Exits non-zero when a regression input or the fuzzing finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
targets=(${FUZZ_TARGETS:-framereader settings obj ppm})

# Longest input per target: a frame stream must be able to carry more than
# MaxTargets records; the files are small in real use.
declare -A max_len=([framereader]=16384 [settings]=4096 [obj]=4096 [ppm]=1024)

install_clang() {
    local missing=()
    for p in clang libclang-rt-14-dev; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
        -DRADAR_SANITIZE=ON -DRADAR_BUILD_FUZZ=ON -DRADAR_BUILD_TESTS=OFF -DRADAR_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/%/_fuzz}"
}

# Options of every run. Standard output and error of the code under test are
# closed (the readers print warnings for every broken file); sanitizer reports
# and the fuzzer's own lines still appear. Run a finding again without
# -close_fd_mask to see the target's own message.
common_options() {
    local t=$1
    echo "-close_fd_mask=3 -timeout=25 -rss_limit_mb=2048 -max_len=${max_len[$t]}"
    [ -f "fuzz/$t.dict" ] && echo "-dict=fuzz/$t.dict"
    return 0
}

regress() {
    local t=$1
    echo "== $t: $(ls "fuzz/corpus/$t" | wc -l) committed inputs"
    # shellcheck disable=SC2046
    "$build_dir/fuzz/${t}_fuzz" $(common_options "$t") "fuzz/corpus/$t"/* \
        >"$build_dir/logs/$t-regress.log" 2>&1 || { tail -40 "$build_dir/logs/$t-regress.log"; return 1; }
}

fuzz() {
    local t=$1
    mkdir -p "$build_dir/corpus/$t" "$build_dir/findings"
    echo "== $t: fuzzing for $seconds s"
    # shellcheck disable=SC2046
    if ! "$build_dir/fuzz/${t}_fuzz" $(common_options "$t") -max_total_time="$seconds" \
        -print_final_stats=1 -artifact_prefix="$build_dir/findings/$t-" \
        "$build_dir/corpus/$t" "fuzz/corpus/$t" >"$build_dir/logs/$t.log" 2>&1; then
        tail -60 "$build_dir/logs/$t.log"
        echo "== $t: FINDING, see $build_dir/findings/ and $build_dir/logs/$t.log"
        return 1
    fi
    grep -E "^#[0-9]+[[:space:]]+DONE|^stat::number_of_executed_units|^stat::average_exec_per_sec" \
        "$build_dir/logs/$t.log" || true
}

install_clang
build
mkdir -p "$build_dir/logs"
for t in "${targets[@]}"; do
    regress "$t"
done
status=0
for t in "${targets[@]}"; do
    fuzz "$t" || status=1
done
exit $status
