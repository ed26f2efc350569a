#!/usr/bin/env bash
# The window under real window managers, each on an Xvfb of its own with a
# 1366 x 768 screen, one table of cases for all of them: the start, a widened
# window, maximising, each followed by minimising and restoring as a taskbar
# does, F11 there and back, full screen that the window manager switches on
# and off by itself, and the screen shrinking under the window. Under
# openbox also the aspect hint as the window manager sees it, resizing from
# outside, maximising from several sizes, a window moved off the screen, and
# that plain window events (moves, focus) never rewrite the hint. Under the
# tiling i3 the window has the size of its tile, where a request to minimise
# leaves it, and the table is shown in it between bars. Then, under openbox,
# screens of other kinds: two monitors on one X screen, and a 3840 x 2160
# screen at a desktop scale of 2 and of 1, switched to 1920 x 1080 under a
# full-screen window.
# Usage: bash window_manager.sh <zarn binary> <build dir> [manager or screen]...
set -u
bin=$1
build=$2
shift 2
sync_tool=$build/tests/e2e_window_sync
# The present server's screen.
screenW=1366
screenH=768
managers=(openbox xfwm4 metacity marco icewm fluxbox jwm i3)
screens=(monitors 4k)
selected=("${managers[@]}" "${screens[@]}")
[ $# -eq 0 ] || selected=("$@")

app=""
spy=""
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
on_exit() {
    local p
    for p in $spy $app; do end_process "$p"; done
}

[ -x "$sync_tool" ] || die "$sync_tool not built"

wm="" id=""
x=0 y=0 w=0 h=0 fl=0 fr=0 ft=0 fb=0
ax=0 ay=0 aw=$screenW ah=$screenH
# What a failed check prints beside its name.
expected=""
check_detail() { echo "client $x,$y ${w}x$h${expected:+ (before: $expected)}, frame l$fl r$fr t$ft b$fb, work area $ax,$ay ${aw}x$ah"; }

# Client-area geometry x y w h, the frame extents fl fr ft fb and the work
# area ax ay aw ah.
read_geometry() {
    window_geometry -id "$id"
    x=${x:-0} y=${y:-0} w=${w:-0} h=${h:-0}
    # Unset while the window manager is between states: then no frame.
    local extents area
    extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null)
    if [[ $extents =~ =\ *([0-9]+),\ *([0-9]+),\ *([0-9]+),\ *([0-9]+) ]]; then
        fl=${BASH_REMATCH[1]} fr=${BASH_REMATCH[2]} ft=${BASH_REMATCH[3]} fb=${BASH_REMATCH[4]}
    else
        fl=0 fr=0 ft=0 fb=0
    fi
    area=$(xprop -root _NET_WORKAREA 2>/dev/null)
    if [[ $area =~ =\ *([0-9]+),\ *([0-9]+),\ *([0-9]+),\ *([0-9]+) ]]; then
        ax=${BASH_REMATCH[1]} ay=${BASH_REMATCH[2]} aw=${BASH_REMATCH[3]} ah=${BASH_REMATCH[4]}
    else
        read -r aw ah < <(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
        ax=0 ay=0
    fi
}

# Waits until the geometry stays the same across several looks, each after
# the game has answered a ping sent behind everything before it: the
# fitting and the window manager may trade a few resizes before it settles.
settle() {
    local last="" now="" same=0
    for _ in $(seq 60); do
        sleep 0.1
        "$sync_tool" "$id" 30 >/dev/null 2>&1 || return 1
        read_geometry
        now="$x $y $w $h $fl $fr $ft $fb $ax $ay $aw $ah"
        if [ "$now" = "$last" ]; then
            same=$((same + 1))
            [ $same -ge 3 ] && return 0
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
# inside_area X Y W H: the whole window, frame included, lies in the area.
inside_area() {
    [ $((x - fl)) -ge "$1" ] && [ $((y - ft)) -ge "$2" ] &&
        [ $((x + w + fr)) -le $(($1 + $3)) ] && [ $((y + h + fb)) -le $(($2 + $4)) ]
}
inside() { inside_area "$ax" "$ay" "$aw" "$ah"; }
# As tall as the work area (or an area HEIGHT tall) allows, give or take the
# unit that the re-fitting may take off.
fills_height() { [ $((h + ft + fb)) -ge $((${1:-$ah} - 2)) ]; }
# centred_across LEFT WIDTH: centred across that stretch of the screen with
# the frame it has: the margins differ by the odd pixel at most.
centred_across() {
    local left=$((x - fl - $1)) right=$(($1 + $2 - x - w - fr))
    [ $((left - right)) -le 1 ] && [ $((right - left)) -le 1 ]
}
centred() { centred_across "$ax" "$aw"; }
wm_state() { xprop -id "$id" _NET_WM_STATE 2>/dev/null; }
not_maximized() { ! wm_state | grep -q MAXIMIZED; }
fullscreen() { wm_state | grep -q FULLSCREEN && size_is "$screenW" "$screenH"; }
not_fullscreen() { ! wm_state | grep -q FULLSCREEN; }
size_is() { [ "$w" -eq "$1" ] && [ "$h" -eq "$2" ]; }
near_width() { [ "$w" -le "$1" ] && [ "$w" -ge $(($1 - 6)) ]; }
hint_in_place() {
    local hints
    hints=$(xprop -id "$id" WM_NORMAL_HINTS)
    grep -q 'program specified minimum aspect ratio: 760/650' <<<"$hints" &&
        grep -q 'program specified maximum aspect ratio: 760/650' <<<"$hints"
}

green="srgb(0,128,0)"
grey="srgb(192,192,192)"
# The table's place in a window of w x h, whatever its shape: as large as
# fits, centred, ox and oy the bars' widths.
tw=0 th=0 ox=0 oy=0
table_in_window() {
    if [ $((w * 650)) -le $((h * 760)) ]; then
        tw=$w th=$(((2 * 650 * w + 760) / (2 * 760)))
    else
        th=$h tw=$(((2 * 760 * h + 650) / (2 * 650)))
    fi
    ox=$(((w - tw) / 2)) oy=$(((h - th) / 2))
}
# Table units to the window's pixels (run in a subshell, it sets nothing).
table_pixel() {
    table_in_window
    echo $((ox + $1 * tw / 760)) $((oy + $2 * th / 650))
}
# The table centred in the window with green bars beside or above and below
# it: its top bar grey from end to end, green in the bars on either side.
table_in_bars() {
    local px py unit
    table_in_window
    for unit in 5 380 755; do
        read -r px py < <(table_pixel "$unit" 10)
        window_pixel_is "$id" "$px" "$py" "$grey" || return 1
    done
    if [ "$ox" -ge 4 ]; then
        window_pixel_is "$id" $((ox / 2)) "$py" "$green" || return 1
        window_pixel_is "$id" $((w - 1 - ox / 2)) "$py" "$green" || return 1
    fi
    if [ "$oy" -ge 4 ]; then
        window_pixel_is "$id" $((w / 2)) $((oy / 2)) "$green" || return 1
        window_pixel_is "$id" $((w / 2)) $((h - 1 - oy / 2)) "$green" || return 1
    fi
}
# The middle of the waste shows a card rather than the table.
waste_shows_card() {
    local px py
    read -r px py < <(table_pixel 166 114)
    ! window_pixel_is "$id" "$px" "$py" "$green"
}
# check_stock_click WHAT [back]: a click on the stock, whose waste is empty,
# draws a card there; with "back", Ctrl+Z then takes it back for the next
# case (the window has the focus).
check_stock_click() {
    local px py
    read -r px py < <(table_pixel 166 114)
    if await_window_pixel "$id" "$px" "$py" "$green" 10; then
        read -r px py < <(table_pixel 64 114)
        move_pointer "$id" "$px" "$py"
        xdotool click 1
        check "$1: a click on the stock draws a card" await 10 waste_shows_card
        [ "${2:-}" = back ] || return 0
        xdotool key ctrl+z
        read -r px py < <(table_pixel 166 114)
        await_window_pixel "$id" "$px" "$py" "$green" 10 || fail "$1: Ctrl+Z did not take the card back"
    else
        fail "$1: the waste is not empty before the draw"
    fi
}

# minimise_round_trips WHAT: minimised, and restored through
# _NET_ACTIVE_WINDOW as a taskbar does, three times over: shown again each
# time at the same place and size, inside the work area; then a click on the
# stock lands. i3 keeps the window shown in its tile.
wm_hidden() { xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }
wm_shown() {
    xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state: Normal' &&
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable
}
minimise_round_trips() {
    local before="$x $y $w $h" round
    expected="$x,$y ${w}x$h"
    for round in 1 2 3; do
        xdotool windowminimize "$id"
        if [ "$wm" != i3 ]; then
            await 10 wm_hidden || fail "$1, minimised ($round): hidden (precondition)"
        fi
        # The game reads what the window manager did before it is restored.
        "$sync_tool" "$id" 30 >/dev/null 2>&1
        xdotool windowactivate "$id"
        check "$1, minimised and restored ($round): shown" await 10 wm_shown
        settle
        check "$1, minimised and restored ($round): same place and size" [ "$x $y $w $h" = "$before" ]
        check "$1, minimised and restored ($round): inside" inside
    done
    expected=""
    check_stock_click "$1, minimised and restored" back
}

# A tiling window manager gives the window its tile and keeps it there,
# however the window asks: the table is shown in the tile between bars,
# input follows, and F11 goes to the whole screen and back to the tile.
tiling_cases() {
    settle
    check "$wm: has the whole screen's tile" [ $((w + 10)) -ge "$screenW" ]
    check "$wm: the table centred between bars beside it" table_in_bars
    minimise_round_trips "$wm: in its tile"
    check_stock_click "$wm"

    # A second window halves the tile.
    xmessage -name second "a second window" >/dev/null 2>&1 &
    local other=$!
    await 10 xdotool search --onlyvisible --classname second >/dev/null
    settle
    check "$wm: beside a second window: half the screen's tile" [ $((2 * w)) -le "$screenW" ]
    check "$wm: beside a second window: the table centred between bars above and below" table_in_bars
    check "$wm: beside a second window: the waste still shows the card" waste_shows_card

    local before="$x $y $w $h"
    same_place() { [ "$x $y $w $h" = "$before" ]; }
    activate "$id"
    xdotool key F11
    settle
    check "$wm: F11: the whole screen" fullscreen
    check "$wm: F11: the table centred between bars" table_in_bars
    xdotool key F11
    settle
    check "$wm: F11 twice: back in its tile" same_place
    check "$wm: F11 twice: the table centred between bars" table_in_bars

    end_process "$other"
    settle
    check "$wm: alone again: the whole screen's tile" [ $((w + 10)) -ge "$screenW" ]
    check "$wm: alone again: the table centred between bars" table_in_bars
}

# The acceptance every window manager meets.
common_cases() {
    settle
    check "$wm: starts table-shaped" shaped
    check "$wm: starts inside the work area" inside

    xdotool windowsize "$id" 1000 "$h"
    settle
    check "$wm: widened to 1000: table-shaped" shaped
    check "$wm: widened to 1000: inside" inside
    minimise_round_trips "$wm: widened"

    wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
    settle
    check "$wm: maximised: not left maximised" not_maximized
    check "$wm: maximised: table-shaped" shaped
    check "$wm: maximised: as large as fits" fills_height
    check "$wm: maximised: inside" inside
    check "$wm: maximised: centred" centred
    minimise_round_trips "$wm: maximised"

    # F11 twice: back to the same place and size, every time.
    xdotool windowsize "$id" 600 513
    settle
    xdotool windowmove "$id" 150 60
    settle
    local before="$x $y $w $h" round
    same_place() { [ "$x $y $w $h" = "$before" ]; }
    activate "$id"
    for round in 1 2; do
        xdotool key F11
        settle
        check "$wm: F11 ($round): the whole screen" fullscreen
        xdotool key F11
        settle
        check "$wm: F11 twice ($round): same place and size" same_place
        check "$wm: F11 twice ($round): not full screen" not_fullscreen
    done

    # The click that gives the window the focus acts as any other.
    xmessage -geometry +1000+600 -name second "a second window" >/dev/null 2>&1 &
    local other=$!
    local second
    second=$(await 10 xdotool search --onlyvisible --classname second | head -1)
    activate "$second"
    focus_on() { local active; active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p'); [ $((active)) -eq "$1" ]; }
    await 10 focus_on "$second" || fail "$wm: another window has the focus (precondition)"
    check_stock_click "$wm: another window has the focus" back
    end_process "$other"

    # Full screen from the window manager: as after F11, and F11 leaves it.
    wmctrl -i -r "$id" -b add,fullscreen
    settle
    check "$wm: full screen from outside: the whole screen" fullscreen
    check "$wm: full screen from outside: the table centred between bars" table_in_bars
    check_stock_click "$wm: full screen from outside"
    xdotool key F11
    settle
    check "$wm: F11 after full screen from outside: same place and size" same_place
    check "$wm: F11 after full screen from outside: not full screen" not_fullscreen
    # ... and leaving it from outside too.
    wmctrl -i -r "$id" -b add,fullscreen
    settle
    wmctrl -i -r "$id" -b remove,fullscreen
    settle
    check "$wm: full screen left from outside: same place and size" same_place
    check "$wm: full screen left from outside: table-shaped" shaped

    # The screen shrinks under the window: fitted and moved inside it.
    xrandr --output screen --mode 800x600 >/dev/null 2>&1
    settle
    check "$wm: screen shrunk to 800 x 600: inside" inside
    check "$wm: screen shrunk to 800 x 600: table-shaped" shaped
    xrandr --output screen --mode "${screenW}x$screenH" >/dev/null 2>&1
    settle
}

# The finer cases, under openbox, which follows the aspect hint's sizes.
openbox_cases() {
    settle
    check "the window manager sees the 760:650 aspect hint" hint_in_place
    check "starts at 760x650" size_is 760 650

    # Resizing from outside, as a user's drag ends: the window manager applies
    # the hint, the program corrects whatever size results.
    local size rw rh
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

    # Maximising from several sizes: the largest fitting window, restored,
    # and centred with the frame the restored window has.
    local start sw sh
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

    # Window events that change no size: moves and focus changes. Each
    # reaches setWindowAspectHint, which must find the hint in place and send
    # nothing. xprop -spy prints the hint once, then again on every write; a
    # mark that the script writes last, once the game has answered behind all
    # the events, ends what is counted.
    xprop -id "$id" -spy WM_NORMAL_HINTS ZARN_TEST_MARK >"$work/spy.log" 2>&1 &
    spy=$!
    await 10 grep -q WM_NORMAL_HINTS "$work/spy.log"
    local pos mx my
    for pos in "120 80" "160 90" "200 100"; do
        read -r mx my <<<"$pos"
        xdotool windowmove "$id" "$mx" "$my"
    done
    xdotool mousemove 5 $((screenH - 5)) click 1 # the desktop takes the focus
    activate "$id"
    "$sync_tool" "$id" 30 >/dev/null 2>&1
    xprop -id "$id" -f ZARN_TEST_MARK 8s -set ZARN_TEST_MARK "done"
    await 10 grep -q ZARN_TEST_MARK "$work/spy.log"
    end_process "$spy"
    spy=""
    written_once() { [ "$(grep -c WM_NORMAL_HINTS "$work/spy.log")" -eq 1 ]; }
    check "moves and focus changes do not rewrite the hint" written_once
    check "the hint is still in place" hint_in_place
}

# new_screen NAME WIDTH HEIGHT: an Xvfb of its own as DISPLAY, its pid in server.
server=""
new_screen() {
    new_xvfb "$1" "$2x$3x24" || die "no Xvfb for $1"
    screenW=$2 screenH=$3
    server=${1}_pid
    server=${!server}
    local display=${1}_display
    export DISPLAY=${!display}
}
# add_mode WIDTH HEIGHT: a mode of that size for the screen to switch to.
add_mode() {
    xrandr --newmode "$1x$2" 0 "$1" 0 0 0 "$2" 0 0 0 >/dev/null 2>&1
    xrandr --addmode screen "$1x$2" >/dev/null 2>&1
}
# start_game WHAT: the game, its window in id.
start_game() {
    SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$bin" >"$work/zarn.log" 2>&1 &
    app=$!
    id=$(game_window 30 "$app") || {
        cat "$work/zarn.log"
        die "$1: the window never appeared"
    }
}
# close_game WHAT: the game still runs, and ends with status 0 when the
# window manager asks its window to close.
alive() { kill -0 "$app" 2>/dev/null; }
exited_cleanly() { [ "$status" = 0 ]; }
close_game() {
    check "$1: the program survived all of it" alive
    wmctrl -i -c "$id"
    await_exit "$app" 30 && app=""
    check "$1: closing the window ends the program with status 0" exited_cleanly
    [ "$failures" -eq 0 ] || {
        echo "--- program log, $1"
        cat "$work/zarn.log"
    }
    end_process "$app"
    app=""
}
# The manager goes with its server (a session bus ends with its manager).
end_screen() {
    end_process "$server"
    await 10 _ended "$window_manager" || end_process "$window_manager"
}

manager_cases() {
    new_screen "$wm" 1366 768
    # A smaller mode for the screen to shrink to.
    add_mode 800 600
    start_window_manager "$wm" || die "no $wm"
    start_game "$wm"
    if [ "$wm" != i3 ]; then
        settle
        minimise_round_trips "$wm: at the start"
    fi
    case $wm in
    i3) tiling_cases ;;
    openbox)
        openbox_cases
        common_cases
        ;;
    *) common_cases ;;
    esac
    close_game "$wm"
    end_screen
}

