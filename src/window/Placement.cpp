// Places and sizes asked for until seen, corrected by how far each landed off.
#include "window/Placement.h"

#include <cstdlib>

#include "window/WindowSystem.h"

namespace {

struct Placement {
    bool pending = false;
    bool placed = false;  // a place was asked for
    SDL_Point target{};
    SDL_Point asked{};
    bool sized = false;  // a size was asked for, or is awaited from the window manager
    SDL_Point targetSize{};
    SDL_Point askedSize{};
    bool looked = false;  // seen once since the request: what it shows now is an answer
    int tries = 0;
    Uint32 since = 0;
};
Placement placement;
const int placementTries = 4;
// A size further off than this is the window manager's choice or the
// user's, not its rounding: it is left as it is.
const int sizeSlack = 4;
// A request the window manager ignores is given up; a window the user then
// moves is left where the user put it.
const Uint32 placementPatienceMs = 2000;

// How far a size asked for may be from the one wanted: a manager that
// rounds down needs one unit more.
const int roundingSlack = 2;

// A unit or so apart: a window manager's rounding, not its choice.
bool nearSize(SDL_Point a, SDL_Point b, int slack = sizeSlack) {
    return std::abs(a.x - b.x) <= slack && std::abs(a.y - b.y) <= slack;
}

bool reached(SDL_Point now, SDL_Point size) {
    return (!placement.placed || now == placement.target) && (!placement.sized || size == placement.targetSize);
}

// Asks for the pending place (and size) once more, corrected by where the
// last request landed; done when the window is there. A size far from the
// one awaited is someone else's choice, and the fitting's to answer.
void askAgain(SDL_Window* window) {
    const SDL_Point now = clientPosition(window);
    const SDL_Point size = clientSize(window);
    if (reached(now, size)) {
        placement.pending = false;
        return;
    }
    bool asked = false;
    if (placement.looked) {
        if (placement.sized && size != placement.targetSize && nearSize(size, placement.targetSize)) {
            placement.askedSize.x += placement.targetSize.x - size.x;
            placement.askedSize.y += placement.targetSize.y - size.y;
            if (nearSize(placement.askedSize, placement.targetSize, roundingSlack)) {
                SDL_SetWindowSize(window, placement.askedSize.x, placement.askedSize.y);
                asked = true;
            } else {
                // Corrections beyond a manager's rounding that did not move
                // it (openbox makes the height follow the width, whatever
                // height is asked): the fitting's own rounds answer it.
                placement.sized = false;
            }
        }
        placement.asked.x += placement.target.x - now.x;
        placement.asked.y += placement.target.y - now.y;
    }
    placement.looked = true;
    if (placement.placed) {
        SDL_SetWindowPosition(window, placement.asked.x, placement.asked.y);
        asked = true;
    }
    if (!asked) return;
    ++placement.tries;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) && reached(clientPosition(window), clientSize(window)))
        placement.pending = false;
}

// A new pending placement: to `at` where given, to `size` where given.
void startPlacement(SDL_Window* window, const SDL_Point* at, const SDL_Point* size) {
    placement = Placement{};
    placement.pending = true;
    placement.placed = at != nullptr;
    if (at) placement.target = placement.asked = *at;
    placement.sized = size != nullptr;
    if (size) placement.targetSize = placement.askedSize = *size;
    placement.since = SDL_GetTicks();
    askAgain(window);
}

}  // namespace

void placeWindow(SDL_Window* window, SDL_Point at, const SDL_Point* size) { startPlacement(window, &at, size); }

void awaitSize(SDL_Window* window, SDL_Point size) { startPlacement(window, nullptr, &size); }

void followPlacement(SDL_Window* window) {
    if (!placement.pending) return;
    if (placement.tries >= placementTries || SDL_GetTicks() - placement.since > placementPatienceMs) {
        placement.pending = false;
        return;
    }
    askAgain(window);
}

void dropPlacement() { placement.pending = false; }

bool placementPending() { return placement.pending; }

bool placePending(SDL_Point& target) {
    target = placement.target;
    return placement.pending && placement.placed;
}

bool sizePending(SDL_Window* window, SDL_Point& size) {
    size = placement.targetSize;
    return placement.pending && placement.sized && nearSize(clientSize(window), placement.targetSize);
}

SizeAnswer askForSize(SDL_Window* window, SDL_Point size, SDL_Point now) {
    SDL_Point answer = now;
    for (int ask = 0; ask < 2; ++ask) {
        SDL_SetWindowSize(window, size.x, size.y);
        answer = clientSize(window);
        if (answer != now || nearSize(answer, size)) return {answer, false, answer != size};
    }
    return {answer, true, false};
}
