#!/bin/bash
# Idle CPU of the real program under Xvfb (ZARN_IDLE_SECONDS each, 5 s by
# default; the figures we quote are taken over 20 s): a freshly dealt game
# (nothing to draw, only polling between sleeps) and a game whose clock runs
# (one draw per second). Prints both figures. It fails only when the program
# is plainly drawing while idle (5 % of a core or more); the figures
# themselves depend on the machine, where even a bare loop of 8 ms sleeps
# costs about 0.5 % under virtualisation.
#
# Usage: play_idle_cpu.sh <zarn binary> <build dir>
set -u

BIN=$1
SECONDS_MEASURED=${ZARN_IDLE_SECONDS:-5}
LIMIT=5
ZPID=
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
on_exit() { end_process "$ZPID"; }

start_xvfb 1280x1024x24 || die "no Xvfb"

"$BIN" >"$work/zarn.log" 2>&1 &
ZPID=$!
WID=$(game_window) || die "no window"
sleep 2

# CPU time of all the program's threads in nanoseconds, from the scheduler's
# own accounting (clock ticks are too coarse for figures below 1 %).
cpuNanos() { cat /proc/"$ZPID"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%.0f", sum }'; }

# Percent of one core used by the program over the measuring time.
measure() {
    local before after t0 t1
    before=$(cpuNanos)
    t0=$(date +%s.%N)
    sleep "$SECONDS_MEASURED"
    after=$(cpuNanos)
    t1=$(date +%s.%N)
    awk -v a="$before" -v b="$after" -v t0="$t0" -v t1="$t1" \
        'BEGIN { printf "%.2f", (b - a) / 1e9 / (t1 - t0) * 100 }'
}

dealt=$(measure)
echo "idle, freshly dealt: $dealt % of one core over $SECONDS_MEASURED s"

xdotool mousemove --window "$WID" 64 100 click 1  # one draw starts the clock
sleep 1
running=$(measure)
echo "idle, clock running: $running % of one core over $SECONDS_MEASURED s"

kill -0 "$ZPID" 2>/dev/null || die "the program ended"
awk -v d="$dealt" -v r="$running" -v l="$LIMIT" 'BEGIN { exit !(d < l && r < l) }' ||
    die "the idle program uses $LIMIT % or more: it draws while nothing changes"
echo "PASS"
