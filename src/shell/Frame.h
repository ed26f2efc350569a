// One step of the main loop: the redraw rule, event dispatch, animation.
#pragma once

void frame();
// The next frame step is a first one: it draws even if nothing happened.
void startFrames();
