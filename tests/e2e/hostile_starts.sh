#!/usr/bin/env bash
# Odd command lines and environments, as cases: every start ends with its
# documented status and message, never with a crash, a hang or a partial
# file. The self-test runs wherever SDL can draw, a screen or not; the game
# itself ends with status 1 and says why when it has no screen to show its
# window on.
set -u
zarn=$(realpath "$1")
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
# shellcheck source=lib/starts.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/starts.bash"
game=""
on_exit() { end_process "$game"; }

selftest=(env -u DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$zarn" --testmode)

# --- The command line -------------------------------------------------------
start 120 "${selftest[@]}" --Version -x --log
expect "unknown options and --log without a value" 0 'Test mode: passed'
files_are "unknown options" ""

start 120 "${selftest[@]}" --log ""
expect "empty log path" 0 'Test mode: passed'
files_are "empty log path" ""

start 120 "${selftest[@]}" "$(head -c 100000 /dev/zero | tr '\0' x)"
expect "an argument of 100000 bytes" 0 'Test mode: passed'

start 120 "${selftest[@]}" $'\xff\xfe--log' --log $'\xc3(\xff.log'
expect "arguments that are not UTF-8" 0 'Test mode: passed'
holds_verdict "$dir/"$'\xc3(\xff.log' || fail "non-UTF-8 log path: not written"

start 120 "${selftest[@]}" --log "$(printf 'd%.0s' $(seq 5000))/x.log"
expect "a log path longer than the system allows" 1 'Test mode: passed'
files_are "long log path" ""

# --- Logs that cannot be written: status 1, nothing partial, nothing lost ---
start 120 "${selftest[@]}" --log .
expect "log path is a directory" 1 'Test mode: passed'
[ -d "$dir" ] || fail "log path is a directory: the directory is gone"

mkfifo "$work/fifo"
start 60 "${selftest[@]}" --log "$work/fifo"
expect "log path is a FIFO nobody reads" 1 'Test mode: passed'
[ -p "$work/fifo" ] || fail "FIFO: it is no longer a FIFO"

start 120 "${selftest[@]}" --log /dev/full
expect "log on a full device" 1 'Test mode: passed'

# A read-only file system of our own where mounting is allowed, else any
# read-only mount there is.
readonly_dir=""
mkdir -p "$work/ro"
if mount -t tmpfs -o ro,size=64k zarn-ro "$work/ro" 2>/dev/null; then
    readonly_dir=$work/ro
else
    readonly_dir=$(findmnt -rn -o TARGET,OPTIONS | awk '$2 ~ /^ro(,|$)/ {print $1; exit}')
fi
if [ -n "$readonly_dir" ]; then
    start 120 "${selftest[@]}" --log "$readonly_dir/zarn.log"
    expect "log on a read-only file system ($readonly_dir)" 1 'Test mode: passed'
    [ -e "$readonly_dir/zarn.log" ] && fail "read-only file system: a file appeared"
    mountpoint -q "$work/ro" && umount "$work/ro"
else
    echo "note - no read-only file system to write to here; case left out"
fi

# A write cut short through a symbolic link: the link and its target's old
# content stay, and no scratch file is left beside it.
mkdir -p "$work/linked"
echo "older content" >"$work/linked/target"
ln -s target "$work/linked/link"
start 120 bash -c 'trap "" XFSZ; ulimit -f 0; exec "$@"' - "${selftest[@]}" --log "$work/linked/link"
expect "log through a symbolic link on a file that cannot grow" 1 'Test mode: passed'
[ -L "$work/linked/link" ] || fail "symbolic link: the link is gone"
[ "$(cat "$work/linked/target")" = "older content" ] || fail "symbolic link: the target lost its content"
# shellcheck disable=SC2012  # names the test made itself
[ "$(ls -A "$work/linked" | tr '\n' ' ')" = "link target " ] || fail "symbolic link: left $(ls -A "$work/linked")"

# --- Displays -----------------------------------------------------------------
game_env=(-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy)

start 30 env -u DISPLAY "${game_env[@]}" "$zarn"
expect "the game without any display" 1 'Window: no display to show the game on'

# A display number that nothing listens on.
nowhere=:$((1000 + RANDOM % 1000))
while [ -e "/tmp/.X11-unix/X${nowhere#:}" ]; do nowhere=:$((${nowhere#:} + 1)); done
start 30 env "${game_env[@]}" DISPLAY="$nowhere" "$zarn"
expect "the game on a display that is not there" 1 'Window: no display to show the game on'

# A server that admits only holders of a cookie the game does not have.
xauth -f "$work/cookies" add :0 MIT-MAGIC-COOKIE-1 "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" 2>/dev/null
new_xvfb locked 640x480x24 -auth "$work/cookies" || die "no Xvfb with access control"
# shellcheck disable=SC2154  # new_xvfb sets it
start 30 env "${game_env[@]}" DISPLAY="$locked_display" XAUTHORITY=/dev/null "$zarn"
expect "the game on a display that refuses it" 1 'Window: no display to show the game on'

new_xvfb stopped 640x480x24 || die "no Xvfb to stop"
# shellcheck disable=SC2154  # new_xvfb sets it
kill -STOP "$stopped_pid"
# shellcheck disable=SC2154  # new_xvfb sets it
start 30 env "${game_env[@]}" DISPLAY="$stopped_display" "$zarn"
expect "the game on a display that does not answer" 1 'Window: the display .* does not answer'
start 120 env "${game_env[@]}" DISPLAY="$stopped_display" "$zarn" --testmode
expect "the self-test on a display that does not answer" 0 'Test mode: passed'
kill -CONT "$stopped_pid"

# Descriptors 0 to 2 and one more: enough for the loader, which opens one
# library at a time, not for a display connection on top of what SDL needs.
# Whatever else the test runner left open is closed first.
# shellcheck disable=SC2016  # expanded by the shell that runs it
few_descriptors='for fd in /proc/$$/fd/*; do n=${fd##*/}; [ "$n" -gt 2 ] && eval "exec $n>&-"; done
ulimit -n 4; exec "$@"'
start_xvfb 1024x768x24 || die "no Xvfb"
start 30 env "${game_env[@]}" bash -c "$few_descriptors" - "$zarn"
expect "the game with too few file descriptors for a display" 1 'Window: no display to show the game on'
start 120 env "${game_env[@]}" bash -c "$few_descriptors" - "$zarn" --testmode
expect "the self-test with too few file descriptors for a display" 0 'Test mode: passed'

# --- The game starts and plays on: it shows its window and ends normally ---
# play NAME SCREEN-DISPLAY COMMAND...: the window comes up on the screen,
# inside it, and SIGTERM ends the game with status 0.
play() {
    local name=$1 on=$2 before=$failures
    shift 2
    DISPLAY=$on "$@" &
    game=$!
    local id
    id=$(DISPLAY=$on game_window) || { fail "$name: no window"; end_process "$game"; game=""; return; }
    local x y w h sw sh
    DISPLAY=$on window_geometry -id "$id"
    read -r sw sh < <(DISPLAY=$on xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1], d[2]}')
    { [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$sw" ] && [ $((y + h)) -le "$sh" ]; } ||
        fail "$name: window ${w}x$h+$x+$y is not inside the ${sw}x$sh screen"
    kill -TERM "$game"
    await_exit "$game" 30 || fail "$name: SIGTERM did not end the game"
    end_process "$game"
    game=""
    [ "$status" = 0 ] || fail "$name: exit ${status:-(none)} after SIGTERM"
    [ "$failures" -eq "$before" ] && ok "$name (window ${w}x$h+$x+$y)"
}

play "no audio device" "$DISPLAY" env "${game_env[@]}" SDL_AUDIODRIVER=no-such-driver "$zarn" 2>"$work/noaudio.err"
grep -q 'Audio unavailable: ' "$work/noaudio.err" || fail "no audio device: not said on the log"

# With standard error closed, the first log line must not land in whatever
# the next opened file is (the X connection).
play "standard streams closed" "$DISPLAY" bash -c 'exec "$@" <&- >&- 2>&-' - \
    env "${game_env[@]}" SDL_AUDIODRIVER=no-such-driver "$zarn"

new_xvfb tiny 320x240x24 || die "no tiny Xvfb"
# shellcheck disable=SC2154  # new_xvfb sets it
play "a tiny screen" "$tiny_display" env "${game_env[@]}" "$zarn"

new_xvfb huge 7680x4320x24 || die "no huge Xvfb"
# shellcheck disable=SC2154  # new_xvfb sets it
play "a huge screen" "$huge_display" env "${game_env[@]}" "$zarn"

finish "($cases starts and 4 games)"
