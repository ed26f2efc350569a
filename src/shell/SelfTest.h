// The self-test: two fixed deals, one per draw mode, whose winning lines are
// replayed and shown; its verdict on the log and in a one-line log file.
#pragma once

#include <string>

// Deals and replays both games, each followed by a frame step, and tells
// the verdict, unless logPath is empty as the whole content of the file
// there, then on the log ("Test mode: passed" or "failed"). 0 when both
// games are won and the file, if any, is written; 1 otherwise.
int runSelfTest(const std::string& logPath);

// Writes text as the whole content of path; true only when every byte landed
// and the file closed cleanly. A failed write leaves no partial text and
// removes nothing but the scratch file it made itself. A path that cannot be
// resolved (a loop of links) is refused with a line on the log.
bool writeDeploymentLog(const char* path, const char* text);
