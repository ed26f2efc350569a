#!/usr/bin/env bash
# What the game costs at rest and in a drag, on Xvfb, beside the same game
# built from an earlier revision, in the same run and on the same server
# settings: CPU with a freshly dealt game and with the clock running, CPU
# through a held drag of 3 s, and the time from a pointer motion during a
# drag to the changed pixels (median and p90), all from bench_rest_probe.
#
# Usage: bash bench/rest.sh <build-dir> [revision [rest seconds [motions]]]
# The revision (743a0ab by default: before the game rested between events)
# is built once into <build-dir>/rest-<revision>; a build directory or a zarn
# binary in its place is measured as it is.
set -u
build=$(cd "${1:?build directory}" && pwd)
revision=${2:-743a0ab}
seconds=${3:-10}
motions=${4:-100}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
probe=$build/bench/bench_rest_probe
{ [ -x "$build/zarn" ] && [ -x "$probe" ]; } || { echo "build zarn and bench_rest_probe in $build first"; exit 1; }
# shellcheck source=../tests/e2e/lib/xserver.bash
source "$root/tests/e2e/lib/xserver.bash"
game=""
on_exit() { end_process "$game"; }

old=$build/rest-$revision
other=""
if [ -d "$revision" ] && [ -x "$revision/zarn" ]; then
    other=$(cd "$revision" && pwd)/zarn
elif [ -f "$revision" ] && [ -x "$revision" ]; then
    other=$(cd "$(dirname "$revision")" && pwd)/$(basename "$revision")
elif [ ! -x "$old/build/zarn" ]; then
    echo "building $revision into $old ..."
    rm -rf "$old"
    git -C "$root" worktree add --detach "$old/source" "$revision" >/dev/null 2>&1 ||
        { echo "cannot check out $revision"; exit 1; }
    { cmake -S "$old/source" -B "$old/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_TESTS=OFF -DZARN_BENCH=OFF \
        >/dev/null && cmake --build "$old/build" -j"$(nproc)" --target zarn >/dev/null; } ||
        { echo "cannot build $revision"; exit 1; }
    git -C "$root" worktree remove --force "$old/source"
fi
[ -n "$other" ] || other=$old/build/zarn

start_xvfb 1280x1024x24 || { echo "no Xvfb"; exit 1; }

measure() {  # name, binary
    echo "== $1"
    SDL_AUDIODRIVER=dummy "$2" >"$work/game.log" 2>&1 &
    game=$!
    local id
    id=$(game_window) || { echo "no window"; cat "$work/game.log"; return 1; }
    "$probe" "$game" "$id" "$seconds" "$motions"
    end_process "$game"
    game=""
}

measure "this build ($(git -C "$root" rev-parse --short HEAD))" "$build/zarn"
measure "other ($revision)" "$other"
