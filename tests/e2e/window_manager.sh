#!/usr/bin/env bash
# The window under a real window manager (openbox on its own Xvfb): the
# aspect hint as the window manager sees it, resizing, maximising, a window
# moved off the screen, F11 there and back, and that plain window events
# (moves, focus) never rewrite the hint.
# Usage: bash window_manager.sh <zarn binary> <build dir>
set -u
bin=$1
screenW=1366
screenH=768

app=""
spy=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
on_exit() {
    local p
    for p in $spy $app; do end_process "$p"; done
}

x=0 y=0 w=0 h=0 fl=0 fr=0 ft=0 fb=0
# What a failed check prints beside its name.
check_detail() { echo "client $x,$y ${w}x$h, frame l$fl r$fr t$ft b$fb"; }

# Our own server, on a display it picks itself.
start_xvfb ${screenW}x${screenH}x24 || die "no Xvfb"
start_window_manager

SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$bin" >"$work/zarn.log" 2>&1 &
app=$!
id=$(game_window) || { echo "the window never appeared"; cat "$work/zarn.log"; exit 1; }

# Client-area geometry x y w h and the frame extents fl fr ft fb.
read_geometry() {
    window_geometry -id "$id"
    x=${x:-0} y=${y:-0} w=${w:-0} h=${h:-0}
    # Unset while the window manager is between states: then no frame.
    local extents
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null)
    if [[ $extents =~ =\ *([0-9]+),\ *([0-9]+),\ *([0-9]+),\ *([0-9]+) ]]; then
        fl=${BASH_REMATCH[1]} fr=${BASH_REMATCH[2]} ft=${BASH_REMATCH[3]} fb=${BASH_REMATCH[4]}
    else
        fl=0 fr=0 ft=0 fb=0
    fi
}

# Waits until the geometry has stayed the same for a while: the fitting and
# the window manager may trade a few resizes before the size stays put.
settle() {
    local last="" now="" same=0
    for _ in $(seq 60); do
        sleep 0.15
        read_geometry
        now="$x $y $w $h $fl $fr $ft $fb"
        if [ "$now" = "$last" ]; then
            same=$((same + 1))
            [ $same -ge 4 ] && return 0
        else
            same=0
            last=$now
        fi
    done
    return 0
}

# Table-shaped: one side is the other scaled by 760 : 650, to the nearest unit.
shaped() {
    [ "$h" -eq $(((2 * 650 * w + 760) / (2 * 760))) ] || [ "$w" -eq $(((2 * 760 * h + 650) / (2 * 650))) ]
}
# The whole window, frame included, lies on the screen (openbox here has no
# panels, so the usable area is the screen).
inside() {
    [ $((x - fl)) -ge 0 ] && [ $((y - ft)) -ge 0 ] &&
        [ $((x + w + fr)) -le $screenW ] && [ $((y + h + fb)) -le $screenH ]
}
# As tall as fits, give or take the unit that the re-fitting may take off.
fills_height() { [ $((h + ft + fb)) -ge $((screenH - 2)) ]; }
not_maximized() { ! xprop -id "$id" _NET_WM_STATE | grep -q MAXIMIZED; }
hint_in_place() {
    local hints
    hints=$(xprop -id "$id" WM_NORMAL_HINTS)
    grep -q 'program specified minimum aspect ratio: 760/650' <<<"$hints" &&
        grep -q 'program specified maximum aspect ratio: 760/650' <<<"$hints"
}
size_is() { [ "$w" -eq "$1" ] && [ "$h" -eq "$2" ]; }
near_width() { [ "$w" -le "$1" ] && [ "$w" -ge $(($1 - 6)) ]; }

settle
check "the window manager sees the 760:650 aspect hint" hint_in_place
check "starts at 760x650" size_is 760 650
check "starts on the screen" inside

