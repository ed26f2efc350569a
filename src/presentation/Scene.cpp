// PLACEHOLDER until the scene lands.
#include "presentation/Scene.h"

void render() {}
