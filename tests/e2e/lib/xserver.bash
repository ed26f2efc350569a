# shellcheck shell=bash
# Sourced by the end-to-end scripts and bench/startup.sh, never run itself
# (it lies outside the tests/e2e/*.sh glob that makes a script a test).
# Gives the sourcing script:
#   work              a scratch directory, removed on exit
#   start_xvfb [SCREEN]
#                     an Xvfb of its own on a display it picks itself
#                     (-displayfd: no race with other servers starting at
#                     the same time), ready once it names its display;
#                     exports DISPLAY, pid in $xvfb
#   new_xvfb NAME SCREEN [XVFB OPTION...]
#                     one more such server; sets NAME_pid and NAME_display
#   game_window       prints the id of the game's visible window, polling for
#                     up to 10 s; fails without one
#   fail MESSAGE      a failed check, counted in $failures; the script goes on
#   die MESSAGE       a failure after which nothing more can be checked
#   finish [TEXT]     exit 1 after failed checks, else prints PASS [TEXT]
#   end_process PID   ends a process the script started and waits for it
# On exit the script's own on_exit runs first, if it defines one (for the
# processes it started), then the X servers end and the scratch directory
# goes. A script's on_failure, if defined, runs before die exits.

work=$(mktemp -d)
xvfb=""
servers=()
failures=0

end_process() {
    [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    return 0
}

_e2e_exit() {
    if declare -F on_exit >/dev/null; then on_exit; fi
    local pid
    for pid in "${servers[@]}"; do
        kill -CONT "$pid" 2>/dev/null
        end_process "$pid"
    done
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

new_xvfb() {
    local name=$1 screen=$2 number=""
    shift 2
    local file="$work/xvfb-$name"
    # -noreset: without it the server resets whenever its last client leaves,
    # and a client that connects during the reset is dropped.
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

start_xvfb() {
    new_xvfb main "${1:-1024x768x24}" || return 1
    xvfb=$main_pid
    export DISPLAY=$main_display
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
