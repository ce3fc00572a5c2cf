#!/usr/bin/env bash
# Benchmarks the model library's OBJ reader and vertex normals against
# tinyobjloader and assimp on generated grids of 100k and 1M triangles in the
# three face forms. Every measurement is its own process (the best of RUNS,
# readers interleaved so that they share the machine's mood); times swing from
# run to run, so compare the ratios of one run, not absolute times.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh libtinyobjloader-dev libassimp-dev

build_dir=${BUILD_DIR:-build-glm-bench}
runs=${RUNS:-3}
lib_build "$build_dir" Release -DRADAR_BUILD_TESTS=OFF -- glm_read_bench >/dev/null
bench="$build_dir/bench/glm_read_bench"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
"$bench" generate "$data" >/dev/null

# measure TASK FILE READER...: prints "READER seconds kib triangles" per reader,
# the fastest of $runs runs each.
measure() {
    local task=$1 file=$2
    shift 2
    for run in $(seq "$runs"); do
        for reader in "$@"; do
            echo "$reader $("$bench" "$task" "$reader" "$file")"
        done
    done | sort -k1,1 -k2,2g | awk '!seen[$1]++'
}

field() { # field READER COLUMN < measurements
    awk -v r="$1" -v c="$2" '$1 == r { print $c }'
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo
echo "Reading (best of $runs; ratio = other reader's time / glmReadOBJ's time; peak RSS in MiB)"
printf '%-16s %7s %9s %9s %9s %8s %8s %8s %7s %7s %7s\n' file MB glm_s tinyobj_s assimp_s glm_MB/s tiny/glm assimp/glm glm_MiB tiny_MiB asp_MiB
for size in 100k 1000k; do
    for form in vtn vn v; do
        file="$data/grid_${size}_${form}.obj"
        m=$(measure read "$file" glm tinyobj assimp)
        mb=$(du -m "$file" | cut -f1)
        g=$(field glm 2 <<<"$m"); t=$(field tinyobj 2 <<<"$m"); a=$(field assimp 2 <<<"$m")
        gk=$(field glm 3 <<<"$m"); tk=$(field tinyobj 3 <<<"$m"); ak=$(field assimp 3 <<<"$m")
        awk -v f="${size}_$form" -v mb="$mb" -v g="$g" -v t="$t" -v a="$a" -v gk="$gk" -v tk="$tk" -v ak="$ak" \
            'BEGIN { printf "%-16s %7d %9.3f %9.3f %9.3f %8.0f %8.2f %8.2f %7.0f %7.0f %7.0f\n",
                     f, mb, g, t, a, mb / g, t / g, a / g, gk / 1024, tk / 1024, ak / 1024 }'
    done
done

echo
echo "Normals: glmFaceNormals + glmVertexNormals(90) against assimp's smooth-normal step (v-form grids)"
printf '%-8s %10s %12s %10s %12s %10s\n' size glm_s glm_Mtri/s assimp_s assimp_Mtri/s ratio
declare -A glm_time
for size in 100k 1000k; do
    m=$(measure normals "$data/grid_${size}_v.obj" glm assimp)
    g=$(field glm 2 <<<"$m"); a=$(field assimp 2 <<<"$m"); n=$(field glm 4 <<<"$m")
    glm_time[$size]=$g
    awk -v s="$size" -v g="$g" -v a="$a" -v n="$n" \
        'BEGIN { printf "%-8s %10.4f %12.2f %10.4f %12.2f %10.2f\n", s, g, n / g / 1e6, a, n / a / 1e6, a / g }'
done
awk -v small="${glm_time[100k]}" -v large="${glm_time[1000k]}" \
    'BEGIN { printf "Linearity: 10x the triangles takes %.2fx the time (target at most 12x)\n", large / small }'
