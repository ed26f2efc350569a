#!/usr/bin/env bash
# Takes docs/screenshot.png, the picture in the README and the metainfo: the
# real game on its own Xvfb, a known deal (the clock is faked, so the seed is
# known) a few moves in: the ace of hearts sent home by a right-click, the
# queen of spades dragged onto the king of diamonds, three draws.
#
# Needs: Xvfb, xdotool, ImageMagick, faketime (all from build/linux/deps.sh)
# Usage: bash tools/take-screenshot.sh [zarn binary] [output png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zarn=${1:-$root/out/release/zarn}
out=${2:-$root/docs/screenshot.png}

work=$(mktemp -d)
xvfb="" game=""
cleanup() {
    [ -n "$game" ] && kill "$game" 2>/dev/null && wait "$game" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -noreset -nolisten tcp -screen 0 1280x1024x24 5>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q '[0-9]' "$work/display" && break; sleep 0.1; done
DISPLAY=":$(head -1 "$work/display")"
export DISPLAY

faketime_lib=$(dpkg -L libfaketime | grep -m1 'libfaketime\.so\.1$')
TZ=UTC LD_PRELOAD="$faketime_lib" FAKETIME="@2024-01-01 12:00:00" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    SDL_AUDIODRIVER=dummy "$zarn" 2>"$work/err" &
game=$!
id=""
for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name '^Zarn - Solit' 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.1
done
[ -n "$id" ] || { cat "$work/err"; echo "no window" >&2; exit 1; }
sleep 1

# Table units are window pixels at the default size; a column's top card
# lies at x 24 + 102 c, y 204 + 25 c.
card() { echo $((24 + 102 * $1 + 40)) $((204 + 25 * $1 + 60)); }
read -r x y <<<"$(card 3)"
xdotool mousemove --window "$id" "$x" "$y" click 3
sleep 0.3
read -r x y <<<"$(card 4)"
xdotool mousemove --window "$id" "$x" "$y" mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove --window "$id" $((x + 10 * step)) $((y + 2 * step))
    sleep 0.05
done
read -r x y <<<"$(card 5)"
xdotool mousemove --window "$id" "$x" "$y" mouseup 1
sleep 0.3
for _ in 1 2 3; do
    xdotool key --window "$id" space
    sleep 0.3
done
xdotool mousemove --window "$id" 700 500
sleep 1.5

mkdir -p "$(dirname "$out")"
import -window "$id" "$work/shot.png"
convert "$work/shot.png" -strip -define png:exclude-chunks=date,time "$out"
echo "$out: $(identify -format '%wx%h' "$out")"
