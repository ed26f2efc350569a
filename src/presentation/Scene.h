// Composes and presents one whole frame of the table.
#pragma once

void render();
