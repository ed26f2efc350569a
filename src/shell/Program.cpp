// Program entry: the standard descriptors, the command line, and the
// self-test or the interactive loop between start-up and shut-down.
#include "shell/Program.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "interaction/Actions.h"
#include "presentation/Table.h"
#include "shell/Frame.h"
#include "shell/Loop.h"
#include "shell/SelfTest.h"
#include "shell/Signals.h"
#include "shell/Startup.h"
#include "window/Window.h"

namespace {

const char* const zarnVersion = "0.0.0-9-g69fa6f5";

// A descriptor 0, 1 or 2 left closed by whoever started the game would be
// taken by the next file opened (the X connection), and log lines would be
// written into it. False when standard output was closed.
bool keepStandardStreamsOpen() {
    bool outputOpen = true;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (fd == STDOUT_FILENO) outputOpen = false;
        int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) close(opened);
    }
    return outputOpen;
}

// The version on standard output: 0 once it is written whole, else 1 and a
// line on standard error. A closed standard output counts as a failed write,
// though it now leads to /dev/null.
int printVersion(bool outputOpen) {
    errno = EBADF;
    if (outputOpen && std::printf("%s\n", zarnVersion) >= 0 && std::fflush(stdout) == 0) return 0;
    SDL_Log("Version not written: %s", std::strerror(errno));
    return 1;
}

}  // namespace

int runZarn(int argc, char** argv) {
    const bool outputOpen = keepStandardStreamsOpen();
    bool test = false;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--testmode") == 0) {
            test = true;
        } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else if (std::strcmp(argv[i], "--version") == 0) {
            return printVersion(outputOpen);
        }
    }

    // The self-test runs to its verdict, stop signal or not; the game ends
    // on one, during start-up before it draws a frame.
    const Start start = startUp(!test, true, {W, H}, test ? nullptr : stopAsked);
    if (start == Start::failed) return 1;
    int result = 0;
    if (start == Start::ready) {
        reset(false);
        startFrames();
        if (test) {
            result = runSelfTest(logPath);
        } else {
            forwardStops();
            if (!stopAsked()) runFrames();
            stopForwarding();
        }
        // The quit SDL reports when the display server ended the connection.
        if (displayConnectionLost()) result = 1;
    }
    shutDown();
    return result;
}
