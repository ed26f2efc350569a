// The victory animation: the 52 cards fly off the foundations in fixed
// 1/60 s steps and leave a trail of imprints, painted once each into a
// target of the frame buffer's kind, over the frame's area.
#include "presentation/Victory.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

#include "interaction/TableState.h"
#include "presentation/Graphics.h"
#include "presentation/Table.h"
#include "presentation/VictoryTesting.h"

std::vector<FlyingCard> flyingCards;
bool winAnimating = false;

namespace {

std::vector<WinStamp> winStamps;  // the imprints, oldest first
Uint32 winStep = 0;               // fixed steps since the launch
Uint32 winLastTick = 0;           // the tick of the last advance
float winRemainder = 0;           // seconds not yet stepped
SDL_Texture* winTrail = nullptr;  // the imprints painted, null until the first
size_t paintedWinStamps = 0;      // imprints painted into winTrail
size_t trailVersion = 0;          // counts changes of winStamps and winTrail

const float stepSeconds = 1.0f / 60.0f;
const float gravityPerStep = 12.666667f;  // 760 units/s^2 over one step
const float floorY = statusBarTop - CH;   // the card's bottom on the status bar
const float minBounce = 220.0f;
const float bounceKeep = 0.78f;
const Uint32 maxElapsed = 250;  // ms taken per call after a stall

}  // namespace

void dropWinTrail() {
    if (winTrail) SDL_DestroyTexture(winTrail);
    winTrail = nullptr;
    paintedWinStamps = 0;
    ++trailVersion;
}

void clearWinAnimation() {
    flyingCards.clear();
    winStamps.clear();
    winAnimating = false;
    winStep = 0;
    winRemainder = 0;
    dropWinTrail();
}

void startWinAnimation(Uint32 now) {
    clearWinAnimation();
    winAnimating = true;
    winLastTick = now;
    // Its own generator, so the deal's sequence stays untouched.
    std::mt19937 random(seed ^ 0x57494Eu);
    flyingCards.reserve(52);
    for (int rank = 13; rank >= 1; --rank) {
        for (int f = 0; f < 4; ++f) {
            const int foundation = sol::firstFoundation + f;
            const sol::Pile& pile = game.state.piles[foundation];
            FlyingCard c;
            // A won table has every rank in place; the guard only keeps a
            // misuse on a partial table from reading past a pile's end.
            c.card = static_cast<size_t>(rank) <= pile.size() ? pile[rank - 1] : sol::Card{f, rank, true};
            c.x = static_cast<float>(px(foundation));
            c.y = static_cast<float>(py(foundation, 0));
            const Uint32 speedDraw = random();
            const Uint32 directionDraw = random();
            const Uint32 riseDraw = random();
            const float speed = static_cast<float>(speedDraw % 150 + 140);
            const float direction = (directionDraw & 1u) ? 1.0f : -1.0f;
            c.vx = direction * speed;
            c.vy = -static_cast<float>(riseDraw % 170 + 90);
            flyingCards.push_back(c);
        }
    }
}

void advanceWinAnimation(Uint32 now) {
    if (!winAnimating) return;
    Uint32 elapsed = now - winLastTick;
    if (elapsed > maxElapsed) elapsed = maxElapsed;
    winRemainder += static_cast<float>(elapsed) / 1000.0f;
    winLastTick = now;

    const float dt = stepSeconds;
    while (winRemainder >= dt && winAnimating) {
        winRemainder -= dt;
        ++winStep;
        bool remaining = false;
        for (size_t k = 0; k < flyingCards.size(); ++k) {
            FlyingCard& c = flyingCards[k];
            if (winStep < 10u * static_cast<Uint32>(k) + 1u) {
                remaining = true;
                continue;
            }
            if (c.finished) continue;
            c.launched = true;
            c.x += c.vx * dt;
            c.vy += gravityPerStep;
            c.y += c.vy * dt;
            if (c.y > floorY) {
                c.y = floorY;
                c.vy = -std::max(minBounce, std::fabs(c.vy) * bounceKeep);
            }
            if (c.x < -CW || c.x > W) {
                c.finished = true;
                continue;
            }
            remaining = true;
            if (winStep % 2 == 0) {
                winStamps.push_back({c.card, static_cast<int>(std::lround(c.x)), static_cast<int>(std::lround(c.y))});
                ++trailVersion;
            }
        }
        winAnimating = remaining;
    }
}

void renderWinTrail() {
    if (winStamps.empty()) return;
    SDL_Texture* const frame = SDL_GetRenderTarget(renderer);
    if (!winTrail) {
        winTrail = createFrameTarget();
        if (!winTrail) return;
        SDL_SetTextureBlendMode(winTrail, SDL_BLENDMODE_BLEND);
        drawIntoFrame(winTrail);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
        SDL_RenderClear(renderer);
        paintedWinStamps = 0;
    } else {
        drawIntoFrame(winTrail);
    }
    // The clip in whole pixels, rounded inwards: at a fractional scale a bar's
    // edge row is partly bar, and a clip in table units would let the trail
    // onto it.
    SDL_RenderSetScale(renderer, 1.0f, 1.0f);
    const SDL_Rect area = frameArea();
    const int top = (topBarHeight * area.h + H - 1) / H, bottom = statusBarTop * area.h / H;
    const SDL_Rect table = {0, top, area.w, bottom - top};
    SDL_RenderSetClipRect(renderer, &table);
    const SDL_FPoint scale = drawingScale();
    SDL_RenderSetScale(renderer, scale.x, scale.y);
    for (; paintedWinStamps < winStamps.size(); ++paintedWinStamps) {
        const WinStamp& s = winStamps[paintedWinStamps];
        card(s.card, s.x, s.y, false);
    }
    SDL_RenderSetClipRect(renderer, nullptr);
    drawIntoFrame(frame);
    const SDL_Rect whole = {0, 0, W, H};
    SDL_RenderCopy(renderer, winTrail, &area, &whole);
}

size_t winTrailVersion() { return trailVersion; }

WinFlight winFlight() { return {winStep, winLastTick, winRemainder, winTrail, paintedWinStamps}; }

const std::vector<WinStamp>& winImprints() { return winStamps; }

void setWinImprints(std::vector<WinStamp> imprints) {
    winStamps = std::move(imprints);
    ++trailVersion;
}

void resumeWinFlight(Uint32 step, Uint32 lastTick) {
    winAnimating = true;
    winStep = step;
    winLastTick = lastTick;
}

void paintWinTrailInto(SDL_Texture* target) {
    dropWinTrail();
    winTrail = target;
}
