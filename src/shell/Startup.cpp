// Program entry: command line, start-up in its fixed order, the self-test or
// the interactive loop, and shut-down in its fixed order.
#include "shell/Startup.h"

#include <SDL_ttf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/Assets.h"
#include "interaction/Actions.h"
#include "presentation/Graphics.h"
#include "presentation/Table.h"
#include "shell/Frame.h"
#include "sound/CardAudio.h"
#include "window/Display.h"
#include "window/Window.h"

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
bool rendererVsync = false;
const char* const zarnVersion = "0.0.0-9-g69fa6f5";

namespace {

TTF_Font* openEmbeddedFont(int points) {
    return TTF_OpenFontRW(SDL_RWFromConstMem(font_ttf, static_cast<int>(font_ttf_size)), 1, points);
}

// Title bar and task switcher show this instead of a generic icon; a game
// without it is still a game, so a failure only goes unnoticed.
void setWindowIcon() {
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(window_icon_bmp, static_cast<int>(window_icon_bmp_size)), 1);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

// Replays the certified winning line of two fixed deals, one per draw mode.
int selfTest() {
    int result = 0;
    for (int drawCount : {1, 3}) {
        game.drawCount = drawCount;
        game.deal(42, 64);
        std::vector<sol::Game::Step> path = game.solution;
        for (const sol::Game::Step& step : path) {
            if (step.source == 0) {
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

// A display that accepts the connection but never answers; how long to wait
// for it before giving up on it.
const unsigned int displayPatienceMs = 5000;

bool createWindow(SDL_Point size) {
    window = SDL_CreateWindow("Zarn - Solitär", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, size.x, size.y,
                              SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) {
        SDL_Log("Window: %s", SDL_GetError());
        return false;
    }
    setWindowIcon();
    return true;
}

bool createRenderer() {
    renderer = SDL_CreateRenderer(window, -1,
                                  SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    SDL_RendererInfo rendererInfo;
    SDL_zero(rendererInfo);
    if (renderer) SDL_GetRendererInfo(renderer, &rendererInfo);
    rendererVsync = (rendererInfo.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    if (!renderer) {
        SDL_Log("%s", SDL_GetError());
        return false;
    }
    SDL_RenderSetLogicalSize(renderer, W, H);
    return true;
}

bool openFonts() {
    font = openEmbeddedFont(16);
    large = openEmbeddedFont(28);
    return font && large;
}

}  // namespace

bool startUp(bool needsScreen, bool sound, SDL_Point firstSize) {
    SDL_SetHint("SDL_TOUCH_MOUSE_EVENTS", "0");
    SDL_SetHint("SDL_MOUSE_TOUCH_EVENTS", "0");
    if (!displayAnswers(displayPatienceMs)) {
        // The self-test needs no screen; the game cannot do without one.
        if (needsScreen) {
            SDL_Log("Window: the display %s does not answer", SDL_getenv("DISPLAY"));
            return false;
        }
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    if (needsScreen && !videoDriverShowsWindows()) {
        SDL_Log("Window: no display to show the game on (video driver %s)", SDL_GetCurrentVideoDriver());
        return false;
    }
    if (TTF_Init() != 0) return false;
    if (!createWindow(firstSize)) return false;
    // SDL makes the window anew for a GL renderer: made while the window is
    // still hidden, the window that is shown is the one that stays, with the
    // place and size fitted to it (a window shown first would flash, and
    // come back at the place it was created).
    if (!createRenderer()) return false;
    setWindowAspectHint();
    fitWindowToField();
    SDL_ShowWindow(window);
    setWindowAspectHint();
    if (!openFonts()) return false;
    if (!initGraphics()) {
        SDL_Log("Graphics: %s", SDL_GetError());
        return false;
    }
    if (sound && !cardAudio.open()) SDL_Log("Audio unavailable: %s", SDL_GetError());
    setWindowAspectHint();
    return true;
}

void shutDown() {
    cardAudio.close();
    freeGraphics();
    TTF_CloseFont(font);
    font = nullptr;
    TTF_CloseFont(large);
    large = nullptr;
    SDL_DestroyRenderer(renderer);
    renderer = nullptr;
    SDL_DestroyWindow(window);
    window = nullptr;
    TTF_Quit();
    SDL_Quit();
}

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

    if (test) {
        result = selfTest();
        const char* message = result != 0 ? "Test mode: failed" : "Test mode: passed";
        SDL_Log("%s", message);
        if (!logPath.empty() && !writeDeploymentLog(logPath.c_str(), (std::string("Zarn ") + message + "\n").c_str()))
            result = 1;
    } else {
        runFrames();
    }

    shutDown();
    return result;
}
