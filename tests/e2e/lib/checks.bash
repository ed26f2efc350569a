# shellcheck shell=bash
# The checks of a test script: a scratch directory, counted passes and
# failures, and the processes it starts. Sourced by the end-to-end scripts
# (directly, or through xserver.bash, as the benchmark scripts do) and by
# tests/package/install_check.sh; never run itself (it lies outside the
# tests/e2e/*.sh glob that makes a script a test).
# On exit the script's own on_exit runs first, if it defines one (for the
# processes it started), then the steps in exit_steps (xserver.bash ends its
# servers there), and the scratch directory goes. A script's on_failure, if
# defined, runs before die exits.

work=$(mktemp -d)  # the script's scratch directory, removed on exit
passed=0
failures=0
status=""
exit_steps=()

# Ends a process the script started, if it still runs, and waits for it.
end_process() {
    [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
    return 0
}

# await SECONDS COMMAND...: runs the command every 0.2 s until it succeeds,
# for at most SECONDS of wall time however long each run takes.
await() {
    local end=$((${EPOCHREALTIME//[!0-9]/} / 1000 + $1 * 1000))
    shift
    while :; do
        "$@" && return 0
        ((${EPOCHREALTIME//[!0-9]/} / 1000 < end)) || return 1
        sleep 0.2
    done
}

_ended() { ! kill -0 "$1" 2>/dev/null; }

# await_exit PID SECONDS: waits for a started process to end; status is its exit status, empty while it runs on.
# shellcheck disable=SC2034  # status is the caller's
await_exit() {
    status=""
    await "$2" _ended "$1" || return 1
    wait "$1"
    status=$?
    return 0
}

_checks_exit() {
    if declare -F on_exit >/dev/null; then on_exit; fi
    local step
    for step in "${exit_steps[@]}"; do "$step"; done
    rm -rf "$work"
}
trap _checks_exit EXIT

# A passed check, counted in $passed.
ok() {
    echo "ok - $*"
    passed=$((passed + 1))
}

# A failed check, counted in $failures; the script goes on.
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# check NAME COMMAND...: ok NAME when the command succeeds, else fail NAME with what check_detail prints, if defined.
check() {
    local name=$1
    shift
    if "$@"; then
        ok "$name"
    elif declare -F check_detail >/dev/null; then
        fail "$name ($(check_detail))"
    else
        fail "$name"
    fi
}

# A failure after which nothing more can be checked.
die() {
    fail "$*"
    if declare -F on_failure >/dev/null; then on_failure; fi
    exit 1
}

# The end of a script that reports PASS: exit 1 after failed checks, else PASS [TEXT].
# shellcheck disable=SC2120  # TEXT may be left out
finish() {
    [ "$failures" -eq 0 ] || exit 1
    echo "PASS${1:+ $1}"
}

# The end of a script that counts its checks: "SCRIPT: N passed, M failed"; fails after failed checks.
summary() {
    echo "$(basename "$0" .sh): $passed passed, $failures failed"
    [ "$failures" -eq 0 ]
}
