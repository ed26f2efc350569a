#!/usr/bin/env bash
# The real program under valgrind's memcheck through a whole interactive
# session on an X server with a window manager: a known deal played to the
# win by mouse, the victory animation, a resize, full screen there and back,
# a new game, and the quit through the menu. Passes when valgrind finds no
# invalid access and no lost block; reports that lie wholly inside system
# libraries are suppressed by tests/memcheck/system.supp.
#
# Usage: memcheck_session.sh <zarn binary> <build dir>
set -u
zarn=$1
build=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
helper=$build/tests/app_play_deal
start_text="2026-01-01 00:00:00"
start=1767225600  # the same instant in seconds, UTC
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
game="" wm=""
on_exit() { end_process "$game"; end_process "$wm"; }
on_failure() { [ -f "$work/valgrind.log" ] && cp "$work/valgrind.log" "$build/memcheck-valgrind.log" && tail -80 "$work/valgrind.log"; }

command -v valgrind >/dev/null || die "valgrind is not installed"
[ -x "$helper" ] || die "helper $helper not built"
faketime_lib=$(dpkg -L libfaketime 2>/dev/null | grep -m1 'libfaketime\.so\.1$')
[ -n "$faketime_lib" ] || die "libfaketime is not installed"

start_xvfb 1280x1024x24 || die "no Xvfb"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

ZARN_PLAY_SEED=$((start + 1)) ZARN_PLAY_PLAN="$work/plan" \
    "$helper" >"$work/helper.log" 2>&1 || die "the helper could not plan the deal"

# The first deal comes from the start time, so the clock is fixed; the
# monotonic clock stays real for SDL's ticks.
TZ=UTC LD_PRELOAD="$faketime_lib" FAKETIME="@$start_text" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER="${ZARN_MEMCHECK_RENDERER:-software}" \
    valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 --num-callers=40 \
    --suppressions="$root/tests/memcheck/system.supp" --log-file="$work/valgrind.log" \
    "$zarn" >"$work/zarn.log" 2>&1 &
game=$!

id=""
for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name '^Zarn - Solit' 2>/dev/null | head -1)
    [ -n "$id" ] && break
    kill -0 "$game" 2>/dev/null || die "the program ended before its window came up"
    sleep 0.1
done
[ -n "$id" ] || die "no window within 60 s"

# The colour of one window pixel, in table units while the window is 760 x 650.
pixel() {
    import -window "$id" "$work/shot.png" 2>/dev/null &&
        convert "$work/shot.png" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null
}
# await_pixel X Y COLOUR SECONDS WHAT
await_pixel() {
    for _ in $(seq $(($4 * 2))); do
        [ "$(pixel "$1" "$2")" = "$3" ] && return 0
        sleep 0.5
    done
    die "$5: pixel ($1,$2) is $(pixel "$1" "$2"), not $3 after $4 s"
}

await_pixel 300 15 "srgb(192,192,192)" 90 "the first frame"
echo "$SECONDS s: dealt under valgrind"

# The plan's presses and drags; a press close to the previous one waits out
# the double-click time, which the X server's own timestamps measure.
move() { xdotool mousemove --window "$id" "$1" "$2"; }
gestures=0
while read -r kind a b c d e; do
    case $kind in
    click)
        [ "$c" = "1" ] && sleep 0.6
        move "$a" "$b"
        xdotool click 1
        ;;
    drag)
        [ "$e" = "1" ] && sleep 0.6
        move "$a" "$b"
        xdotool mousedown 1
        move "$c" "$d"
        xdotool mouseup 1
        ;;
    *) continue ;;
    esac
    gestures=$((gestures + 1))
done <"$work/plan"
move 700 600
echo "$SECONDS s: played $gestures gestures"

# The won panel's navy title bar comes once the animation is over.
await_pixel 300 236 "srgb(0,0,128)" 240 "the won panel"
echo "$SECONDS s: won, victory animation over"

xdotool windowsize "$id" 950 813
sleep 3
xdotool windowactivate --sync "$id" 2>/dev/null
xdotool key F11
sleep 3
xdotool key F11
sleep 3
xdotool key F2
sleep 2
echo "$SECONDS s: resized, full screen and back, new game"

# Back to 760 x 650 so that the menu lies where the table says, then quit
# through it: "Spiel", then "Beenden".
xdotool windowsize "$id" 760 650
sleep 3
await_pixel 300 15 "srgb(192,192,192)" 45 "the table after the session"
move 30 15
xdotool click 1
sleep 1
move 30 175
xdotool click 1

status=""
for _ in $(seq 900); do
    if ! kill -0 "$game" 2>/dev/null; then
        wait "$game"
        status=$?
        break
    fi
    sleep 0.1
done
game_pid=$game
game=""
[ -n "$status" ] || { end_process "$game_pid"; die "Beenden did not end the program within 90 s"; }

grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost' "$work/valgrind.log" | sed 's/^==[0-9]*== */   /'
[ "$status" -eq 0 ] || die "exit status $status under valgrind (99: memcheck found errors)"
grep -q 'ERROR SUMMARY: 0 errors' "$work/valgrind.log" || die "memcheck reported errors"
finish "(a session of $gestures gestures to the win, resize, full screen, new game, quit)"
