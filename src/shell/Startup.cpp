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

Start startUp(bool needsScreen, bool sound, SDL_Point firstSize, bool (*stopped)()) {
    Start end = Start::ready;
    // Whether start-up goes on after a step that succeeded or not; sets end.
    auto goOn = [&end, stopped](bool done) {
        end = stopped && stopped() ? Start::stopped : done ? Start::ready : Start::failed;
        return end == Start::ready;
    };
    if (!goOn(true)) return end;
    reduceAtlasInAdvance();
    SDL_SetHint("SDL_TOUCH_MOUSE_EVENTS", "0");
    SDL_SetHint("SDL_MOUSE_TOUCH_EVENTS", "0");
    prepareWindowSystem();
    const bool answers = displayAnswers(displayPatienceMs);
    // The self-test needs no screen; the game cannot do without one.
    if (!goOn(answers || !needsScreen)) {
        if (end == Start::failed) SDL_Log("Window: the display %s does not answer", SDL_getenv("DISPLAY"));
        return end;
    }
    if (!answers) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
        // Nothing may try that display again: SDL's start of the session
        // bus would, where no bus runs yet, and hang on it.
        unsetenv("DISPLAY");
    }
    if (!goOn(SDL_Init(SDL_INIT_VIDEO) == 0)) return end;
    if (needsScreen && !videoDriverShowsWindows()) {
        SDL_Log("Window: no display to show the game on (video driver %s)", SDL_GetCurrentVideoDriver());
        return Start::failed;
    }
    if (!goOn(TTF_Init() == 0)) return end;
    if (!goOn(createWindow(firstSize))) return end;
    // SDL makes the window anew for a GL renderer: made while the window is
    // still hidden, the window that is shown is the one that stays, with the
    // place and size fitted to it (a window shown first would flash, and
    // come back at the place it was created).
    if (!goOn(createRenderer(window))) return end;
    watchWindowSystem(window);
    setWindowAspectHint();
    fitWindowToField();
    SDL_ShowWindow(window);
    setWindowAspectHint();
    if (!goOn(openFonts())) return end;
    // The victory trail and the scene's layers are drawn at the frame
    // buffer's size.
    onFrameBufferReplaced(dropDrawnFrames);
    const bool graphics = initGraphics();
    if (!goOn(graphics)) {
        if (end == Start::failed) SDL_Log("Graphics: %s", SDL_GetError());
        return end;
    }
    // Never waits for the device; without one the game plays silently and
    // the sound says so on the log.
    if (sound) cardAudio.open();
    setWindowAspectHint();
    return Start::ready;
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
