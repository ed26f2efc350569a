// Composes and presents one whole frame of the table.
#pragma once

void render();
// What was drawn for the frame buffer goes: the victory trail and what the
// scene keeps of its frames. For a new frame buffer, and for render targets
// whose contents the renderer lost.
void dropDrawnFrames();
// Copies the composed frame buffer onto the window, not yet presented.
void showFrameBuffer();
