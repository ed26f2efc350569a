// Whether the game can show a window at all: the X display that SDL would
// open, and the video driver that SDL settled on.
#pragma once

// False when SDL would open an X display that accepts the connection but
// does not answer within timeoutMs: opening it would hang start-up for good.
// True in every other case, also when there is no X display to try.
bool displayAnswers(unsigned int timeoutMs);

// False when SDL's video driver draws nowhere visible (it falls back to its
// offscreen driver when no display can be opened). Needs SDL video started.
bool videoDriverShowsWindows();
