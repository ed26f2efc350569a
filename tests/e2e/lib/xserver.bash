# shellcheck shell=bash
# X servers of a test script's own and the game's window on them: finding it,
# its geometry, playing gestures and the menu on it, and reading its pixels. Sourced by the
# end-to-end scripts, tests/package/install_check.sh and the benchmark
# scripts, never run itself (it lies outside the tests/e2e/*.sh glob that
# makes a script a test). Brings checks.bash with it. On exit the window
# manager ends, then the X servers.

# shellcheck source=checks.bash
source "$(dirname "${BASH_SOURCE[0]}")/checks.bash"

xvfb=""  # the pid of start_xvfb's server
servers=()
x_clients=()

_xserver_exit() {
    local pid
    for pid in "${x_clients[@]}"; do end_process "$pid"; done
    for pid in "${servers[@]}"; do
        kill -CONT "$pid" 2>/dev/null
        end_process "$pid"
    done
}
exit_steps+=(_xserver_exit)

# new_xvfb NAME SCREEN [XVFB OPTION...]: one more Xvfb of our own; sets NAME_pid and NAME_display.
new_xvfb() {
    local name=$1 screen=$2 number=""
    shift 2
    local file="$work/xvfb-$name"
    # -displayfd: the server picks a free display itself, so servers starting
    # at the same time do not race. -noreset: without it the server resets
    # whenever its last client leaves, and a client that connects during the
    # reset is dropped.
    : >"$file.display"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset "$@" 3>"$file.display" >"$file.log" 2>&1 &
    local pid=$!
    servers+=("$pid")
    printf -v "${name}_pid" '%s' "$pid"
    # The number is written once the server listens, followed by a newline.
    for _ in $(seq 100); do
        # read succeeds only on a whole line.
        if read -r number 2>/dev/null <"$file.display" && [[ $number =~ ^[0-9]+$ ]]; then
            printf -v "${name}_display" '%s' ":$number"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start:" >&2
    cat "$file.log" >&2
    end_process "$pid"
    return 1
}

# start_xvfb [SCREEN]: the script's main Xvfb, exported as DISPLAY, its pid in $xvfb.
# shellcheck disable=SC2034,SC2154,SC2120  # xvfb is the caller's; new_xvfb sets main_*; SCREEN may be left out
start_xvfb() {
    new_xvfb main "${1:-1024x768x24}" || return 1
    xvfb=$main_pid
    export DISPLAY=$main_display
}

