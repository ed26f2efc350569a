// The program as a whole: what main runs.
#pragma once

// Standard descriptors made safe, the command line read, then start-up, the
// self-test or the loop, and shut-down; the exit status.
int runZarn(int argc, char** argv);
