#!/bin/bash
# The real program at rest under Xvfb (ZARN_IDLE_SECONDS each, 5 s by
# default): a freshly dealt game, which has nothing to do, and a game whose
# clock runs, which draws once a second. Prints the CPU used and how often the
# main thread woke. It fails only on gross regressions: a game that wakes
# while nothing happens (a polling loop wakes hundreds of times in 5 s), or
# that uses 5 % of a core or more, which only a game drawing all the time
# does. bench/rest.sh prints the figures beside an older build's.
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
await_window_pixel "$WID" 300 15 "srgb(192,192,192)" 30 || die "no first frame within 30 s"
# The waste's place, empty on a fresh deal, shows the table until a draw.
waste=$(window_pixel "$WID" 130 100)
[ "$waste" = "srgb(0,128,0)" ] || die "the waste of a fresh deal shows $waste, not the table"

# CPU time of each of the program's threads in nanoseconds, "tid ns" lines,
# from the scheduler's own accounting (clock ticks are too coarse for
# figures below 1 %), and the times the main thread was scheduled in.
threadNanos() {
    local task
    for task in /proc/"$ZPID"/task/*; do
        echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null)"
    done
}
mainRuns() { awk '{ print $3 }' /proc/"$ZPID"/task/"$ZPID"/schedstat; }

# Percent of one core used by the program over the measuring time; sets
# wakeups to the main thread's runs in that time. Counted thread by thread:
# a thread that ends in between (the sound's, when it rests) would take its
# whole time out of a plain sum.
measure() {
    local t0 t1 runs0
    threadNanos >"$work/before"
    runs0=$(mainRuns)
    t0=$(date +%s.%N)
    sleep "$SECONDS_MEASURED"
    threadNanos >"$work/after"
    wakeups=$(($(mainRuns) - runs0))
    t1=$(date +%s.%N)
    awk -v t0="$t0" -v t1="$t1" 'NR == FNR { was[$1] = $2; next } $2 != "" { spent += $2 - was[$1] }
        END { printf "%.2f", spent / 1e9 / (t1 - t0) * 100 }' "$work/before" "$work/after"
}

measure >"$work/dealt"
dealt=$(cat "$work/dealt") dealtWakeups=$wakeups
echo "idle, freshly dealt: $dealt % of one core, $dealtWakeups wake-ups over $SECONDS_MEASURED s"

xdotool mousemove --window "$WID" 64 100 click 1  # one draw starts the clock
# Measured only once the draw shows: the white edge of a card on the waste.
await_window_pixel "$WID" 130 100 "srgb(255,255,255)" 30 ||
    die "the click on the stock drew no card: the waste shows $(window_pixel "$WID" 130 100)"
measure >"$work/running"
running=$(cat "$work/running") runningWakeups=$wakeups
echo "idle, clock running: $running % of one core, $runningWakeups wake-ups over $SECONDS_MEASURED s"

kill -0 "$ZPID" 2>/dev/null || die "the program ended"
# At rest the main thread sleeps until something happens: with nothing on
# the table but the odd stray wake-up, with the clock once or twice a second.
[ "$dealtWakeups" -le $((5 * SECONDS_MEASURED)) ] ||
    fail "the dealt game woke $dealtWakeups times in $SECONDS_MEASURED s with nothing to do"
[ "$runningWakeups" -le $((40 * SECONDS_MEASURED)) ] ||
    fail "the running clock woke the game $runningWakeups times in $SECONDS_MEASURED s"
awk -v d="$dealt" -v r="$running" -v l="$LIMIT" 'BEGIN { exit !(d < l && r < l) }' ||
    fail "the idle program uses $LIMIT % or more: it draws while nothing changes"
finish