# start_window_manager [NAME]: a window manager on $DISPLAY (openbox by
# default; also xfwm4, metacity, marco, icewm, fluxbox, jwm and the tiling
# i3), given up to 10 s to
# take over; its pid in $window_manager. It keeps its settings under $work,
# and ends when its X server does, or with the script.
window_manager=""
# shellcheck disable=SC2120  # NAME may be left out
start_window_manager() {
    local name=${1:-openbox} home="$work/home-${1:-openbox}"
    mkdir -p "$home"
    local command=()
    case $name in
    openbox) command=(openbox --sm-disable) ;;
    # The Xfce and MATE managers read their settings over a session bus.
    xfwm4) command=(dbus-run-session -- xfwm4 --compositor=off) ;;
    marco) command=(dbus-run-session -- marco --no-composite) ;;
    metacity) command=(metacity) ;;
    icewm) command=(icewm) ;;
    fluxbox) command=(fluxbox) ;;
    jwm) command=(jwm) ;;
    i3)
        printf '# i3 config file (v4)\nfont pango:monospace 8\n' >"$home/i3.config"
        command=(i3 -c "$home/i3.config")
        ;;
    *)
        echo "no such window manager: $name" >&2
        return 1
        ;;
    esac
    HOME=$home XDG_CONFIG_HOME=$home/.config "${command[@]}" >"$work/$name.log" 2>&1 &
    window_manager=$!
    x_clients+=("$window_manager")
    await 10 _manager_present || {
        echo "$name did not take over:" >&2
        cat "$work/$name.log" >&2
        return 1
    }
}
_manager_present() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# game_window [SECONDS [PID]]: the game's visible window id within SECONDS (10), failing at once when PID has ended.
# shellcheck disable=SC2120  # both may be left out
game_window() {
    local id
    for _ in $(seq $((${1:-10} * 10))); do
        id=$(xdotool search --onlyvisible --name '^Zarn - Solit' 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        [ -z "${2:-}" ] || kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# window_geometry XWININFO-ARGUMENT...: a window's client area in x, y, w and h; fails without the window.
# shellcheck disable=SC2034  # x, y, w and h are the caller's
window_geometry() {
    local info
    x="" y="" w="" h=""
    info=$(xwininfo "$@" 2>/dev/null) || return 1
    x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    w=$(awk '/  Width:/ {print $NF}' <<<"$info")
    h=$(awk '/  Height:/ {print $NF}' <<<"$info")
}

# move_pointer WINDOW X Y: the pointer to a point of the window.
move_pointer() { xdotool mousemove --window "$1" "$2" "$3"; }

# play_plan WINDOW FILE BUILD: app_play_deal's plan by mouse, each gesture
# once the game has read the one before (BUILD's e2e_window_sync); sets
# gestures to the number played. Fails when the game stops answering.
play_plan() {
    # Lines "click X Y PAUSE" or "drag X1 Y1 X2 Y2 PAUSE"; a PAUSE of 1 waits
    # out the double-click time first. SDL measures that time on its own clock
    # as it takes the events, so a game that lags behind by more than the
    # pause still counts the press as a double-click.
    local window=$1 sync=$3/tests/e2e_window_sync kind a b c d e
    gestures=0
    while read -r kind a b c d e; do
        case $kind in
        click)
            [ "$c" = "1" ] && sleep 0.6
            move_pointer "$window" "$a" "$b"
            xdotool click 1
            ;;
        drag)
            [ "$e" = "1" ] && sleep 0.6
            move_pointer "$window" "$a" "$b"
            xdotool mousedown 1
            move_pointer "$window" "$c" "$d"
            xdotool mouseup 1
            ;;
        *) continue ;;
        esac
        gestures=$((gestures + 1))
        # A game far behind (under valgrind) once read a gesture against the
        # X server's state of later ones and put cards on other piles; in
        # step, each gesture meets the game as it meets a player.
        "$sync" "$window" 60 || return 1
    done <"$2"
}

# window_pixel WINDOW X Y: the colour of one of the window's pixels, "srgb(R,G,B)".
window_pixel() {
    timeout 30 import -window "$1" "$work/window-pixel.png" 2>/dev/null && image_pixel "$work/window-pixel.png" "$2" "$3"
}

# window_pixel_is WINDOW X Y COLOUR: the pixel shows the colour now.
window_pixel_is() { [ "$(window_pixel "$1" "$2" "$3")" = "$4" ]; }

# await_window_pixel WINDOW X Y COLOUR SECONDS: waits until the pixel shows the colour.
await_window_pixel() { await "$5" window_pixel_is "$1" "$2" "$3" "$4"; }

# activate WINDOW: gives the window the focus for the keys that follow; a
# window manager that does not grant it within 10 s leaves it as it was.
activate() { timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true; }

# quit_through_menu WINDOW: "Spiel", then, once the menu shows over the waste's
# place, "Beenden", in a window of 760 x 650.
quit_through_menu() {
    move_pointer "$1" 30 15
    xdotool click 1
    await_window_pixel "$1" 200 100 "srgb(192,192,192)" 60 || return 1
    move_pointer "$1" 30 175
    xdotool click 1
}

# image_pixel FILE X Y: the colour of one pixel of a picture, as "srgb(R,G,B)".
image_pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

# The path of libfaketime, to preload; fails where it is not installed.
faketime_library() { dpkg -L libfaketime 2>/dev/null | grep -m1 'libfaketime\.so\.1$'; }

# start_at_time "YYYY-MM-DD hh:mm:ss" COMMAND...: starts the command in the
# background, its pid in $started, with its calendar clock standing still at
# that instant, UTC, so that the first deal (the start time plus one) does
# not hang on how long the start takes; the monotonic clock, SDL's ticks,
# stays real. Preloaded rather than through the faketime wrapper, so that
# signals reach the command itself.
# shellcheck disable=SC2034  # started is the caller's
start_at_time() {
    local text=$1 library
    shift
    library=$(faketime_library) || { echo "libfaketime is not installed" >&2; return 127; }
    TZ=UTC LD_PRELOAD="$library" FAKETIME="$text" FAKETIME_DONT_FAKE_MONOTONIC=1 "$@" &
    started=$!
}
