// Start-up and shut-down, each in its one fixed order.
#include "shell/Startup.h"

#include <SDL_ttf.h>

#include <cstdlib>

#include "presentation/Graphics.h"
#include "presentation/Scene.h"
#include "sound/CardAudio.h"
#include "window/Display.h"
#include "window/Window.h"
#include "window/WindowSystem.h"

namespace {

// A display that accepts the connection but never answers; how long to wait
// for it before giving up on it.
const unsigned int displayPatienceMs = 5000;

}  // namespace

bool startUp(bool needsScreen, bool sound, SDL_Point firstSize) {
    reduceAtlasInAdvance();
    SDL_SetHint("SDL_TOUCH_MOUSE_EVENTS", "0");
    SDL_SetHint("SDL_MOUSE_TOUCH_EVENTS", "0");
    if (!displayAnswers(displayPatienceMs)) {
        // The self-test needs no screen; the game cannot do without one.
        if (needsScreen) {
            SDL_Log("Window: the display %s does not answer", SDL_getenv("DISPLAY"));
            return false;
        }
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        // Nothing may try that display again: SDL's start of the session
        // bus would, where no bus runs yet, and hang on it.
        unsetenv("DISPLAY");
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
    if (!createRenderer(window)) return false;
    watchWindowSystem(window);
    setWindowAspectHint();
    fitWindowToField();
    SDL_ShowWindow(window);
    setWindowAspectHint();
    if (!openFonts()) return false;
    // The victory trail and the scene's layers are drawn at the frame
    // buffer's size.
    onFrameBufferReplaced(dropDrawnFrames);
    if (!initGraphics()) {
        SDL_Log("Graphics: %s", SDL_GetError());
        return false;
    }
    // Never waits for the device; without one the game plays silently and
    // the sound says so on the log.
    if (sound) cardAudio.open();
    setWindowAspectHint();
    return true;
}

void shutDown() {
    const bool audioClosed = cardAudio.close();
    freeGraphics();
    closeFonts();
    destroyRenderer();
    destroyWindow();
    TTF_Quit();
    // A sound thread stuck in the audio system is left to the end of the
    // process, with the audio system it is in.
    if (audioClosed)
        SDL_Quit();
    else
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
