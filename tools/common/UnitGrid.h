#pragma once
#include "graphics/RgbaImage.h"

// Draws a grid of room units over a picture of the whole room (40 by 30 units), for authors
// to read coordinates off: a thin line on every unit, every fifth one stronger, each column
// numbered along the top (c: x from c to c + 1) and each row along the left (r: y from r − 1
// to r), as the room file names tiles.
void drawUnitGrid(RgbaImage& image);
