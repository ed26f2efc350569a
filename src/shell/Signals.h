// The signals the program answers, set first thing in main: SIGPIPE is
// ignored, so that a standard error nobody reads any more costs a log line
// and not the game.
#pragma once

void catchSignals();