# Two monitors on one X screen, as RandR 1.5 presents a split wide screen or
# a dock: 1366 x 768 at the left, the output's own, and 1920 x 1080 beside
# it; SDL sees one display, the window manager two. Maximised on the large
# one, the window is fitted to it; resized on the small one, to that.
monitors_cases() {
    local small="0 0 1366 768" large="1366 0 1920 1080"
    new_screen monitors 3286 1080
    xrandr --setmonitor small 1366/361x768/203+0+0 screen >/dev/null
    xrandr --setmonitor large 1920/508x1080/286+1366+0 none >/dev/null
    start_window_manager openbox || die "no openbox"
    start_game "two monitors"
    settle
    xdotool windowmove "$id" 1500 100
    settle
    # shellcheck disable=SC2086  # the areas' four numbers
    {
        check "two monitors: moved onto the large one (precondition)" inside_area $large
        wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
        settle
        check "two monitors: maximised on the large one: inside it" inside_area $large
        check "two monitors: maximised on the large one: table-shaped" shaped
        check "two monitors: maximised on the large one: as large as fits in it" fills_height 1080
        check "two monitors: maximised on the large one: centred on it" centred_across 1366 1920

        xdotool windowsize "$id" 1000 855
        settle
        xdotool windowmove "$id" 100 50
        settle
        xdotool windowsize "$id" 990 855
        settle
        check "two monitors: 1000 x 855 moved onto the small one and resized there: inside it" inside_area $small
        check "two monitors: 1000 x 855 moved onto the small one and resized there: table-shaped" shaped
    }
    close_game "two monitors"
    end_screen
}

