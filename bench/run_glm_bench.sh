#!/usr/bin/env bash
# Benchmarks the model library's OBJ reader against tinyobjloader on generated
# grids of 1M triangles in the three face forms (and, with LARGE=1, 10M in
# v/t/n form, about 1 GB), and vertex normals against assimp. The readers take
# turns in one process, ROUNDS times each, so that both meet the same state of
# the machine; the figures are the fastest, median and slowest round. The
# machine's processor and load are printed with them: ratios of one run are
# what to compare, absolute times move with the machine.
#
#   ROUNDS=9 LARGE=1 bash bench/run_glm_bench.sh
#
# DATA_DIR keeps the generated files (default: a temporary folder under /tmp,
# removed at the end); BUILD_DIR is the Release build (build-glm-bench).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh libtinyobjloader-dev libassimp-dev

build_dir=${BUILD_DIR:-build-glm-bench}
rounds=${ROUNDS:-9}
large=${LARGE:-0}
kLargeFileMiB=1100 # room the 10M-triangle file needs

lib_build "$build_dir" Release -DRADAR_BUILD_TESTS=OFF -- glm_read_bench >/dev/null
bench="$build_dir/bench/glm_read_bench"

if [ -n "${DATA_DIR:-}" ]; then
    data=$DATA_DIR
    mkdir -p "$data"
else
    data=$(mktemp -d /tmp/glm-bench.XXXXXX)
    lib_at_exit "rm -rf '$data'"
fi

# grid TRIANGLES FORM: the path of that grid, generated when missing.
grid() {
    local file="$data/grid_$1_$2.obj"
    [ -f "$file" ] || "$bench" generate "$file" "$1" "$2"
    echo "$file"
}

load() { cut -d' ' -f1 /proc/loadavg; }

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo
echo "Reading, glm and tinyobjloader in turn, $rounds rounds each (seconds; ratio = tinyobj / glm;"
echo "ns/tri = glm's fastest round per triangle; MiB = most the resident size grew during a read)"
printf '%-10s %5s %7s %7s %7s %7s %7s %7s %6s %6s %7s %5s %5s %5s\n' \
    file MB glm_min glm_med glm_max tin_min tin_med tin_max r_min r_med ns/tri glmMB tinMB load
files=("1000000 vtn" "1000000 vn" "1000000 v")
if [ "$large" = 1 ]; then
    free_mib=$(df -m --output=avail "$data" | tail -1)
    if [ "$free_mib" -gt "$kLargeFileMiB" ]; then
        files+=("10000000 vtn")
    else
        echo "(not enough room in $data for the 10M-triangle file: $free_mib MiB free)"
    fi
fi
for entry in "${files[@]}"; do
    read -r triangles form <<<"$entry"
    file=$(grid "$triangles" "$form")
    before=$(load)
    result=$("$bench" read "$file" "$rounds")
    mb=$(du -m "$file" | cut -f1)
    awk -v name="$((triangles / 1000))k_$form" -v mb="$mb" -v load="$before-$(load)" '
        $1 == "glm" { gt = $2; g1 = $3; g2 = $4; g3 = $5; gk = $6 }
        $1 == "tinyobj" { t1 = $3; t2 = $4; t3 = $5; tk = $6 }
        END { printf "%-10s %5d %7.3f %7.3f %7.3f %7.3f %7.3f %7.3f %6.2f %6.2f %7.1f %5.0f %5.0f %s\n",
                     name, mb, g1, g2, g3, t1, t2, t3, t1 / g1, t2 / g2, g1 / gt * 1e9, gk / 1024, tk / 1024, load }' <<<"$result"
done

echo
echo "Normals: glmFaceNormals + glmVertexNormals(90) against assimp's smooth-normal step (v-form grids,"
echo "each measurement in its own process, the fastest of $rounds)"
printf '%-8s %10s %12s %10s %12s %10s\n' size glm_s glm_Mtri/s assimp_s assimp_Mtri/s ratio
declare -A glm_time
for triangles in 100000 1000000; do
    file=$(grid "$triangles" v)
    g=1e9 a=1e9 n=0
    for _ in $(seq "$rounds"); do
        read -r gs _ n < <("$bench" normals glm "$file")
        read -r as _ _ < <("$bench" normals assimp "$file")
        g=$(awk -v x="$gs" -v y="$g" 'BEGIN { print (x < y ? x : y) }')
        a=$(awk -v x="$as" -v y="$a" 'BEGIN { print (x < y ? x : y) }')
    done
    glm_time[$triangles]=$g
    awk -v s="$((triangles / 1000))k" -v g="$g" -v a="$a" -v n="$n" \
        'BEGIN { printf "%-8s %10.4f %12.2f %10.4f %12.2f %10.2f\n", s, g, n / g / 1e6, a, n / a / 1e6, a / g }'
done
awk -v small="${glm_time[100000]}" -v large="${glm_time[1000000]}" \
    'BEGIN { printf "Linearity: 10x the triangles takes %.2fx the time (target at most 12x)\n", large / small }'
