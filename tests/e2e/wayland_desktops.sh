#!/usr/bin/env bash
# The window under two more Wayland compositors, each nested in an Xvfb of
# our own (its X11 backend, driven through xdotool) and the table found in
# screenshots by its grey top bar:
# - mutter on an 800 x 600 output, where the game starts maximised: F11
#   there and back returns to the maximised place and size with the status
#   bar on the screen, and clicks land;
# - the tiling sway, run as an unprivileged user since it refuses root, the
#   game in a tile of its own and in a tile halved by a second window,
#   through sway's XWayland and natively: the table as large as the tile
#   allows, centred, every edge of the tile painted, a click on the stock
#   drawing a card.
# Usage: bash wayland_desktops.sh <zarn binary> <build dir> [mutter|sway]...
set -u
bin=$1
shift 2
desktops=(mutter sway)
[ $# -eq 0 ] || desktops=("$@")

app=""
other=""
mutter_pid=""
session=""
sway_pid=""
sway_dir=""
xwayland=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
# shellcheck source=lib/screen_table.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/screen_table.bash"
on_exit() {
    local p
    for p in $app $other $mutter_pid $sway_pid; do end_process "$p"; done
    # The session bus goes with its last program; ended before, it stays.
    [ -z "$session" ] || await 10 _ended "$session" || end_process "$session"
    [ -z "$sway_dir" ] || rm -rf "$sway_dir"
}

for tool in xdotool import convert python3; do
    command -v "$tool" >/dev/null || die "$tool missing"
done

check_detail() { echo "table at $tx,$ty, $tw wide; tile at $cx,$cy ${cw}x$ch"; }
alive() { kill -0 "$app" 2>/dev/null; }
green="srgb(0,128,0)"
grey="srgb(192,192,192)"

# The area a window shows its content in, on the screen: cx cy cw ch.
cx=0 cy=0 cw=0 ch=0
# The table as large as the area cx cy cw ch allows, centred in it (give or
# take a pixel of rounding).
table_fills_area() {
    local ew eh
    read_table || return 1
    if [ $((cw * 650)) -le $((ch * 760)) ]; then
        ew=$cw eh=$(((2 * 650 * cw + 760) / (2 * 760)))
    else
        eh=$ch ew=$(((2 * 760 * ch + 650) / (2 * 650)))
    fi
    near() { [ $(($1 - $2)) -le 1 ] && [ $(($2 - $1)) -le 1 ]; }
    near "$tw" "$ew" && near "$tx" $((cx + (cw - ew) / 2)) && near "$ty" $((cy + (ch - eh) / 2))
}
# The game's own colours, green or grey, at the middle of every edge of the
# area, two pixels in: no strip of it left unpainted (black, or the
# compositor's own background).
area_painted() {
    local point colour
    timeout 30 import -window root "$work/screen.png" 2>/dev/null || return 1
    for point in "$((cx + 2)) $((cy + ch / 2))" "$((cx + cw - 3)) $((cy + ch / 2))" \
        "$((cx + cw / 2)) $((cy + 2))" "$((cx + cw / 2)) $((cy + ch - 3))"; do
        # shellcheck disable=SC2086  # the point's two coordinates
        colour=$(image_pixel "$work/screen.png" $point)
        [ "$colour" = "$green" ] || [ "$colour" = "$grey" ] || return 1
    done
}
# check_stock_click WHAT: a click on the stock, whose waste is empty, draws a
# card there; Ctrl+Z takes it back for the next case.
check_stock_click() {
    if await 10 waste_empty; then
        click_table 64 114
        check "$1: a click on the stock draws a card" await 10 waste_shows_card
        xdotool key ctrl+z
        await 10 waste_empty || fail "$1: Ctrl+Z did not take the card back"
    else
        fail "$1: the waste is not empty before the draw"
    fi
}

# --- mutter ---------------------------------------------------------------
# Its nested output is a window of 800 x 600 at the X screen's top left; it
# maximises a window that nearly fills the output as it opens.
# shellcheck disable=SC2154  # new_xvfb sets mutter_display
mutter_cases() {
    local outputW=800 outputH=600 maximised
    cx=0 cy=0 cw=$outputW ch=$outputH
    new_xvfb mutter ${outputW}x$((outputH + 32))x24 || die "no Xvfb for mutter"
    export DISPLAY=$mutter_display
    export XDG_RUNTIME_DIR=$work/runtime-mutter
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # mutter reads its settings over a session bus; it starts no XWayland here.
    MUTTER_DEBUG_DUMMY_MODE_SPECS=${outputW}x$outputH dbus-run-session -- \
        mutter --nested --wayland --no-x11 --wayland-display=zarn-mutter >"$work/mutter.log" 2>&1 &
    session=$!
    socket_there() { [ -S "$XDG_RUNTIME_DIR/zarn-mutter" ]; }
    await 30 socket_there || {
        cat "$work/mutter.log"
        die "mutter did not start"
    }
    mutter_pid=$(pgrep -P "$session" -x mutter)

    WAYLAND_DISPLAY=zarn-mutter SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy "$bin" >"$work/zarn-mutter.log" 2>&1 &
    app=$!
    await 30 read_table || die "mutter: the table never showed"
    enter_output $outputW $outputH
    # A click on the title bar first: else mutter's X11 backend handed the
    # game its first click where the pointer had entered the output, without
    # the motion to where it was aimed. Then the pointer, which mutter draws
    # into its output, off the top bar that finds the table.
    xdotool mousemove $((outputW / 2)) 10 click 1 mousemove $((outputW - 1)) $((outputH - 1))
    settled_table
    # As it opens: maximised, the table below the title bar, its foot the output's.
    check "mutter: starts with the status bar on the screen" status_bar_shows $outputH
    maximised="$tx $ty $tw"

    full() { read_table && [ "$ty" -eq 0 ] && [ "$tw" -eq $((outputH * 760 / 650)) ]; }
    xdotool key F11
    check "mutter: F11: the table fills the screen's height" await 20 full
    xdotool key F11
    back() { read_table && [ "$tx $ty $tw" = "$maximised" ]; }
    check "mutter: F11 twice: back to the maximised place and size" await 20 back
    check "mutter: F11 twice: the status bar on the screen" status_bar_shows $outputH
    check_stock_click "mutter: F11 twice"
    check "mutter: F11 twice: the status bar still on the screen after a click" status_bar_shows $outputH
    check "mutter: the game survived all of it" alive
    [ "$failures" -eq 0 ] || cat "$work/zarn-mutter.log"

    end_process "$app"
    app=""
    end_process "$mutter_pid"
    mutter_pid=""
    await 10 _ended "$session" || end_process "$session"
    session=""
}

# --- sway -----------------------------------------------------------------
# Its output is a window of 1024 x 768 at the X screen's top left. It refuses
# root, and runs as nobody then, with a runtime folder of that user's; the
# Xvfb takes local clients of any user. The game runs as we do and needs
# XWayland to let it in.
sway_user=()
# sway_tile: the content area of the game's tile, from sway's tree, in cx cy cw ch.
sway_tile() {
    local found
    found=$(SWAYSOCK=$(echo "$sway_dir"/sway-ipc.*.sock) swaymsg -t get_tree 2>/dev/null | python3 -c '
import json, sys
def walk(node):
    if (node.get("name") or "").startswith("Zarn - Solit"):
        r, w = node["rect"], node["window_rect"]
        print(r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"])
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))
sys.exit(1)') || return 1
    read -r cx cy cw ch <<<"$found"
}
# tile_cases WHAT: the game in its tile: as large as it allows, every edge
# painted, clicks landing.
tile_fills() { sway_tile && table_fills_area; }
tile_cases() {
    await 20 sway_tile || fail "$1: no tile in sway's tree"
    check "$1: the whole table in the tile, as large as it allows, centred" await 20 tile_fills
    check "$1: no strip of the tile unpainted" await 10 area_painted
    check_stock_click "$1"
}
# sway_game WHAT VARIABLE=VALUE...: the game, its environment that of the
# script and the variables given, in a tile of its own, then beside a second
# window, an X client of XWayland's.
sway_game() {
    local what=$1
    shift
    env "$@" SDL_AUDIODRIVER=dummy "$bin" >>"$work/zarn-sway.log" 2>&1 &
    app=$!
    # The tile first: the screen may still show the game before this one.
    await 30 sway_tile || die "sway, $what: the game's tile never showed"
    await 30 read_table || die "sway, $what: the table never showed"
    tile_cases "sway, $what, a tile of its own"
    DISPLAY=$xwayland xmessage -name second "a second window" >/dev/null 2>&1 &
    other=$!
    halved() { sway_tile && [ $((2 * cw)) -le 1024 ]; }
    await 10 halved || fail "sway, $what: the second window did not halve the tile"
    tile_cases "sway, $what, a halved tile"
    check "sway, $what: the game survived all of it" alive
    end_process "$other"
    other=""
    end_process "$app"
    app=""
    no_tile() { ! sway_tile; }
    await 10 no_tile || fail "sway, $what: the game's tile stayed after it ended"
}
# shellcheck disable=SC2154  # new_xvfb sets sway_display
sway_cases() {
    local outputW=1024 outputH=768 socket
    new_xvfb sway ${outputW}x$((outputH + 32))x24 || die "no Xvfb for sway"
    sway_dir=$(mktemp -d /tmp/zarn-sway.XXXXXX)
    if [ "$(id -u)" -eq 0 ]; then
        sway_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
        chown nobody:nogroup "$sway_dir"
    fi
    # XWayland at once, letting us in; sway's displays written down for us.
    cat >"$sway_dir/config" <<EOF
xwayland force
output X11-1 resolution ${outputW}x$outputH
exec sh -c 'xhost +si:localuser:$(id -un) >/dev/null && echo "\$DISPLAY \$WAYLAND_DISPLAY" >$sway_dir/names.part && mv $sway_dir/names.part $sway_dir/names'
EOF
    "${sway_user[@]}" env -i PATH="$PATH" HOME="$sway_dir" XDG_RUNTIME_DIR="$sway_dir" DISPLAY="$sway_display" \
        WLR_BACKENDS=x11 WLR_RENDERER=pixman WLR_X11_OUTPUTS=1 sway -c "$sway_dir/config" >"$work/sway.log" 2>&1 &
    sway_pid=$!
    names_there() { [ -s "$sway_dir/names" ]; }
    await 30 names_there || {
        tail -30 "$work/sway.log"
        die "sway did not start"
    }
    read -r xwayland socket <"$sway_dir/names"
    export DISPLAY=$sway_display
    enter_output $outputW $outputH

    # The game as an X client of sway's XWayland, as SDL chooses wherever
    # DISPLAY is set; then natively.
    sway_game XWayland DISPLAY="$xwayland" SDL_VIDEODRIVER=x11
    sway_game Wayland WAYLAND_DISPLAY="$socket" XDG_RUNTIME_DIR="$sway_dir" SDL_VIDEODRIVER=wayland
    [ "$failures" -eq 0 ] || cat "$work/zarn-sway.log"

    end_process "$sway_pid"
    sway_pid=""
}

for desktop in "${desktops[@]}"; do
    case $desktop in
    mutter) mutter_cases ;;
    sway) sway_cases ;;
    *) die "no such desktop: $desktop" ;;
    esac
done

summary
