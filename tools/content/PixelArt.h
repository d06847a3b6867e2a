#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/RgbaImage.h"

// Pixel art kept as text: a palette gives every symbol a colour, and a map is a block of rows
// of symbols, one symbol a pixel.

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

using Palette = std::map<char, Colour>;

struct PixelMap {
    int width = 0;
    int height = 0;
    std::vector<std::string> rows;
};

using MapLibrary = std::map<std::string, PixelMap>;

// Palette lines: SYMBOL RED GREEN BLUE [ALPHA], values 0 to 255 (alpha 255 when left out).
// Empty lines and lines starting with '#' are comments. A symbol is one printable character
// other than '#'.
bool parsePalette(std::string_view text, const std::string& fileName, Palette& palette, std::string& error);

// Map files: "map NAME" starts a map; its rows follow up to an empty line, a comment line
// starting with '#' or the next "map". Rows are all as wide as the first, every symbol is in
// the palette, and a name is defined once across all files read into `maps`.
bool parseMaps(std::string_view text, const std::string& fileName, const Palette& palette, MapLibrary& maps,
               std::string& error);

// Paints `map` with its top left corner at (x, y), mirrored left to right when `flip`. Fully
// transparent symbols leave the canvas alone, opaque ones replace it, the rest blend over it.
// The map must fit inside the canvas.
void drawMap(RgbaImage& canvas, const PixelMap& map, const Palette& palette, int x, int y, bool flip);

RgbaImage blankImage(int width, int height);
RgbaImage mirroredImage(const RgbaImage& image);
