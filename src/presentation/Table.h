// Table geometry in logical units and the drawing of one card.
#pragma once

#include "engine/Solitaire.h"

const int W = 760;
const int H = 650;
const int CW = 80;
const int CH = 112;

int px(int p);
int gap(int p);
int py(int p, int i);
void card(sol::Card c, int x, int y, bool sel);
