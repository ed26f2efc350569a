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
WORK=$(mktemp -d)
XPID=
FPID=

cleanup() {
    if [ -n "$FPID" ]; then
        for child in $(pgrep -P "$FPID"); do kill "$child" 2>/dev/null; done
        kill "$FPID" 2>/dev/null
        wait "$FPID" 2>/dev/null
    fi
    [ -n "$XPID" ] && kill "$XPID" 2>/dev/null && wait "$XPID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    mkdir -p "$BUILD/e2e-play-win"
    cp "$WORK"/*.png "$WORK"/*.bmp "$WORK"/*.log "$BUILD/e2e-play-win/" 2>/dev/null
    echo "screenshots and references kept in $BUILD/e2e-play-win"
    exit 1
}

[ -x "$HELPER" ] || fail "helper $HELPER not built"
for tool in Xvfb xdotool xwininfo xdpyinfo import compare convert faketime; do
    command -v "$tool" >/dev/null || fail "$tool missing"
done

# A free display in this test's range.
for n in 93 94 95 96 97 98 99; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISPLAY_NUM=$n; break; fi
done
[ -n "${DISPLAY_NUM:-}" ] || fail "no free display in :93-:99"
Xvfb ":$DISPLAY_NUM" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=":$DISPLAY_NUM"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"

# Plans and references: the first deal, the next one, and the one after it
# in three-card mode (the D key).
mkdir -p "$WORK/next" "$WORK/three"
ZARN_PLAY_SEED=$((START + 1)) ZARN_PLAY_PLAN="$WORK/plan" ZARN_PLAY_REFERENCE="$WORK" \
    "$HELPER" >"$WORK/helper.log" 2>&1 || fail "helper failed for the first deal"
ZARN_PLAY_SEED=$((START + 2)) ZARN_PLAY_REFERENCE="$WORK/next" \
    "$HELPER" >>"$WORK/helper.log" 2>&1 || fail "helper failed for the second deal"
ZARN_PLAY_SEED=$((START + 3)) ZARN_PLAY_DRAW=3 ZARN_PLAY_REFERENCE="$WORK/three" \
    "$HELPER" >>"$WORK/helper.log" 2>&1 || fail "helper failed for the three-card deal"
SCORE=$(awk '/^score/ {print $2}' "$WORK/plan")

SDL_AUDIODRIVER=dummy TZ=UTC faketime -f "@$START_TEXT" "$BIN" >"$WORK/zarn.log" 2>&1 &
FPID=$!

WID=
for _ in $(seq 100); do
    WID=$(xdotool search --onlyvisible --name '^Zarn - Solit' 2>/dev/null | head -1)
    [ -n "$WID" ] && break
    sleep 0.1
done
[ -n "$WID" ] || fail "no window"
GEOMETRY=$(xwininfo -id "$WID" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$GEOMETRY" = "760x650" ] || fail "window is $GEOMETRY, the plan needs 760x650"

shot() { import -window "$WID" "$WORK/$1.png" 2>/dev/null; }

# Number of differing pixels of a region (WxH+X+Y) of a screenshot and a reference.
differs() {
    convert "$WORK/$1.png" -crop "$3" +repage "$WORK/a.png"
    convert "$2" -crop "$3" +repage "$WORK/b.png"
    compare -metric AE "$WORK/a.png" "$WORK/b.png" null: 2>&1
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
    fail "$name: $n pixels differ from $(basename "$ref") in $region"
}

# The first deal is the one the helper planned for.
await dealt "$WORK/dealt.bmp" "$WHOLE" 10
echo "dealt: seed $((START + 1)) on screen"

# Play the certificate: a click on the stock for a draw, a drag for a move.
move() { xdotool mousemove --window "$WID" "$1" "$2"; }
steps=0
while read -r kind a b c d e; do
    case $kind in
    click)
        [ "$c" = "1" ] && sleep 0.6  # no double-click with the previous press
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
    steps=$((steps + 1))
done <"$WORK/plan"
echo "played $steps gestures"
move 700 600

await score "$WORK/won.bmp" "$SCORE_BAR" 5
echo "status bar shows score $SCORE"
await won "$WORK/won.bmp" "$PANEL" 40
echo "Gewonnen! panel shown"

# Keys, with the window focused.
xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
key() { xdotool key --clearmodifiers "$1"; }

key F2
await f2 "$WORK/next/dealt.bmp" "$WHOLE" 5
echo "F2: the next seed's deal"

key space
sleep 0.5
shot space
[ "$(differs space "$WORK/next/dealt.bmp" "$WASTE")" != "0" ] || fail "Space drew no card"
[ "$(differs space "$WORK/next/dealt.bmp" "$TABLE")" != "0" ] || fail "Space changed nothing"
echo "Space: a card on the waste"

key ctrl+z
await undo "$WORK/next/dealt.bmp" "$WHOLE" 5
echo "Ctrl+Z: back to the dealt table, clock at 0"

key space
key z
sleep 0.5
shot zalone
[ "$(differs zalone "$WORK/space.png" "$WASTE")" = "0" ] || fail "Z without Control changed the waste"
echo "Z alone: the draw stays"

key F3
await f3 "$WORK/next/dealt.bmp" "$WHOLE" 5
echo "F3: the same deal again"

key d
await d "$WORK/three/dealt.bmp" "$WHOLE" 5
echo "D: three cards a draw, next seed"

# Quit through the menu: "Spiel", then "Beenden".
move 30 15
xdotool click 1
sleep 0.3
move 30 175
xdotool click 1
for _ in $(seq 50); do kill -0 "$FPID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$FPID" 2>/dev/null && fail "Beenden did not end the program"
wait "$FPID"
status=$?
FPID=
[ "$status" = "0" ] || fail "exit status $status"
echo "PASS"
