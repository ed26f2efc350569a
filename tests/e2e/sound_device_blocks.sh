#!/usr/bin/env bash
# A sound device whose open never returns: SDL's disk driver writing into a
# FIFO that nobody reads, whose open waits for a reader. Once with nobody
# reading from the start, once with a reader that leaves as the device
# rests, so that the next sound's open hangs in a running game. Each time
# the game draws, a click on the stock draws a card, the help button still
# answers after it, the window manager's close ends the game with status 0,
# and the log says once that there is no sound.
# Usage: bash sound_device_blocks.sh <zarn binary> <build dir>
set -u
zarn=$1
# shellcheck source=lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/lib/xserver.bash"
game=""
reader=""
on_exit() {
    end_process "$game"
    end_process "$reader"
}

start_xvfb 1024x768x24 || die "no Xvfb"
start_window_manager

id=""
drawn() { window_pixel_is "$id" 300 15 "srgb(192,192,192)"; }
card_on_waste() {
    local got
    drawn && got=$(window_pixel "$id" 166 100) && [ -n "$got" ] && [ "$got" != "srgb(0,128,0)" ]
}
help_shown() { window_pixel_is "$id" 600 236 "srgb(0,0,128)"; }
reader_gone() { ! kill -0 "$reader" 2>/dev/null; }

# play NAME FIFO: the game on the FIFO, through the checks above.
play() {
    local name=$1 fifo=$2
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$fifo" "$zarn" >"$work/$name.log" 2>&1 &
    game=$!
    id=$(game_window 30 "$game") || { fail "$name: no window"; return 1; }
    check "$name: the window draws" await 30 drawn
    if [ -n "$reader" ]; then
        # The device opened for the reader; after its rest the reader sees
        # the end of the file and leaves.
        check "$name: the device rests" await 60 reader_gone
        reader=""
    fi
    move_pointer "$id" 64 100
    xdotool click 1
    check "$name: a click on the stock draws a card" await 30 card_on_waste
    move_pointer "$id" 200 15
    xdotool click 1
    check "$name: the game answers after the sound" await 30 help_shown
    wmctrl -i -c "$id"
    if await_exit "$game" 60; then
        game=""
        check "$name: the window's close ends the game with status 0" [ "$status" = 0 ]
    else
        fail "$name: the window's close did not end the game"
        end_process "$game"
        game=""
    fi
    check "$name: says once that there is no sound" [ "$(grep -c 'Audio unavailable: ' "$work/$name.log")" = 1 ]
}

mkfifo "$work/unread"
play "nobody reads from the start" "$work/unread"

mkfifo "$work/left"
cat "$work/left" >/dev/null &
reader=$!
play "the reader leaves as the device rests" "$work/left"

summary || { for log in "$work"/*.log; do echo "--- $log" && cat "$log"; done; exit 1; }
