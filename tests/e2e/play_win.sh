#!/bin/bash
# Plays a whole game to the win through real mouse input on an X server, then
# drives the keys. The program starts under a fake clock so that its first
# deal (seed = start time + 1) is known; the plan of presses and drags and
# the reference pictures come from the app_play_deal helper, which composes
# them with the program's own scene code. Checks are pixel comparisons of
# window screenshots against those references.
#
# Usage: play_win.sh <zarn binary> <build dir>
set -u

BIN=$1
BUILD=$2
HELPER=$BUILD/tests/app_play_deal
START_TEXT="2026-01-01 00:00:00"
START=1767225600  # the same instant in seconds, UTC
FPID=
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"

# faketime runs the program as its child: both go.
on_exit() {
    if [ -n "$FPID" ]; then
        for child in $(pgrep -P "$FPID"); do kill "$child" 2>/dev/null; done
        end_process "$FPID"
    fi
}

on_failure() {
    mkdir -p "$BUILD/e2e-play-win"
    cp "$work"/*.png "$work"/*.bmp "$work"/*.log "$BUILD/e2e-play-win/" 2>/dev/null
    echo "screenshots and references kept in $BUILD/e2e-play-win"
}

[ -x "$HELPER" ] || die "helper $HELPER not built"
for tool in Xvfb xdotool xwininfo xdpyinfo import compare convert faketime; do
    command -v "$tool" >/dev/null || die "$tool missing"
done

start_xvfb 1280x1024x24 || die "no Xvfb"

# Plans and references: the first deal, the next one, and the one after it
# in three-card mode (the D key).
mkdir -p "$work/next" "$work/three"
ZARN_PLAY_SEED=$((START + 1)) ZARN_PLAY_PLAN="$work/plan" ZARN_PLAY_REFERENCE="$work" \
    "$HELPER" >"$work/helper.log" 2>&1 || die "helper failed for the first deal"
ZARN_PLAY_SEED=$((START + 2)) ZARN_PLAY_REFERENCE="$work/next" \
    "$HELPER" >>"$work/helper.log" 2>&1 || die "helper failed for the second deal"
ZARN_PLAY_SEED=$((START + 3)) ZARN_PLAY_DRAW=3 ZARN_PLAY_REFERENCE="$work/three" \
    "$HELPER" >>"$work/helper.log" 2>&1 || die "helper failed for the three-card deal"
SCORE=$(awk '/^score/ {print $2}' "$work/plan")

# SDL counts a double-click by its own clock as it takes the presses, so a
# game that falls behind on a loaded machine would take two planned presses
# for one; the plan has no double-clicks.
SDL_AUDIODRIVER=dummy SDL_MOUSE_DOUBLE_CLICK_TIME=0 TZ=UTC faketime -f "@$START_TEXT" "$BIN" >"$work/zarn.log" 2>&1 &
FPID=$!

WID=$(game_window) || die "no window"
window_geometry -id "$WID" || die "no geometry of window $WID"
[ "${w}x$h" = "760x650" ] || die "window is ${w}x$h, the plan needs 760x650"

shot() { import -window "$WID" "$work/$1.png" 2>/dev/null; }

# Number of differing pixels of a region (WxH+X+Y) of a screenshot and a reference.
differs() {
    convert "$work/$1.png" -crop "$3" +repage "$work/a.png"
    convert "$2" -crop "$3" +repage "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1
}

WHOLE=760x650+0+0
TABLE=760x592+0+30
WASTE=80x112+126+58
PANEL=590x235+85+220
SCORE_BAR=600x28+0+622  # "1 Karte" and "Punkte: ..." without the clock

# Waits until a region of the window matches a reference, up to $4 seconds.
await() {
    local name=$1 ref=$2 region=$3 seconds=$4 n
    for _ in $(seq $((seconds * 5))); do
        shot "$name"
        n=$(differs "$name" "$ref" "$region")
        [ "$n" = "0" ] && return 0
        sleep 0.2
    done
    die "$name: $n pixels differ from $(basename "$ref") in $region"
}

# The first deal is the one the helper planned for.
await dealt "$work/dealt.bmp" "$WHOLE" 10
echo "dealt: seed $((START + 1)) on screen"

# Play the certificate: a click on the stock for a draw, a drag for a move.
play_plan "$WID" "$work/plan"
echo "played $gestures gestures"
move_pointer "$WID" 700 600

await score "$work/won.bmp" "$SCORE_BAR" 5
echo "status bar shows score $SCORE"
await won "$work/won.bmp" "$PANEL" 40
echo "Gewonnen! panel shown"

# Keys, with the window focused.
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
key() { xdotool key --clearmodifiers "$1"; }

key F2
await f2 "$work/next/dealt.bmp" "$WHOLE" 5
echo "F2: the next seed's deal"

key space
sleep 0.5
shot space
[ "$(differs space "$work/next/dealt.bmp" "$WASTE")" != "0" ] || die "Space drew no card"
[ "$(differs space "$work/next/dealt.bmp" "$TABLE")" != "0" ] || die "Space changed nothing"
echo "Space: a card on the waste"

key ctrl+z
await undo "$work/next/dealt.bmp" "$WHOLE" 5
echo "Ctrl+Z: back to the dealt table, clock at 0"

key space
key z
sleep 0.5
shot zalone
[ "$(differs zalone "$work/space.png" "$WASTE")" = "0" ] || die "Z without Control changed the waste"
echo "Z alone: the draw stays"

key F3
await f3 "$work/next/dealt.bmp" "$WHOLE" 5
echo "F3: the same deal again"

key d
await d "$work/three/dealt.bmp" "$WHOLE" 5
echo "D: three cards a draw, next seed"

quit_through_menu "$WID"
await_exit "$FPID" 5 || die "Beenden did not end the program"
FPID=
[ "$status" = "0" ] || die "exit status $status"
finish
