// The floor the game's start-up is measured against: SDL, the same hidden
// then shown window and the same renderer, one green frame presented, then
// idle until asked to quit. bench/startup.sh times it against the game.
// With the argument "draw" the frame also has a rectangle filled and a
// texture copied through a render target, as any drawing program's first
// frame does: on software GL that first compiles its shaders.
#include <SDL.h>

#include <cstring>

int main(int argc, char** argv) {
    const bool draw = argc > 1 && std::strcmp(argv[1], "draw") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_Window* window = SDL_CreateWindow("Zarn - Solitär", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 760, 650,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!window) return 1;
    SDL_ShowWindow(window);
    SDL_Renderer* renderer = SDL_CreateRenderer(
        window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC | SDL_RENDERER_TARGETTEXTURE);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) return 1;
    SDL_RenderSetLogicalSize(renderer, 760, 650);
    SDL_SetRenderDrawColor(renderer, 0, 128, 0, 255);
    SDL_RenderClear(renderer);
    if (draw) {
        SDL_Texture* target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA8888, SDL_TEXTUREACCESS_TARGET, 760, 650);
        if (!target) return 1;
        SDL_SetRenderTarget(renderer, target);
        SDL_RenderClear(renderer);
        const SDL_Rect bar = {0, 0, 760, 30};
        SDL_SetRenderDrawColor(renderer, 192, 192, 192, 255);
        SDL_RenderFillRect(renderer, &bar);
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_RenderCopy(renderer, target, nullptr, nullptr);
    }
    SDL_RenderPresent(renderer);
    SDL_Event e;
    while (SDL_WaitEvent(&e))
        if (e.type == SDL_QUIT) break;
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
