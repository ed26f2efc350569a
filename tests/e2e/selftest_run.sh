#!/usr/bin/env bash
# The self-test as a user runs it: "--testmode --log FILE" on a real X server
# and on SDL's offscreen driver; both pass with exit 0 and leave exactly the
# one line "Zarn Test mode: passed" in the file.
set -u
zarn=$1
work=$(mktemp -d)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Xvfb on the first free display of :81 to :89.
start_xvfb() {
    for d in 81 82 83 84 85 86 87 88 89; do
        [ -e "/tmp/.X$d-lock" ] && continue
        Xvfb ":$d" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$d" >/dev/null 2>&1; then display=":$d"; return 0; fi
            kill -0 "$xvfb" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb" 2>/dev/null
        xvfb=""
    done
    return 1
}

check_run() {  # name, then the environment and command
    local name=$1; shift
    local log="$work/$name.log"
    echo "stale content that must go" >"$log"
    env "$@" timeout 120 "$zarn" --testmode --log "$log" >"$work/$name.out" 2>"$work/$name.err"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "$name: exit $rc"
    printf 'Zarn Test mode: passed\n' | cmp -s - "$log" || fail "$name: log holds '$(cat "$log")'"
    grep -q 'Test mode: passed' "$work/$name.err" || fail "$name: no verdict on the SDL log"
    [ -s "$work/$name.out" ] && fail "$name: wrote to standard output: $(cat "$work/$name.out")"
    echo "$name: exit $rc, log: $(cat "$log")"
}

start_xvfb || { echo "FAIL: no Xvfb"; exit 1; }
check_run x11 DISPLAY="$display" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
check_run offscreen -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
