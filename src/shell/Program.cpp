// Program entry: the standard descriptors, the command line, and the
// self-test or the interactive loop between start-up and shut-down.
#include "shell/Program.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "interaction/Actions.h"
#include "shell/Frame.h"
#include "shell/Loop.h"
#include "shell/SelfTest.h"
#include "shell/Startup.h"
#include "window/Window.h"

namespace {

const char* const zarnVersion = "0.0.0-9-g69fa6f5";

// A descriptor 0, 1 or 2 left closed by whoever started the game would be
// taken by the next file opened (the X connection), and log lines would be
// written into it.
void keepStandardStreamsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) close(opened);
    }
}

}  // namespace

int runZarn(int argc, char** argv) {
    keepStandardStreamsOpen();
    bool test = false;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--testmode") == 0) {
            test = true;
        } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", zarnVersion);
            return 0;
        }
    }

    int result = 0;
    if (!startUp(!test, true)) return 1;
    reset(false);
    startFrames();

    if (test)
        result = runSelfTest(logPath);
    else
        runFrames();
    // The quit SDL reports when the display server ended the connection.
    if (displayConnectionLost()) result = 1;

    shutDown();
    return result;
}
