// One step of the main loop: the redraw rule, event dispatch, animation.
#pragma once

void frame();
