#!/usr/bin/env bash
# The game as a native Wayland client (SDL's wayland driver) under weston,
# whose X11 backend runs in an Xvfb of our own and takes xdotool's input:
# the table is found in screenshots by its grey top bar. The window has a
# title bar; a maximised window keeps the compositor's size and shows the
# table centred between bars, where clicks land, and F11 there and back
# returns to it; a corner resize never ends larger than the size the
# compositor proposed; F11 goes there and back; the title bar's close button
# and a SIGTERM end the game cleanly, and only they end it.
# Usage: bash wayland_session.sh <zarn binary> <build dir>
set -u
bin=$1
outputW=1600
outputH=900

app=""
weston_pid=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
# shellcheck source=lib/screen_table.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/screen_table.bash"
on_exit() {
    local p
    for p in $app $weston_pid; do end_process "$p"; done
}
on_failure() {
    [ -n "$app" ] && cat "$work/zarn.log"
    tail -20 "$work/weston.log" 2>/dev/null
}

for tool in weston xdotool import convert python3; do
    command -v "$tool" >/dev/null || die "$tool missing"
done

# Rows below weston's screen, for the pointer to enter it from.
start_xvfb ${outputW}x$((outputH + 32))x24 || die "no Xvfb"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# weston's own screen at the X screen's top left, without a window manager.
weston --backend=x11-backend.so --use-pixman --socket=zarn-wayland --width=$outputW --height=$outputH \
    --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
socket_there() { [ -S "$XDG_RUNTIME_DIR/zarn-wayland" ]; }
await 20 socket_there || die "weston did not start"

start_game() {
    WAYLAND_DISPLAY=zarn-wayland SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy "$bin" >>"$work/zarn.log" 2>&1 &
    app=$!
}
start_game
check_detail() { echo "table at $tx,$ty, $tw wide"; }
alive() { kill -0 "$app" 2>/dev/null; }

# libdecor's title bar, dark while the window has the focus, right above the table.
title_bar() {
    local c
    c=$(image_pixel "$work/screen.png" $((tx + 10)) $((ty - 12)))
    [[ $c =~ ^srgb\(([0-9]+),([0-9]+),([0-9]+)\)$ ]] &&
        [ "${BASH_REMATCH[1]}" -lt 60 ] && [ "${BASH_REMATCH[2]}" -lt 60 ] && [ "${BASH_REMATCH[3]}" -lt 60 ]
}
# weston draws the pointer into its output: it is moved aside, off the top
# bar that finds the table.
double_click_title() {
    xdotool mousemove $((tx + tw / 2)) $((ty - 12)) click --repeat 2 --delay 100 1 mousemove $((outputW - 1)) $((outputH - 1))
}

await 30 read_table || die "the table never showed"
enter_output $outputW $outputH
settled_table
check "starts 760 wide" [ "$tw" -eq 760 ]
check "has a title bar" title_bar
before="$tw"

# Maximised: the compositor's size stands, the table fills its height with
# bars beside it, and a click on the stock lands on the stock.
double_click_title
widened() { read_table && [ "$tw" -gt 760 ]; }
await 20 widened || fail "maximising: the table did not grow"
settled_table
centred_between_bars() { [ $((2 * tx + tw - outputW)) -le 1 ] && [ $((outputW - 2 * tx - tw)) -le 1 ]; }
# Under weston's panel and the title bar, the height left is the table's.
at_the_foot() { [ $((ty + th)) -ge $((outputH - 2)) ] && [ $((ty + th)) -le $outputH ]; }
check "maximised: the table centred between bars" centred_between_bars
check "maximised: the table reaches the screen's foot" at_the_foot
check "maximised: the waste is empty" waste_empty
click_table 64 114
check "maximised: a click on the stock draws a card" await 10 waste_shows_card
xdotool key ctrl+z
check "maximised: Ctrl+Z takes the card back" await 10 waste_empty
maximised="$tx $ty $tw"

# F11 there and back from maximised: maximised again, as large and in the
# same place, the game still connected and clicks landing. weston hands the
# keyboard back after a resize only with a click into the window, as a
# player's next click.
full() { read_table && [ "$ty" -eq 0 ] && [ "$tw" -eq $((outputH * 760 / 650)) ] && centred_between_bars; }
xdotool key F11
check "maximised, F11: the table fills the screen's height, centred" await 20 full
click_table 380 560
xdotool key F11
back_to_maximised() { read_table && [ "$tx $ty $tw" = "$maximised" ]; }
check "maximised, F11 twice: maximised again, same place and size" await 20 back_to_maximised
alive || {
    await_exit "$app" 10
    grep -i 'error' "$work/weston.log" | tail -3
    die "maximised, F11 twice: the game lost its connection and ended with status $status"
}
click_table 64 114
check "maximised, F11 twice: a click on the stock draws a card" await 10 waste_shows_card
double_click_title
back_to_before() { read_table && [ "$tw" = "$before" ]; }
check "unmaximised: back to its size" await 20 back_to_before
settled_table

# A corner drag, last along the width alone: each size the compositor
# proposes is a limit, so the window never ends below or right of the pointer.
cornerX=$((tx + tw + 2)) cornerY=$((ty + th + 2))
endX=$((cornerX + 250)) endY=$((cornerY + 30))
[ $endY -lt $outputH ] || endY=$((outputH - 1))
xdotool mousemove $cornerX $cornerY mousedown 1
xdotool mousemove $((cornerX + 100)) $endY sleep 0.3 mousemove $endX $endY sleep 0.5 mouseup 1
settled_table
check "corner resize: grew" [ "$tw" -gt "$before" ]
check "corner resize: inside the proposed width" [ $((tx + tw)) -le $((endX + 2)) ]
check "corner resize: inside the proposed height" [ $((ty + th)) -le $((endY + 2)) ]
check "corner resize: the status bar shows" [ $((ty + th)) -le $outputH ]
resized="$tw"

# F11 there and back.
click_table 380 560
xdotool key F11
check "F11: the table fills the screen's height, centred" await 20 full
click_table 380 560
xdotool key F11
back_to_resized() { read_table && [ "$tw" = "$resized" ]; }
check "F11 twice: back to its size" await 20 back_to_resized
settled_table

# The title bar's close button, at its right end, ends the game with
# status 0: the one way besides a signal that may end it so.
check "still running before the close button" alive
xdotool mousemove $((tx + tw - 12)) $((ty - 12)) click 1
await_exit "$app" 30 && app=""
check "the close button ends the game with status 0" [ "$status" = 0 ]

start_game
await 30 read_table || die "the table never showed after a restart"
kill -TERM "$app"
await_exit "$app" 30 && app=""
check "SIGTERM ends the game with status 0" [ "$status" = 0 ]

summary || {
    on_failure
    exit 1
}
