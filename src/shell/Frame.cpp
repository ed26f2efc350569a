// PLACEHOLDER until the frame loop lands.
#include "shell/Frame.h"

void frame() {}
