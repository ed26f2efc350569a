#!/usr/bin/env bash
# The command line as cases: options read left to right, "--version" before
# anything starts, "--log" taking whatever follows, unknown arguments ignored,
# and a log that cannot be written failing the run without leaving a file.
set -u
zarn=$1
# No X server here: only the scratch directory and the failure count.
# shellcheck source=lib/checks.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/checks.bash"
version='0.0.0-9-g69fa6f5'
line='Zarn Test mode: passed'

# Runs the binary in a fresh directory of its own; sets rc, out, err, dir.
run() {
    dir="$work/case$((++cases))"
    mkdir -p "$dir"
    (cd "$dir" && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 120 "$zarn" "$@" \
        >"$dir.out" 2>"$dir.err")
    rc=$?
    out=$(cat "$dir.out")
    err=$(cat "$dir.err")
}
cases=0

expect_rc() { [ "$rc" -eq "$1" ] || fail "case $cases ($2): exit $rc, expected $1"; }
expect_log() { printf '%s\n' "$line" | cmp -s - "$1" || fail "case $cases: $1 does not hold the one line"; }
expect_files() {  # the files the run left in its directory, sorted
    local got
    got=$(cd "$dir" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$got" = "$1" ] || fail "case $cases: files '$got', expected '$1'"
}

# "--version" answers before SDL starts: a video driver that does not exist
# would otherwise end the run with status 1.
dir="$work/version"; mkdir -p "$dir"
(cd "$dir" && SDL_VIDEODRIVER=no-such-driver "$zarn" --testmode --log v.log --version >"$dir.out" 2>"$dir.err")
rc=$?
[ "$rc" -eq 0 ] || fail "--version: exit $rc"
printf '%s\n' "$version" | cmp -s - "$dir.out" || fail "--version printed '$(cat "$dir.out")'"
[ -s "$dir.err" ] && fail "--version logged: $(cat "$dir.err")"
[ -e "$dir/v.log" ] && fail "--version still wrote the log"

run --testmode --log first.log --log
expect_rc 0 "--log last"
expect_log "$dir/first.log"
expect_files "./first.log "

run --testmode --log --version
expect_rc 0 "--log --version"
[ -z "$out" ] || fail "--log --version printed '$out'"
expect_log "$dir/--version"
expect_files "./--version "

run --testmode --log a.log --log b.log
expect_rc 0 "two --log"
expect_log "$dir/b.log"
expect_files "./b.log "

run --testmode --log missing/dir/x.log
expect_rc 1 "missing directory"
[[ "$err" == *"Test mode: passed"* ]] || fail "missing directory: the verdict was not logged: $err"
expect_files ""

run --testmode --log ""
expect_rc 0 "empty log path"
expect_files ""

run --Version --bogus --testmode -- extra --log c.log
expect_rc 0 "unknown arguments"
[ -z "$out" ] || fail "unknown arguments printed '$out'"
expect_log "$dir/c.log"
expect_files "./c.log "

# A log that cannot be written completely: files may not grow at all here.
dir="$work/full"; mkdir -p "$dir"
# The log messages go through a pipe, which the limit does not touch.
(cd "$dir" && trap '' XFSZ && ulimit -f 0 && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
    timeout 120 "$zarn" --testmode --log d.log 2>&1 >/dev/null) | cat >"$work/full.err"
rc=${PIPESTATUS[0]}
[ "$rc" -eq 1 ] || fail "unwritable log: exit $rc"
[ -e "$dir/d.log" ] && fail "unwritable log: a partial file is left: '$(cat "$dir/d.log")'"
grep -q 'Test mode: passed' "$work/full.err" || fail "unwritable log: the verdict was not logged"

finish "($cases cases and the version and unwritable-log runs)"
