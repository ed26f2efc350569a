#!/usr/bin/env bash
# What a drag costs the game, beside another build of it in the same run: on
# an Xvfb screen with openbox, at 1280 x 1024 in a window of the game's own
# size, at 1920 x 1080 in full screen and at 3840 x 2160 maximised, the two
# games take turns; bench_drag_probe carries a card over the table in steps
# of 10 ms and then times motions to the screen. Prints, for each, the
# medians over the runs of the CPU time (all threads) per motion step, the
# clock ticks per 100 steps, and the motion-to-screen latency.
#
# Usage: bash bench/drag.sh <build-dir> <other build-dir or zarn binary> [runs [steps]]
# (needs Xvfb, openbox, wmctrl, xdotool, xwininfo)
set -u
build=$(cd "${1:?build directory}" && pwd)
other=${2:?the build to compare with: a build directory or a zarn binary}
runs=${3:-5}
steps=${4:-200}
[ -d "$other" ] && other=$(cd "$other" && pwd)/zarn
probe=$build/bench/bench_drag_probe
{ [ -x "$build/zarn" ] && [ -x "$probe" ]; } || { echo "build zarn and bench_drag_probe in $build first"; exit 1; }
[ -x "$other" ] || { echo "no zarn at $other"; exit 1; }
# shellcheck source=../tests/e2e/lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib/xserver.bash"
game=""
on_exit() { end_process "$game"; }

# The window's state asked of the window manager, and waited for: its size
# stays the same over half a second.
settle() {  # window, state (windowed, fullscreen, maximised)
    case $2 in
    fullscreen) wmctrl -i -r "$1" -b add,fullscreen ;;
    maximised) wmctrl -i -r "$1" -b add,maximized_vert,maximized_horz ;;
    esac
    local last="" now
    for _ in $(seq 40); do
        sleep 0.5
        window_geometry -id "$1" || return 1
        now="${w}x${h}"
        if [ "$now" = "$last" ] && { [ "$2" = windowed ] || [ "$w" -gt 1000 ]; }; then break; fi
        last=$now
    done
    echo "$now"
}

# One run of one game: "cpu-ms ticks latency-median latency-p90 window-size".
measure() {  # binary, state
    SDL_AUDIODRIVER=dummy "$1" >"$work/game.log" 2>&1 &
    game=$!
    local id size
    id=$(game_window 20 "$game") || { echo "no window" >&2; end_process "$game"; game=""; return 1; }
    size=$(settle "$id" "$2") || { echo "window gone" >&2; end_process "$game"; game=""; return 1; }
    sleep 1
    "$probe" "$game" "$id" "$steps" | awk -v s="$size" '{print $4, $6, $8, $10, s}'
    end_process "$game"
    game=""
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

printf '%-22s %-6s %-10s %12s %14s %12s %10s\n' "screen" "build" "window" "cpu ms/step" "ticks/100 st" "lat. median" "lat. p90"
for config in "1280x1024 windowed" "1920x1080 fullscreen" "3840x2160 maximised"; do
    read -r screen state <<<"$config"
    start_xvfb "${screen}x24" || { echo "no Xvfb"; exit 1; }
    start_window_manager openbox || exit 1
    : >"$work/this" ; : >"$work/other"
    for ((i = 0; i < runs; ++i)); do
        measure "$build/zarn" "$state" >>"$work/this"
        measure "$other" "$state" >>"$work/other"
    done
    for who in this other; do
        [ -s "$work/$who" ] || { echo "$config: $who gave no figures"; continue; }
        printf '%-22s %-6s %-10s %12.2f %14.1f %12.1f %10.1f\n' "$config" "$who" "$(awk 'END {print $5}' "$work/$who")" \
            "$(awk -v n="$steps" '{print $1 / n}' "$work/$who" | median)" \
            "$(awk -v n="$steps" '{print $2 * 100 / n}' "$work/$who" | median)" \
            "$(awk '{print $3}' "$work/$who" | median)" "$(awk '{print $4}' "$work/$who" | median)"
    done
    end_process "$window_manager"
    end_process "$xvfb"
done
echo "this: $build/zarn; other: $other; medians of $runs runs each, $steps steps of 10 ms"
