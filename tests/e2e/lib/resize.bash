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

# resident_after BINARY BUILD [WIDTH HEIGHT]...: starts the game, resizes its window
# to each size in turn and prints its VmRSS in kB once it has drawn the last;
# fails when the game ends or stops answering. Each resize goes to the game
# once it has read the one before (BUILD's e2e_window_sync), and the game
# draws a size in the frame step that reads it, so every size is drawn; the
# answer to one more ping comes from a frame step after the last drawing.
resident_after() {
    local bin=$1 sync=$2/tests/e2e_window_sync pid id rss=""
    shift 2
    SDL_AUDIODRIVER=dummy "$bin" >>"$work/resident-after.log" 2>&1 &
    pid=$!
    if id=$(game_window 30 "$pid") && "$sync" "$id" 60 && "$sync" "$id" 60 "$@" && "$sync" "$id" 60; then
        rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    fi
    end_process "$pid"
    [ -n "$rss" ] && echo "$rss"
}
