#!/usr/bin/env bash
# A freshly dealt table on a real X server, checked by screenshot: the stock
# shows the back, every column shows backs under its one face-up card, each
# card is matched against the embedded atlas cells, and the empty waste, the
# foundations with their marks and both bars stand where they belong. The
# clock is faked, so the deal is known; SIGTERM ends the game normally.
set -u
zarn=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
game=""
on_exit() { end_process "$game"; }

faketime_library >/dev/null || die "libfaketime is not installed"
start_xvfb || die "no Xvfb"

launch() {
    SDL_AUDIODRIVER=dummy start_at_time "2024-01-01 12:00:00" "$zarn" 2>"$work/err"
    game=$started
}

# The window shows its first frame: both grey bars, as a frame reaches the
# X server in strips.
table_shown() {
    window_geometry -name "Zarn - Solitär" || return 1
    geometry="${w}x${h}+${x}+${y}"
    import -window root "$work/root.png" 2>/dev/null
    bars=$(convert "$work/root.png" -format "%[pixel:p{$((x + 300)),$((y + 15))}] %[pixel:p{$((x + 300)),$((y + 640))}]" \
        info: 2>/dev/null)
    [ "$bars" = "srgb(192,192,192) srgb(192,192,192)" ]
}

launch
geometry=""
await 60 table_shown
[ -n "$geometry" ] || die "no window"
{ [ "$w" = 760 ] && [ "$h" = 650 ]; } || die "window is $geometry, expected 760x650"
# The table is drawn once and then stands still: take it once it has settled.
sleep 0.5
import -window root "$work/root.png"
convert "$work/root.png" -crop "$geometry" +repage "$work/table.png"

expect_pixel() {  # x y colour what
    local got
    got=$(image_pixel "$work/table.png" "$1" "$2")
    [ "$got" = "$3" ] || fail "$4 at ($1,$2) is $got, expected $3"
}
# Number of pixels of one colour in a region.
count() {  # w h x y hex
    convert "$work/table.png" -crop "$1x$2+$3+$4" +repage -fill white +opaque "$5" -fill black -opaque "$5" \
        -format '%[fx:round(w*h*(1-mean))]' info:
}

# The atlas reduced to table units: one cell is one card at 80 x 112.
convert "$root/assets/card-atlas.bmp" -filter box -resize 50% "$work/cells.png"
convert "$work/cells.png" -crop "80x25+0+448" +repage "$work/back-strip.png"

# Best matching atlas cell for a card-sized region: "column row percent".
best_cell() {  # x y
    convert "$work/table.png" -crop "80x112+$1+$2" +repage "$work/card.png"
    convert "$work/cells.png" \( "$work/card.png" -write mpr:card +delete -size 1040x560 tile:mpr:card \) \
        -compose difference -composite -colorspace gray -scale '13x5!' -depth 16 txt:- |
        awk -F'[,:() ]+' 'NR > 1 {print $1, $2, $3 / 655.35}' | sort -k3 -g | head -1
}

# The pinned deal of 2024-01-01 12:00:00 UTC: the face-up card of each column
# as its atlas cell (rank - 1, suit row).
tops=("10 3" "12 0" "11 3" "0 1" "11 0" "12 2" "2 3")
for c in 0 1 2 3 4 5 6; do
    cx=$((24 + 102 * c))
    cy=$((204 + 25 * c))
    read -r col row diff <<<"$(best_cell "$cx" "$cy")"
    [ "$col $row" = "${tops[$c]}" ] || fail "column $c shows cell $col,$row, expected ${tops[$c]}"
    awk -v d="$diff" 'BEGIN {exit !(d < 2)}' || fail "column $c differs from its cell by $diff%"
    # Each covered card shows the top strip of the back.
    for ((j = 0; j < c; ++j)); do
        convert "$work/table.png" -crop "80x25+$cx+$((204 + 25 * j))" +repage "$work/strip.png"
        d=$(compare -metric RMSE "$work/strip.png" "$work/back-strip.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
        awk -v d="$d" 'BEGIN {exit !(d < 0.02)}' || fail "column $c card $j is not a back (RMSE $d)"
    done
    expect_pixel "$((cx + 40))" "$((cy + 114))" "srgb(0,128,0)" "below column $c"
done

read -r col row diff <<<"$(best_cell 24 58)"
[ "$col $row" = "0 4" ] || fail "the stock shows cell $col,$row, not the back"

# The empty waste: its outline and nothing inside.
expect_pixel 166 58 "srgb(0,64,0)" "waste outline top"
expect_pixel 126 114 "srgb(0,64,0)" "waste outline left"
expect_pixel 166 170 "srgb(64,176,64)" "waste outline bottom"
expect_pixel 206 114 "srgb(64,176,64)" "waste outline right"
[ "$(count 79 111 127 59 '#008000')" = 8769 ] || fail "the empty waste is not bare"

# The four empty foundations, each with its outline and its "A".
for f in 0 1 2 3; do
    fx=$((330 + 102 * f))
    expect_pixel "$((fx + 40))" 58 "srgb(0,64,0)" "foundation $f outline"
    expect_pixel "$((fx + 80))" 114 "srgb(64,176,64)" "foundation $f outline"
    n=$(count 40 50 "$((fx + 20))" 90 '#006000')
    [ "$n" -gt 20 ] || fail "foundation $f has no mark ($n pixels)"
done

# Bars and the open table.
expect_pixel 300 15 "srgb(192,192,192)" "top bar"
expect_pixel 300 640 "srgb(192,192,192)" "status bar"
expect_pixel 0 0 "srgb(255,255,255)" "top bar corner"
expect_pixel 300 190 "srgb(0,128,0)" "table"
expect_pixel 700 600 "srgb(0,128,0)" "table"
[ "$(count 60 20 12 630 '#000000')" -gt 20 ] || fail "no draw-mode text in the status bar"

# SIGTERM arrives as a quit request: a normal end.
kill -TERM "$game"
if await_exit "$game" 30; then game=""; else fail "SIGTERM did not end the game within 30 s"; fi
[ "$status" = 0 ] || fail "the game ended with status ${status:-(none)} after SIGTERM"

if [ "$failures" -ne 0 ]; then
    cp "$work/table.png" "${2:-/tmp}/screenshot_table-failed.png" 2>/dev/null &&
        echo "screenshot kept in ${2:-/tmp}/screenshot_table-failed.png"
    exit 1
fi
finish
