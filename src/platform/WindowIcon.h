#pragma once
// The game's icon (data/icons/marrowgast-64.png), built into the program so the window
// has it wherever the data is.
#include <cstddef>

extern const unsigned char WindowIconPng[];
extern const std::size_t WindowIconPngSize;
