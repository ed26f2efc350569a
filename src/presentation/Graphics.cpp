// PLACEHOLDER until the render surface lands.
#include "presentation/Graphics.h"

SDL_Texture* cardAtlas = nullptr;
SDL_Texture* frameBuffer = nullptr;
int bufferWidth = 760, bufferHeight = 650;
float drawingScaleX = 1.0f, drawingScaleY = 1.0f;
TTF_Font* font = nullptr;
TTF_Font* large = nullptr;
std::map<TextKey, TextImage> textImages;
const SDL_Color black = {0, 0, 0, 255};
const SDL_Color white = {255, 255, 255, 255};

bool initGraphics() { return false; }
void freeGraphics() {}
bool resizeGraphics() { return false; }
void fill(int, int, int, int, SDL_Color) {}
void line(int, int, int, int, SDL_Color) {}
void text(const std::string&, int, int, SDL_Color, bool) {}
void bevel(int, int, int, int, bool) {}
