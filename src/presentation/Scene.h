// Composes and presents one whole frame of the table.
#pragma once

void render();
// Copies the composed frame buffer onto the window, not yet presented.
void showFrameBuffer();
