#!/usr/bin/env bash
# The real program under valgrind's memcheck through a whole interactive
# session on an X server with a window manager: a known deal played to the
# win by mouse, the victory animation until a card has bounced and one has
# flown off, Escape to stop it, a resize, full screen there and back, a new
# game, and the quit through the menu. Passes when valgrind finds no invalid access and no lost block;
# reports that lie wholly inside system libraries are suppressed by
# tests/memcheck/system.supp.
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
game=""
on_exit() { end_process "$game"; }
on_failure() {
    [ -n "${id:-}" ] && timeout 30 import -window "$id" "$build/memcheck-failure.png" 2>/dev/null
    cp "$work/zarn.log" "$work/plan" "$build/" 2>/dev/null
    [ -f "$work/valgrind.log" ] && cp "$work/valgrind.log" "$build/memcheck-valgrind.log" && tail -80 "$work/valgrind.log"
}

command -v valgrind >/dev/null || die "valgrind is not installed"
[ -x "$helper" ] || die "helper $helper not built"
faketime_library >/dev/null || die "libfaketime is not installed"

start_xvfb 1280x1024x24 || die "no Xvfb"
start_window_manager

ZARN_PLAY_SEED=$((start + 1)) ZARN_PLAY_PLAN="$work/plan" \
    "$helper" >"$work/helper.log" 2>&1 || die "the helper could not plan the deal"

# The first deal comes from the start time, which stands still. Under
# valgrind the game falls behind and SDL, which times double-clicks as it
# takes the presses, would see two planned presses as one double-click: the
# plan has none. SDL logs every event it delivers, kept with the failure.
SDL_AUDIODRIVER=dummy SDL_RENDER_DRIVER="${ZARN_MEMCHECK_RENDERER:-software}" SDL_MOUSE_DOUBLE_CLICK_TIME=0 SDL_EVENT_LOGGING=2 \
    start_at_time "$start_text" \
    valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect,possible \
    --errors-for-leak-kinds=definite,indirect,possible --error-exitcode=99 --num-callers=40 \
    --suppressions="$root/tests/memcheck/system.supp" --log-file="$work/valgrind.log" \
    "$zarn" >"$work/zarn.log" 2>&1
game=$started

id=$(game_window 60 "$game") || {
    kill -0 "$game" 2>/dev/null || die "the program ended before its window came up"
    die "no window within 60 s"
}

# await_pixel X Y COLOUR SECONDS WHAT: the game's window, in table units
# while it is 760 x 650.
await_pixel() {
    await_window_pixel "$id" "$1" "$2" "$3" "$4" ||
        die "$5: pixel ($1,$2) is $(window_pixel "$id" "$1" "$2"), not $3 after $4 s"
}
# await_state SECONDS WHAT COMMAND...: waits until the command succeeds.
await_state() {
    local seconds=$1 what=$2
    shift 2
    await "$seconds" "$@" || die "$what after $seconds s"
}
fullscreen() { xprop -id "$id" _NET_WM_STATE | grep -q FULLSCREEN; }
windowed() { ! fullscreen; }
resized() { ! sized 760x650; }
sized() { window_geometry -id "$id" && [ "${w}x$h" = "$1" ]; }

await_pixel 300 15 "srgb(192,192,192)" 60 "the first frame"
echo "$SECONDS s: dealt under valgrind"

play_plan "$id" "$work/plan" "$build" || die "the game stopped answering after $gestures gestures"
move_pointer "$id" 700 600
echo "$SECONDS s: played $gestures gestures"

# Part of the victory animation, then Escape ends it: under valgrind on a
# loaded machine the whole flight could take many minutes of frames. It has
# flown far enough once its trail shows on the row above the status bar (a
# card has bounced) and on a side of the table (a card has flown off there),
# where a won table shows nothing but green. A game that lags may take the
# first Escape before it has taken the winning move, so Escape goes again
# until the won panel's navy title bar shows that the flight has stopped.
marked() {  # W H X Y: that region of the last picture shows more than one colour
    local colours
    colours=$(convert "$work/flight.png" -crop "$1x$2+$3+$4" +repage -format %k info: 2>/dev/null) &&
        [ "$colours" -gt 1 ]
}
flown() {
    timeout 30 import -window "$id" "$work/flight.png" 2>/dev/null || return 1
    marked 760 1 0 620 && { marked 1 592 2 30 || marked 1 592 757 30; }
}
await_state 60 "no trail at the status bar and a side of the table" flown
echo "$SECONDS s: the victory animation has bounced a card and flown one off the table"
won_panel() { window_pixel_is "$id" 300 236 "srgb(0,0,128)"; }
escape_until_won() {
    activate "$id"
    xdotool key Escape
    await 10 won_panel
}
await_state 120 "no won panel" escape_until_won
echo "$SECONDS s: won, victory animation run and stopped"

# Each step waits for the game to have taken the one before: keys and sizes
# that a lagging game takes late would otherwise land in another state.
# The window manager's answers come before the game has taken them: the
# game's own answer (a fitting, a restore) is awaited through a ping.
answered() { "$build/tests/e2e_window_sync" "$id" 60 >/dev/null 2>&1 || die "the game stopped answering"; }
xdotool windowsize "$id" 950 813
await_state 60 "the window kept 760 x 650" resized
answered
activate "$id"
xdotool key F11
await_state 60 "not full screen after F11" fullscreen
xdotool key F11
await_state 60 "still full screen after F11 again" windowed
answered
xdotool key F2

# Back to 760 x 650 so that the menu lies where the table says, then quit
# through it, once the new game shows: cards on the stock, which the won
# table had emptied, and the won panel gone.
xdotool windowsize "$id" 760 650
await_state 60 "not back at 760 x 650" sized 760x650
answered
await_pixel 300 15 "srgb(192,192,192)" 30 "the table after the session"
new_game() {
    local stock
    stock=$(window_pixel "$id" 64 100) && [ "$stock" != "srgb(0,128,0)" ] && ! won_panel
}
await_state 30 "no new game after F2" new_game
echo "$SECONDS s: resized, full screen and back, new game"
quit_through_menu "$id" || die "the menu did not open"
await_exit "$game" 60 || die "Beenden did not end the program within 60 s"
game=""

grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost' "$work/valgrind.log" | sed 's/^==[0-9]*== */   /'
[ "$status" -eq 0 ] || die "exit status $status under valgrind (99: memcheck found errors)"
grep -q 'ERROR SUMMARY: 0 errors' "$work/valgrind.log" || die "memcheck reported errors"
finish "(a session of $gestures gestures to the win, resize, full screen, new game, quit)"
