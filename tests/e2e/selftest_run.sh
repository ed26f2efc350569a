#!/usr/bin/env bash
# The self-test as a user runs it: "--testmode --log FILE" on a real X server
# and on SDL's offscreen driver; both pass with exit 0 and leave exactly the
# one line "Zarn Test mode: passed" in the file.
set -u
zarn=$1
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"

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

start_xvfb || die "no Xvfb"
check_run x11 DISPLAY="$DISPLAY" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
check_run offscreen -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

finish
