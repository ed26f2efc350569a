// One frame step of the main loop: the redraw rule, event dispatch to the
// actions, the window and the pointer, the animation and the drawing. The
// loop around it is Loop.h.
#pragma once

void frame();
// The next frame step is a first one: it draws even if nothing happened.
void startFrames();
// The last frame step found something to do, and drew.
bool lastFrameDrew();
