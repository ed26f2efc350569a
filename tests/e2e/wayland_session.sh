#!/usr/bin/env bash
# The game as a native Wayland client (SDL's wayland driver) under weston,
# whose X11 backend runs in an Xvfb of our own and takes xdotool's input:
# the table is found in screenshots by its grey top bar. The window has a
# title bar; a maximised window keeps the compositor's size and shows the
# table centred between bars, where clicks land; a corner resize never ends
# larger than the size the compositor proposed; F11 goes there and back; a
# SIGTERM ends the game cleanly.
# Usage: bash wayland_session.sh <zarn binary> <build dir>
set -u
bin=$1
outputW=1366
outputH=768

app=""
weston_pid=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
find_table=$(dirname "${BASH_SOURCE[0]}")/lib/find_table.py
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

start_xvfb ${outputW}x${outputH}x24 || die "no Xvfb"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# weston's own screen fills the X screen, at 0, 0 without a window manager.
weston --backend=x11-backend.so --use-pixman --socket=zarn-wayland --width=$outputW --height=$outputH \
    --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
socket_there() { [ -S "$XDG_RUNTIME_DIR/zarn-wayland" ]; }
await 20 socket_there || die "weston did not start"

WAYLAND_DISPLAY=zarn-wayland SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy "$bin" >"$work/zarn.log" 2>&1 &
app=$!

# The table's left, top and width on the screen: tx ty tw, and its height th.
tx=0 ty=0 tw=0 th=0
read_table() {
    local found
    timeout 30 import -window root "$work/screen.png" 2>/dev/null || return 1
    found=$(convert "$work/screen.png" ppm:- | python3 "$find_table") || return 1
    read -r tx ty tw <<<"$found"
    th=$(((tw * 650 + 380) / 760))
}
# Waits until the table shows at the same place and width twice in a row.
settled_table() {
    local last=""
    for _ in $(seq 50); do
        if read_table && [ "$last" = "$tx $ty $tw" ]; then return 0; fi
        last="$tx $ty $tw"
        sleep 0.2
    done
    return 1
}
check_detail() { echo "table at $tx,$ty, $tw wide"; }

# A point of the table in table units, on the screen.
screen_x() { echo $((tx + $1 * tw / 760)); }
screen_y() { echo $((ty + $1 * tw / 760)); }
table_pixel() { image_pixel "$work/screen.png" "$(screen_x "$1")" "$(screen_y "$2")"; }
green="srgb(0,128,0)"
waste_empty() { read_table && [ "$(table_pixel 166 114)" = "$green" ]; }
waste_shows_card() { read_table && [ "$(table_pixel 166 114)" != "$green" ]; }
click_table() {
    xdotool mousemove "$(screen_x "$1")" "$(screen_y "$2")" click 1
}
# libdecor's title bar, dark while the window has the focus, right above the table.
title_bar() {
    local c
    c=$(image_pixel "$work/screen.png" $((tx + 10)) $((ty - 12)))
    [[ $c =~ ^srgb\(([0-9]+),([0-9]+),([0-9]+)\)$ ]] &&
        [ "${BASH_REMATCH[1]}" -lt 60 ] && [ "${BASH_REMATCH[2]}" -lt 60 ] && [ "${BASH_REMATCH[3]}" -lt 60 ]
}
double_click_title() {
    xdotool mousemove $((tx + tw / 2)) $((ty - 12)) click --repeat 2 --delay 100 1
}

await 30 read_table || die "the table never showed"
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

# F11 there and back. weston hands the keyboard back after a resize only
# with a click into the window, as a player's next click.
click_table 380 560
xdotool key F11
full() { read_table && [ "$tw" -eq 897 ] && [ "$ty" -eq 0 ]; }
check "F11: the table fills the screen's height, centred" await 20 full
xdotool key F11
back_to_resized() { read_table && [ "$tw" = "$resized" ]; }
check "F11 twice: back to its size" await 20 back_to_resized

kill -TERM "$app"
await_exit "$app" 30 && app=""
check "SIGTERM ends the game with status 0" [ "$status" = 0 ]

summary || {
    on_failure
    exit 1
}
