#!/usr/bin/env bash
# The process's edges as a table of cases, each its command and environment,
# its exit status, the files it leaves and what it says on standard error:
# standard streams whose reader has gone or that are full, the version's
# write, the stop signals from the first instruction on, during start-up and
# once the window shows, a log path that cannot be resolved, a renderer that
# cannot be made, and the heap after a long history undone whole.
#
# Usage: process_edges.sh <zarn binary> <build dir>
set -u
zarn=$(realpath "$1")
sync=$2/tests/e2e_window_sync
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
# shellcheck source=lib/starts.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/starts.bash"
game=""
on_exit() { end_process "$game"; }

[ -x "$sync" ] || die "$sync not built"
start_xvfb 1024x768x24 || die "no Xvfb"

# Signals as a terminal leaves them, whatever the test runner did (a job in
# the background starts with SIGINT ignored): first in every command, since
# env unblocks the signals it sets.
# shellcheck disable=SC2054  # one argument: env's list of signals
plain=(env --default-signal=PIPE,INT,TERM,HUP)
selftest=(env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$zarn" --testmode)
the_game=(env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy "$zarn")
silent_game=(env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY SDL_AUDIODRIVER=no-such-driver "$zarn")

# A standard stream that is a pipe whose reader has gone: a FIFO opened at
# both ends, the stream its writing end, the reading end closed before the
# command starts. Usage: "${unread_stderr[@]}" COMMAND...
mkfifo "$work/unread"
# shellcheck disable=SC2016  # expanded by the shell that runs it
unread_stderr=(bash -c 'exec 3<>"$0" 2>"$0" 3<&-; exec "$@"' "$work/unread")
# shellcheck disable=SC2016  # expanded by the shell that runs it
unread_stdout=(bash -c 'exec 3<>"$0" >"$0" 3<&-; exec "$@"' "$work/unread")

# A signal blocked, sent and so pending as the command starts, from its first
# instruction on. Usage: "${pending[@]}" SIGNAL COMMAND...
# shellcheck disable=SC2016  # Perl's variables, not the shell's
pending=(perl -MPOSIX -e '
    my $name = shift;
    sigprocmask(SIG_BLOCK, POSIX::SigSet->new(&{"POSIX::SIG$name"})) or die "block: $!";
    kill $name, $$;
    exec { $ARGV[0] } @ARGV or die "exec: $!"')

# The start is said on standard error with no line at all.
quiet() { [ -z "$err" ] || fail "$1: said '$err'"; }

# The directory the next case runs in, made ready for it.
next_dir() {
    mkdir -p "$work/case$((cases + 1))"
    echo "$work/case$((cases + 1))"
}

# in_background NAME COMMAND...: the command started in a fresh directory
# $dir, not waited for; its pid in game, its standard error in $dir.err.
in_background() {
    dir="$work/case$((++cases))"
    mkdir -p "$dir"
    (cd "$dir" && exec "$@" >"$dir.out" 2>"$dir.err") &
    game=$!
}

# ended SECONDS: waits for the game in the background; sets rc and err as
# start does (124 when it runs on).
ended() {
    await_exit "$game" "$1" || status=124
    end_process "$game"
    game=""
    rc=$status
    err=$(cat "$dir.err")
}

# once_shown NAME SIGNAL COMMAND...: the game shows its window, the signal
# comes, and the game ends with status 0.
once_shown() {
    local name=$1 signal=$2
    shift 2
    in_background "$@"
    if ! game_window 60 "$game" >/dev/null; then
        ended 1
        fail "$name: no window (exit $rc; log: $err)"
        return
    fi
    kill -"$signal" "$game"
    ended 30
    expect "$name" 0
}

# --- Standard streams whose reader has gone ---------------------------------
dir=$(next_dir)
start 120 "${plain[@]}" "${unread_stderr[@]}" "${selftest[@]}" --log v.log
expect "self-test, standard error a pipe nobody reads" 0
holds_verdict "$dir/v.log" || fail "self-test, standard error unread: no verdict in the file"
files_are "self-test, standard error unread" "v.log "

start 30 "${plain[@]}" "${unread_stderr[@]}" env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$zarn"
expect "the game without a display, standard error a pipe nobody reads" 1
files_are "the game without a display, standard error unread" ""

once_shown "the game without sound, standard error a pipe nobody reads: SIGTERM" TERM \
    "${plain[@]}" "${unread_stderr[@]}" "${silent_game[@]}"

# --- The version's write --------------------------------------------------------
start 30 "${plain[@]}" "$zarn" --version
expect "--version" 0
[ "$(cat "$dir.out")" = "0.0.0-9-g69fa6f5" ] || fail "--version printed '$(cat "$dir.out")'"
quiet "--version"

start 30 "${plain[@]}" bash -c 'exec "$@" >/dev/full' - "$zarn" --version
expect "--version onto a full device" 1 '^INFO: Version not written: No space left on device$'

start 30 "${plain[@]}" bash -c 'exec "$@" >&-' - "$zarn" --version
expect "--version with standard output closed" 1 '^INFO: Version not written: Bad file descriptor$'

start 30 "${plain[@]}" "${unread_stdout[@]}" "$zarn" --version
expect "--version into a pipe nobody reads" 1 '^INFO: Version not written: Broken pipe$'

# --- Stop signals ---------------------------------------------------------------
for signal in INT TERM HUP; do
    start 15 "${plain[@]}" "${pending[@]}" "$signal" "${the_game[@]}"
    expect "SIG$signal pending from the first instruction: the game ends before start-up" 0
    quiet "SIG$signal pending from the first instruction"
done

# The self-test is not ended by one: it runs to its verdict.
dir=$(next_dir)
start 120 "${plain[@]}" "${pending[@]}" TERM "${selftest[@]}" --log v.log
expect "SIGTERM pending from the first instruction of the self-test" 0 '^INFO: Test mode: passed$'
holds_verdict "$dir/v.log" || fail "SIGTERM pending in the self-test: no verdict in the file"

# A display that does not answer holds start-up in its probe, on a thread of
# its own (the only one the game has then), for 5 s; a stop comes meanwhile.
new_xvfb mute 640x480x24 || die "no Xvfb to stop"
# shellcheck disable=SC2154  # new_xvfb sets it
kill -STOP "$mute_pid"
probing() { [ "$(find "/proc/$1/task" -mindepth 1 -maxdepth 1 | wc -l)" -ge 2 ]; }
# shellcheck disable=SC2154  # new_xvfb sets it
in_background "${plain[@]}" DISPLAY="$mute_display" "${the_game[@]}"
if await 4 probing "$game"; then
    kill -TERM "$game"
    ended 30
    expect "SIGTERM during the display probe: the game ends once the probe gives up" 0
    grep -q 'does not answer' <<<"$err" && fail "SIGTERM during the display probe: the failure was said after the stop"
else
    ended 30
    fail "SIGTERM during the display probe: the game never probed (exit $rc; log: $err)"
fi
kill -CONT "$mute_pid"

once_shown "SIGHUP once the window shows" HUP "${plain[@]}" "${the_game[@]}"
once_shown "SIGINT once the window shows" INT "${plain[@]}" "${the_game[@]}"
once_shown "SIGTERM once the window shows" TERM "${plain[@]}" "${the_game[@]}"
# As nohup leaves it: ignored, and one pending is never taken.
once_shown "SIGHUP left ignored by the launcher and pending: the game runs; SIGTERM" TERM \
    "${plain[@]}" env --ignore-signal=HUP "${pending[@]}" HUP "${the_game[@]}"

# --- A log path that cannot be resolved -------------------------------------------
dir=$(next_dir)
ln -s b "$dir/a"
ln -s a "$dir/b"
start 120 "${plain[@]}" "${selftest[@]}" --log a
expect "--log onto a loop of symbolic links" 1 '^INFO: Log file: a: Too many levels of symbolic links$'
grep -q 'Test mode: passed' <<<"$err" || fail "--log onto a loop: the verdict was not logged"
{ [ -L "$dir/a" ] && [ -L "$dir/b" ]; } || fail "--log onto a loop: a link was replaced"
files_are "--log onto a loop" "a b "

dir=$(next_dir)
touch "$dir/file"
ln -s file "$dir/l0"
for k in $(seq 40); do ln -s "l$((k - 1))" "$dir/l$k"; done
start 120 "${plain[@]}" "${selftest[@]}" --log l40
expect "--log onto 41 links in a row" 1 '^INFO: Log file: l40: Too many levels of symbolic links$'
if [ ! -L "$dir/l40" ] || [ -s "$dir/file" ]; then fail "--log onto 41 links: the chain or its end was written"; fi

# --- A renderer that cannot be made ----------------------------------------------
new_xvfb eight 640x480x8 || die "no 8-bit Xvfb"
# shellcheck disable=SC2154  # new_xvfb sets it
start 30 "${plain[@]}" DISPLAY="$eight_display" "${the_game[@]}"
expect "the game on an 8-bit display" 1 '^INFO: Renderer: accelerated: .+; software: .+$'
[ "$(wc -l <"$dir.err")" -eq 1 ] || fail "the game on an 8-bit display: more than one line: $err"

# --- The heap after a long history undone whole --------------------------------------
# 6010 draws (more than the 4096 steps of a long game; the waste then holds
# ten cards), as many undos, and F2; the resident memory after F2 against
# that before and after the draws.
resident() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
green="srgb(0,128,0)"
# Every key sent so far has been taken: the help panel, asked for after
# them, shows (grey beside the first column) and goes again.
taken() {
    xdotool key --window "$1" F1 && await_window_pixel "$1" 115 445 "srgb(192,192,192)" 60 &&
        xdotool key --window "$1" F1 && await_window_pixel "$1" 115 445 "$green" 60
}
undone_history() {
    local name="6010 draws undone whole, then F2: the heap handed back" id before=$failures
    in_background "${plain[@]}" "${the_game[@]}"
    id=$(game_window 60 "$game") || { fail "$name: no window"; ended 1; return; }
    window_geometry -id "$id"
    [ "${w}x$h" = "760x650" ] || { fail "$name: window ${w}x$h, the case needs 760x650"; ended 1; return; }
    if ! "$sync" "$id" 60 || ! taken "$id"; then
        fail "$name: the game does not answer"
        ended 1
        return
    fi
    local atStart afterDraws afterNewGame
    atStart=$(resident "$game")
    { xdotool key --window "$id" --repeat 6010 --delay 0 space && taken "$id"; } || fail "$name: draws not taken"
    window_pixel_is "$id" 166 114 "$green" && fail "$name: no cards on the waste after the draws"
    afterDraws=$(resident "$game")
    { xdotool key --window "$id" --repeat 6010 --delay 0 ctrl+z && taken "$id"; } || fail "$name: undos not taken"
    window_pixel_is "$id" 166 114 "$green" || fail "$name: the waste is not empty after the undos"
    { xdotool key --window "$id" F2 && taken "$id"; } || fail "$name: F2 not taken"
    afterNewGame=$(resident "$game")
    kill -TERM "$game"
    ended 30
    [ "$rc" -eq 0 ] || fail "$name: exit $rc after SIGTERM"
    echo "note - resident KiB: $atStart at the start, $afterDraws after the draws, $afterNewGame after F2"
    [ $((afterNewGame - atStart)) -lt $(((afterDraws - atStart) / 2)) ] ||
        fail "$name: $((afterNewGame - atStart)) KiB above the start after F2, $((afterDraws - atStart)) after the draws"
    [ "$failures" -eq "$before" ] && ok "$name"
}
undone_history

finish "($cases cases)"