# Resizing from outside, as a user's drag ends: the window manager applies
# the hint, the program corrects whatever size results.
for size in "800 650" "600 650" "700 900" "1000 650" "500 430"; do
    read -r rw rh <<<"$size"
    xdotool windowsize "$id" "$rw" "$rh"
    settle
    check "resized to $rw x $rh: table-shaped" shaped
    check "resized to $rw x $rh: on the screen" inside
    case $size in
    "800 650") check "resized to 800 wide: about 800 wide" near_width 800 ;;
    "1000 650") check "resized beyond the screen: as large as fits" fills_height ;;
    "500 430") check "resized to 500 wide: about 500 wide" near_width 500 ;;
    esac
done

# Maximising, as the title bar's button or double-click asks the window
# manager for it, from several sizes: the largest fitting window, restored,
# and centred with the frame the restored window has, so that the margins
# differ by the odd pixel at most.
centred() {
    local left=$((x - fl)) right=$((screenW - x - w - fr))
    [ $((left - right)) -le 1 ] && [ $((right - left)) -le 1 ]
}
for start in "500 428" "760 650" "600 513"; do
    read -r sw sh <<<"$start"
    xdotool windowsize "$id" "$sw" "$sh"
    settle
    wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
    settle
    check "maximised from $sw x $sh: not left maximised" not_maximized
    check "maximised from $sw x $sh: table-shaped" shaped
    check "maximised from $sw x $sh: as large as fits" fills_height
    check "maximised from $sw x $sh: on the screen" inside
    check "maximised from $sw x $sh: centred" centred
done

# A window moved partly off the screen comes back at the next fitting.
xdotool windowsize "$id" 600 650
settle
xdotool windowmove "$id" -250 400
settle
off_screen() { ! inside; }
check "moved off the screen (precondition)" off_screen
xdotool windowsize "$id" $((w - 40)) "$h"
settle
check "moved off the screen: back on it after the next fitting" inside
check "moved off the screen: table-shaped" shaped

# F11 twice: back to the same place and size.
xdotool windowmove "$id" 150 60
settle
before="$x $y $w $h"
activate "$id"
xdotool key F11
settle
fullscreen() { xprop -id "$id" _NET_WM_STATE | grep -q FULLSCREEN && size_is $screenW $screenH; }
check "F11: full screen" fullscreen
xdotool key F11
settle
same_place() { [ "$x $y $w $h" = "$before" ]; }
check "F11 twice: same place and size" same_place
check "F11 twice: table-shaped" shaped
check "F11 twice: not full screen" not_maximized

# Window events that change no size: moves and focus changes. Each reaches
# setWindowAspectHint, which must find the hint in place and send nothing;
# xprop -spy prints the property once, then again on every write.
xprop -id "$id" -spy WM_NORMAL_HINTS >"$work/spy.log" 2>&1 &
spy=$!
sleep 0.5
for pos in "120 80" "160 90" "200 100"; do
    read -r mx my <<<"$pos"
    xdotool windowmove "$id" "$mx" "$my"
    sleep 0.3
done
xdotool mousemove 5 $((screenH - 5)) click 1   # the desktop takes the focus
sleep 0.3
activate "$id"
sleep 0.5
kill "$spy" && wait "$spy" 2>/dev/null
spy=""
written_once() { [ "$(grep -c WM_NORMAL_HINTS "$work/spy.log")" -eq 1 ]; }
check "moves and focus changes do not rewrite the hint" written_once
check "the hint is still in place" hint_in_place

# The program is still alive and ends cleanly on a close request.
alive() { kill -0 "$app" 2>/dev/null; }
check "the program survived all of it" alive
activate "$id"
xdotool key alt+F4   # openbox asks the window to close
await_exit "$app" 30 && app=""
exited_cleanly() { [ "$status" = 0 ]; }
check "closing the window ends the program with status 0" exited_cleanly

summary || { echo "--- program log"; cat "$work/zarn.log"; exit 1; }
