# shellcheck shell=bash
# The game's resident memory after its window has had many sizes, against the
# same game after one resize: table_sizes makes the sizes, resident_after
# walks a game through them. Sourced by tests/e2e/resize_memory.sh and
# bench/resize_memory.sh, never run itself; needs xserver.bash sourced first
# and $DISPLAY on a screen that holds the largest size.

# table_sizes COUNT FIRST STEP: COUNT client sizes of the table's shape, a
# width and a height a line each, heights FIRST, FIRST + STEP and so on, each
# width the height's share of the table rounded. The fitting keeps such a
# size as it is, so every one is a new size for the game, never corrected to
# another.
table_sizes() {
    local i h
    for ((i = 0; i < $1; ++i)); do
        h=$(($2 + i * $3))
        printf '%d\n%d\n' $(((2 * 760 * h + 650) / (2 * 650))) "$h"
    done
}

# resident_after BINARY BUILD [WIDTH HEIGHT]...: starts the game, resizes its
# window to each size in turn and prints, once it has drawn the last, its
# VmRSS in kB and the CPU time it has used in ms; fails when the game ends or
# stops answering. Each resize goes to the game once it has drawn the one
# before (BUILD's e2e_window_sync), so every size is drawn; the walk's last
# ping is answered in the frame step after the last drawing, once the frame
# that drew it has ended.
# shellcheck disable=SC2154  # work is checks.bash's, sourced before
resident_after() {
    local bin=$1 sync=$2/tests/e2e_window_sync pid id rss="" cpu=""
    shift 2
    SDL_AUDIODRIVER=dummy "$bin" >>"$work/resident-after.log" 2>&1 &
    pid=$!
    if id=$(game_window 30 "$pid") && "$sync" "$id" 60 && "$sync" "$id" 60 "$@"; then
        rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
        # User and system time, in clock ticks, after the name in parentheses.
        cpu=$(sed 's/.*) //' "/proc/$pid/stat" | awk -v hz="$(getconf CLK_TCK)" '{print int(($12 + $13) * 1000 / hz)}')
    fi
    end_process "$pid"
    [ -n "$rss" ] && [ -n "$cpu" ] && echo "$rss $cpu"
}
