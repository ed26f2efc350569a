#!/usr/bin/env bash
# The game's resident memory does not grow with the number of sizes its
# window has had: the real game on its own Xvfb (SDL's OpenGL renderer on
# Mesa), resized through 300 distinct sizes, against the same game resized
# once to the largest of them. A game that keeps memory per size ends
# hundreds of megabytes above the other. bench/resize_memory.sh prints the
# figures beside an older build's.
#
# Usage: resize_memory.sh <zarn binary> <build dir>
set -u
bin=$1
build=$2
margin=30720  # kB
once=""
walked=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
# shellcheck source=lib/resize.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/resize.bash"
on_failure() { cat "$work/resident-after.log"; }

start_xvfb 700x600x24 || die "no Xvfb"
# 234 x 200 up to 583 x 499: small sizes, cheap to draw, and a game that
# keeps memory per size still ends some 200 MB above the other.
mapfile -t sizes < <(table_sizes 300 200 1)
largest=("${sizes[@]: -2}")
read -r once _ < <(resident_after "$bin" "$build" "${largest[@]}")
[ -n "$once" ] || die "the game resized once did not answer"
read -r walked _ < <(resident_after "$bin" "$build" "${sizes[@]}")
[ -n "$walked" ] || die "the game resized $((${#sizes[@]} / 2)) times did not answer"
echo "resident after one resize to ${largest[0]}x${largest[1]}: $((once / 1024)) MB;" \
    "after $((${#sizes[@]} / 2)) sizes: $((walked / 1024)) MB"
check_detail() { echo "$(((walked - once) / 1024)) MB more after the walk, margin $((margin / 1024)) MB"; }
check "memory independent of the number of window sizes" [ $((walked - once)) -lt $margin ]
finish
