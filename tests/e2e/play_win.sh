#!/bin/bash
# Plays a whole game to the win through real mouse input on an X server, then
# drives the keys. The program starts with its calendar clock standing
# still, so that its first deal (seed = start time + 1) is known; the plan of
# presses and drags and the reference pictures come from the app_play_deal
# helper, which composes them with the program's own scene code. Checks are pixel comparisons of
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

on_exit() { end_process "$FPID"; }

on_failure() {
    mkdir -p "$BUILD/e2e-play-win"
    cp "$work"/*.png "$work"/*.bmp "$work"/*.log "$BUILD/e2e-play-win/" 2>/dev/null
    echo "screenshots and references kept in $BUILD/e2e-play-win"
}

[ -x "$HELPER" ] || die "helper $HELPER not built"
faketime_library >/dev/null || die "libfaketime is not installed"
for tool in Xvfb xdotool xwininfo xdpyinfo import compare convert; do
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
SDL_AUDIODRIVER=dummy SDL_MOUSE_DOUBLE_CLICK_TIME=0 start_at_time "$START_TEXT" "$BIN" >"$work/zarn.log" 2>&1
FPID=$started

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

# region_is NAME REF REGION: a new shot NAME matches the reference in the region.
region_is() {
    shot "$1"
    [ "$(differs "$1" "$2" "$3")" = "0" ]
}
# region_is_not NAME REF REGION: a new shot NAME differs from the reference in the region.
region_is_not() { shot "$1" && [ "$(differs "$1" "$2" "$3")" != "0" ]; }

# await_region NAME REF REGION SECONDS: until a region of the window matches a reference.
await_region() {
    await "$4" region_is "$1" "$2" "$3" ||
        die "$1: $(differs "$1" "$2" "$3") pixels differ from $(basename "$2") in $3"
}

# The first deal is the one the helper planned for.
await_region dealt "$work/dealt.bmp" "$WHOLE" 60
echo "dealt: seed $((START + 1)) on screen"

# Play the certificate: a click on the stock for a draw, a drag for a move.
play_plan "$WID" "$work/plan" "$BUILD" || die "the game stopped answering after $gestures gestures"
echo "played $gestures gestures"
move_pointer "$WID" 700 600

await_region score "$work/won.bmp" "$SCORE_BAR" 30
echo "status bar shows score $SCORE"
await_region won "$work/won.bmp" "$PANEL" 60
echo "Gewonnen! panel shown"

# Keys, with the window focused.
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
key() { xdotool key --clearmodifiers "$1"; }

key F2
await_region f2 "$work/next/dealt.bmp" "$WHOLE" 30
echo "F2: the next seed's deal"

key space
await 30 region_is_not space "$work/next/dealt.bmp" "$WASTE" || die "Space drew no card"
[ "$(differs space "$work/next/dealt.bmp" "$TABLE")" != "0" ] || die "Space changed nothing"
echo "Space: a card on the waste"

key ctrl+z
await_region undo "$work/next/dealt.bmp" "$WHOLE" 30
echo "Ctrl+Z: back to the dealt table, clock at 0"

# F1's help panel, which leaves the waste free, shows that the keys before
# it were taken.
key space
key z
key F1
await 30 window_pixel_is "$WID" 300 236 "srgb(0,0,128)" || die "F1 showed no help panel"
shot zalone
[ "$(differs zalone "$work/space.png" "$WASTE")" = "0" ] || die "Z without Control changed the waste"
key F1
echo "Z alone: the draw stays"

key F3
await_region f3 "$work/next/dealt.bmp" "$WHOLE" 30
echo "F3: the same deal again"

key d
await_region d "$work/three/dealt.bmp" "$WHOLE" 30
echo "D: three cards a draw, next seed"

quit_through_menu "$WID" || die "the menu did not open"
await_exit "$FPID" 30 || die "Beenden did not end the program"
FPID=
[ "$status" = "0" ] || die "exit status $status"
finish
