#!/usr/bin/env bash
# Resident memory of the real game on Xvfb (SDL's OpenGL renderer on Mesa)
# after its window has had many sizes, against the same game after one
# resize to the largest of them, and the CPU time the sizes cost; this build
# beside one built from an earlier revision, in the same run, on the same
# server. Each walk goes through distinct table-shaped sizes, each drawn
# before the next is asked for (tests/e2e/lib/resize.bash).
#
# Usage: bash bench/resize_memory.sh <build-dir> [revision [count [first-height [step]]]]
# The revision (110acf4 by default: a target per exact size, and glibc's
# moving mapping threshold) is built once into <build-dir>/resize-<revision>;
# "-" measures this build alone. The heights go from first-height (300) in
# steps of step (3), count (300) of them: up to 1400 x 1197 by default.
set -u
build=$(cd "${1:?build directory}" && pwd)
revision=${2:-110acf4}
count=${3:-300}
first=${4:-300}
step=${5:-3}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ ! -x "$build/zarn" ] || [ ! -x "$build/tests/e2e_window_sync" ]; then
    echo "build zarn and e2e_window_sync in $build first"
    exit 1
fi
# shellcheck source=../tests/e2e/lib/xserver.bash
source "$root/tests/e2e/lib/xserver.bash"
# shellcheck source=../tests/e2e/lib/resize.bash
source "$root/tests/e2e/lib/resize.bash"

old=$build/resize-$revision
if [ "$revision" != "-" ] && [ ! -x "$old/build/zarn" ]; then
    echo "building $revision into $old ..."
    rm -rf "$old"
    mkdir -p "$old/source"
    git -C "$root" archive "$revision" | tar -x -C "$old/source" || { echo "cannot export $revision"; exit 1; }
    if ! cmake -S "$old/source" -B "$old/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_TESTS=OFF \
        -DZARN_BENCH=OFF >/dev/null || ! cmake --build "$old/build" -j"$(nproc)" --target zarn >/dev/null; then
        echo "cannot build $revision"
        exit 1
    fi
    rm -rf "$old/source"
fi

mapfile -t sizes < <(table_sizes "$count" "$first" "$step")
largest=("${sizes[@]: -2}")
start_xvfb "$((largest[0] + 100))x$((largest[1] + 100))x24" || { echo "no Xvfb"; exit 1; }

mb() { awk -v k="$1" 'BEGIN {printf "%.1f MB", k / 1024}'; }

measure() {  # name, binary
    local once onceCpu walked walkedCpu
    read -r once onceCpu < <(resident_after "$2" "$build" "${largest[@]}")
    read -r walked walkedCpu < <(resident_after "$2" "$build" "${sizes[@]}")
    if [ -z "$once" ] || [ -z "$walked" ]; then
        echo "$1: the game did not answer"
        return 1
    fi
    printf '%s\n  one resize to %dx%d: %s; after %d sizes: %s; difference %s\n' "$1" "${largest[0]}" \
        "${largest[1]}" "$(mb "$once")" "$count" "$(mb "$walked")" "$(mb $((walked - once)))"
    printf '  CPU time of the game: %.1f s after one resize, %.1f s after the walk, %.1f ms a size\n' \
        "${onceCpu}e-3" "${walkedCpu}e-3" "$(((walkedCpu - onceCpu) * 10 / count))e-1"
}

measure "this build ($(git -C "$root" rev-parse --short HEAD))" "$build/zarn"
[ "$revision" = "-" ] || measure "revision $revision" "$old/build/zarn"
