// The font, the card atlas and the window icon, compiled into the program
// (see assets/README).
#pragma once

extern "C" {
extern const unsigned char font_ttf[];
extern const unsigned int font_ttf_size;
extern const unsigned char card_atlas_bmp[];
extern const unsigned int card_atlas_bmp_size;
extern const unsigned char window_icon_bmp[];
extern const unsigned int window_icon_bmp_size;
}
