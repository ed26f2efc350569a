// The floor the game's start-up is measured against: SDL, the same hidden
// then shown window and the same renderer, one green frame presented, then
// idle until asked to quit. bench/startup.sh times it against the game.
#include <SDL.h>

int main(int, char**) {
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
    SDL_RenderPresent(renderer);
    SDL_Event e;
    while (SDL_WaitEvent(&e))
        if (e.type == SDL_QUIT) break;
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
