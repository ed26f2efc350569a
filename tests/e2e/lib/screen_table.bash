# shellcheck shell=bash
# The game's table as a nested compositor shows it on the outer X server,
# whose screen holds the compositor's output at its top left: found in
# screenshots by its grey top bar (find_table.py), points of it in table
# units, clicks on it, and the pointer brought into the output. Sourced by
# the Wayland end-to-end scripts after xserver.bash, never run itself.

_find_table=$(dirname "${BASH_SOURCE[0]}")/find_table.py

# The table's left, top and width on the screen: tx ty tw, and its height th.
tx=0 ty=0 tw=0 th=0
# shellcheck disable=SC2154  # work is checks.bash's
read_table() {
    local found
    timeout 30 import -window root "$work/screen.png" 2>/dev/null || return 1
    found=$(convert "$work/screen.png" ppm:- | python3 "$_find_table") || return 1
    read -r tx ty tw <<<"$found"
    th=$(((tw * 650 + 380) / 760))
}
# Waits until the table shows at the same place and width twice in a row.
settled_table() {
    local last=""
    for _ in $(seq 50); do
        if read_table && [ "$last" = "$tx $ty $tw" ]; then return 0; fi
        last="$tx $ty $tw"
        sleep 0.2
    done
    return 1
}

# A point of the table in table units, on the screen.
screen_x() { echo $((tx + $1 * tw / 760)); }
screen_y() { echo $((ty + $1 * tw / 760)); }
# The colour of a point of the table in the last screenshot.
table_pixel() { image_pixel "$work/screen.png" "$(screen_x "$1")" "$(screen_y "$2")"; }
click_table() { xdotool mousemove "$(screen_x "$1")" "$(screen_y "$2")" click 1; }

# The middle of the waste: the table's green, or a card.
waste_empty() { read_table && [ "$(table_pixel 166 114)" = "srgb(0,128,0)" ]; }
waste_shows_card() { read_table && [ "$(table_pixel 166 114)" != "srgb(0,128,0)" ]; }

# status_bar_shows HEIGHT: the status bar (table rows 622 to 649) lies on
# an output HEIGHT pixels tall and shows its grey at both ends.
status_bar_shows() {
    read_table && [ $((ty + th)) -le "$1" ] &&
        [ "$(table_pixel 5 636)" = "srgb(192,192,192)" ] && [ "$(table_pixel 755 636)" = "srgb(192,192,192)" ]
}

# enter_output WIDTH HEIGHT: the pointer from below the output (the outer
# screen is made taller than it) back into its middle. weston's X11 backend
# follows the pointer by relative motions from where it last entered; a
# pointer that never entered lands its clicks elsewhere (on weston's panel).
enter_output() {
    xdotool mousemove $(($1 / 2)) $(($2 + 16))
    xdotool mousemove $(($1 / 2)) $(($2 / 2))
}