# A 3840 x 2160 screen: the start size at a desktop scale of 2 (Xft.dpi 192,
# as the desktops write it for such a screen) and of 1; then the screen
# switched to 1920 x 1080 under a window maximised and put in full screen:
# F11 back fits the window into the smaller screen.
large_screen_cases() {
    new_screen large 3840 2160
    add_mode 1920 1080
    start_window_manager openbox || die "no openbox"
    local dpi
    for dpi in 192 96; do
        echo "Xft.dpi: $dpi" | xrdb -nocpp -merge
        start_game "Xft.dpi $dpi"
        settle
        if [ $dpi = 192 ]; then
            check "3840 x 2160, Xft.dpi 192: starts at 1520 x 1300" size_is 1520 1300
            close_game "3840 x 2160, Xft.dpi 192"
        else
            check "3840 x 2160, Xft.dpi 96: starts at 760 x 650" size_is 760 650
        fi
    done

    wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
    settle
    activate "$id"
    xdotool key F11
    settle
    check "3840 x 2160, maximised, F11: the whole screen (precondition)" fullscreen
    xrandr --output screen --mode 1920x1080 >/dev/null 2>&1
    screenW=1920 screenH=1080
    settle
    xdotool key F11
    settle
    check "switched to 1920 x 1080 in full screen, F11: not full screen" not_fullscreen
    check "switched to 1920 x 1080 in full screen, F11: inside the work area" inside
    check "switched to 1920 x 1080 in full screen, F11: table-shaped" shaped
    close_game "3840 x 2160"
    end_screen
}

for wm in "${selected[@]}"; do
    case $wm in
    openbox | xfwm4 | metacity | marco | icewm | fluxbox | jwm | i3) manager_cases ;;
    monitors)
        wm=openbox
        monitors_cases
        ;;
    4k)
        wm=openbox
        large_screen_cases
        ;;
    *) die "no such window manager or screen: $wm" ;;
    esac
done

summary
