// Table geometry in logical units, the one home of every place on the table
// that drawing, hit testing and the window's shape share. Cards are drawn by
// the render surface (Graphics.h, card).
#pragma once

const int W = 760;   // table width
const int H = 650;   // table height
const int CW = 80;   // card width
const int CH = 112;  // card height

// The bars: the top bar covers rows 0 to topBarHeight - 1 and the status bar
// rows statusBarTop to H - 1. The cards lie between them, and so does the
// victory trail.
const int topBarHeight = 30;
const int statusBarTop = 622;
const int barTextY = 6;  // the top bar's labels
const int statusTextY = 628;

// The top bar's buttons, left to right: where each label stands and the last
// column that answers to it, each band starting where the one before ends.
struct BarButton {
    const char* label;
    int labelX;
    int lastX;
};
const BarButton barButtons[3] = {{"Spiel", 12, 71}, {"Zurück", 80, 157}, {"Hilfe", 170, W - 1}};

// The game menu: its panel, which covers the top bar's last row, and its
// entries, one band of menuRowHeight rows each from the top bar's foot down.
// Presses answer within menuLastX and menuLastY, two rows below the panel.
const int menuX = 3, menuY = topBarHeight - 1, menuWidth = 255, menuHeight = 167;
const int menuLastX = menuX + menuWidth - 1, menuLastY = menuY + menuHeight + 1;
const int menuLabelX = 12, menuLabelY = 39, menuRowHeight = 32;

// The waste fans its top cards this far apart to the right.
const int wasteStep = 16;

int px(int p);
// Vertical distance between successive cards of pile p, packed for long
// columns.
int gap(int p);
int py(int p, int i);
// How far right of px(p) card i of pile p lies: on the waste its top
// drawCount cards fan out wasteStep apart, the newest rightmost, and those
// below lie under the first of them; 0 on every other pile.
int fanOffset(int p, int i);
