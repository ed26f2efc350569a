# shellcheck shell=bash
# Sourced by the end-to-end scripts and bench/startup.sh, never run itself
# (it lies outside the tests/e2e/*.sh glob that makes a script a test).
# Gives the sourcing script:
#   work              a scratch directory, removed on exit
#   start_xvfb FIRST LAST [SCREEN]
#                     an Xvfb of its own on the first free display of
#                     :FIRST to :LAST (each script keeps its own range, as
#                     application tests with displays may run beside it),
#                     answered by xdpyinfo; exports DISPLAY, pid in $xvfb
#   game_window       prints the id of the game's visible window, polling for
#                     up to 10 s; fails without one
#   fail MESSAGE      a failed check, counted in $failures; the script goes on
#   die MESSAGE       a failure after which nothing more can be checked
#   finish [TEXT]     exit 1 after failed checks, else prints PASS [TEXT]
#   end_process PID   ends a process the script started and waits for it
# On exit the script's own on_exit runs first, if it defines one (for the
# processes it started), then the X server ends and the scratch directory
# goes. A script's on_failure, if defined, runs before die exits.

work=$(mktemp -d)
xvfb=""
failures=0

end_process() {
    [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    return 0
}

stop_xvfb() {
    end_process "$xvfb"
    xvfb=""
}

_e2e_exit() {
    if declare -F on_exit >/dev/null; then on_exit; fi
    stop_xvfb
    rm -rf "$work"
}
trap _e2e_exit EXIT

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

die() {
    echo "FAIL: $*"
    if declare -F on_failure >/dev/null; then on_failure; fi
    exit 1
}

finish() {
    [ "$failures" -eq 0 ] || exit 1
    echo "PASS${1:+ $1}"
}

start_xvfb() {
    local first=$1 last=$2 screen=${3:-1024x768x24} d
    for ((d = first; d <= last; ++d)); do
        if [ -e "/tmp/.X$d-lock" ] || [ -e "/tmp/.X11-unix/X$d" ]; then continue; fi
        Xvfb ":$d" -screen 0 "$screen" -nolisten tcp >"$work/xvfb.log" 2>&1 &
        xvfb=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$d" >/dev/null 2>&1; then
                export DISPLAY=":$d"
                return 0
            fi
            kill -0 "$xvfb" 2>/dev/null || break
            sleep 0.1
        done
        # Another script took the display first, or the server died.
        stop_xvfb
    done
    echo "no Xvfb came up on :$first to :$last" >&2
    return 1
}

game_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name '^Zarn - Solit' 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}
