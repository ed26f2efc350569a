# shellcheck shell=bash
# A table of starts: each case runs the binary once in a fresh directory of
# its own, within a time limit, and is judged by its exit status, a line of
# its log and the files it left. Sourced by the end-to-end tables of starts
# (hostile_starts.sh, process_edges.sh) after checks.bash (or xserver.bash,
# which brings it); never run itself.

verdict='Zarn Test mode: passed'
cases=0

# Runs one start in a fresh directory $dir, within a time limit; sets rc and
# err. Usage: start SECONDS COMMAND... (an env invocation; stdin and stdout
# closed or redirected by the caller's COMMAND as it likes).
# shellcheck disable=SC2154  # work is checks.bash's
start() {
    local seconds=$1
    shift
    dir="$work/case$((++cases))"
    mkdir -p "$dir"
    # The log goes through a pipe: a case may forbid files to grow.
    (cd "$dir" && timeout -k 5 "$seconds" "$@" 2>&1 >"$dir.out") | cat >"$dir.err"
    rc=${PIPESTATUS[0]}
    err=$(cat "$dir.err")
}

# expect NAME STATUS [LOG PATTERN]: the status, and a line of the log.
# shellcheck disable=SC2154  # failures is checks.bash's
expect() {
    local name=$1 status=$2 pattern=${3:-} before=$failures
    case $rc in
    124 | 137) fail "$name: still running at the time limit (exit $rc)"; return ;;
    esac
    [ "$rc" -lt 128 ] || { fail "$name: ended by signal $((rc - 128))"; return; }
    [ "$rc" -eq "$status" ] || fail "$name: exit $rc, expected $status; log: $err"
    if [ -n "$pattern" ] && ! grep -Eq "$pattern" <<<"$err"; then
        fail "$name: no log line matching '$pattern'; log: $err"
    fi
    grep -Eqi 'sanitizer|segmentation|core dumped|terminate called' <<<"$err" &&
        fail "$name: crashed: $err"
    [ "$failures" -eq "$before" ] && ok "$name (exit $rc)"
}

files_are() {  # name, then the sorted entries the case left in its directory
    local name=$1 got
    shift
    got=$(cd "$dir" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')
    [ "$got" = "$*" ] || fail "$name: files '$got', expected '$*'"
}

holds_verdict() { printf '%s\n' "$verdict" | cmp -s - "$1"; }
