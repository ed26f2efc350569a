// The signals the program answers, set first thing in main and owned here:
// SIGPIPE is ignored, so that a standard error nobody reads any more costs a
// log line and not the game; SIGINT, SIGTERM and SIGHUP ask the game to stop.
// A stop sets a flag that start-up looks at after every step; once the game
// runs, a thread of this file also puts it on SDL's event queue as a quit
// event, which wakes the loop however long it rests.
#pragma once

// SIGPIPE ignored; the stop signals caught (but one that whoever started the
// game left ignored, as nohup does SIGHUP) and not blocked, so that one
// already pending arrives at once.
void catchSignals();
// A stop signal has come.
bool stopAsked();
// From now until stopForwarding, a stop signal is a quit event too. SDL's
// events must be up all that time.
void forwardStops();
void stopForwarding();
