// The self-test and its one-line log file. A verdict in the file is either
// there whole or not at all, and a failed write leaves whatever was at the
// path as it was.
#include "shell/SelfTest.h"

#include <SDL.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "interaction/TableState.h"
#include "shell/Frame.h"

namespace {

// Replays the certified winning line of two fixed deals, one per draw mode.
int selfTest() {
    int result = 0;
    for (int drawCount : {1, 3}) {
        game.drawCount = drawCount;
        game.deal(42, 64);
        std::vector<sol::Game::Step> path = game.solution;
        for (const sol::Game::Step& step : path) {
            if (sol::isStock(step.source)) {
                game.draw();
            } else if (!game.move(step.source, step.index, step.destination)) {
                result = 1;
                break;
            }
        }
        if (!game.won()) result = 1;
        frame();
    }
    return result;
}

bool writeAll(int fd, const char* text, size_t length) {
    while (length > 0) {
        ssize_t n = write(fd, text, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

// Links followed to the end of a path at most, as Linux does.
const int maxLinks = 40;

// Where writing to path lands: symbolic links followed, also a dangling one,
// whose target the write creates. False, with errno, when the path cannot
// be resolved: links that do not end (a loop, or more than the system
// follows), or a part of the path that cannot be looked up.
bool finalTarget(const std::string& path, std::string& target) {
    target = path;
    for (int links = 0;; ++links) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0) return errno == ENOENT;
        if (!S_ISLNK(info.st_mode)) return true;
        if (links == maxLinks) break;
        char link[PATH_MAX];
        ssize_t n = readlink(target.c_str(), link, sizeof link - 1);
        if (n < 0) return false;
        link[n] = '\0';
        std::string::size_type slash = target.rfind('/');
        if (link[0] == '/' || slash == std::string::npos)
            target = link;
        else
            target = target.substr(0, slash + 1) + link;
    }
    errno = ELOOP;
    return false;
}

std::string directoryOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// FIFOs, terminals and devices are written in place: never replaced, never
// removed. A FIFO without a reader fails at once instead of blocking.
bool writeInPlace(const std::string& path, const char* text, size_t length) {
    int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    bool written = writeAll(fd, text, length);
    return close(fd) == 0 && written;
}

// A writable file in a directory that takes no new files can only be
// overwritten; should that fail, it is left empty rather than cut off.
bool overwriteFile(const std::string& target, const char* text, size_t length) {
    struct stat info;
    if (stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    bool written = writeAll(fd, text, length);
    bool closed = close(fd) == 0;
    if (written && closed) return true;
    // No partial verdict: the file is left empty.
    int emptied = truncate(target.c_str(), 0);
    (void)emptied;
    return false;
}

// A regular file is replaced whole: the text goes to a new file beside it,
// which takes the old one's place only once every byte is there.
bool replaceFile(const std::string& target, const char* text, size_t length) {
    std::string temp = directoryOf(target) + "/.zarn-log-XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) return (errno == EACCES || errno == EPERM) && overwriteFile(target, text, length);
    struct stat old;
    mode_t mode;
    if (stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool written = fchmod(fd, mode) == 0 && writeAll(fd, text, length);
    bool closed = close(fd) == 0;
    if (written && closed && rename(temp.c_str(), target.c_str()) == 0) return true;
    unlink(temp.c_str());
    return false;
}

}  // namespace

bool writeDeploymentLog(const char* path, const char* text) {
    if (!path || !*path) return false;
    const size_t length = std::strlen(text);
    std::string target;
    struct stat info;
    const bool resolved = finalTarget(path, target);
    const bool exists = resolved && stat(target.c_str(), &info) == 0;
    if (!resolved || (!exists && errno != ENOENT)) {
        // Taken for a missing file, the link itself would be replaced.
        SDL_Log("Log file: %s: %s", path, std::strerror(errno));
        return false;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) return false;
        return writeInPlace(target, text, length);
    }
    return replaceFile(target, text, length);
}

int runSelfTest(const std::string& logPath) {
    const int verdict = selfTest();
    const char* message = verdict != 0 ? "Test mode: failed" : "Test mode: passed";
    // The file before the log line: a standard error that cannot be written
    // to must not cost the file.
    const bool fileWritten =
        logPath.empty() || writeDeploymentLog(logPath.c_str(), (std::string("Zarn ") + message + "\n").c_str());
    SDL_Log("%s", message);
    return fileWritten ? verdict : 1;
}
