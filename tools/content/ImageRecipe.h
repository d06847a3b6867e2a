#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/RgbaImage.h"

enum class ImageFormat { Png, Jpeg };

struct ImageOutput {
    std::string path; // relative to the output root
    ImageFormat format = ImageFormat::Png;
    int quality = 0; // JPEG only
    RgbaImage image;
};

// Reads an image recipe and paints every image it describes, in recipe order. Paths inside the
// recipe (palette and map files) are relative to `sourceRoot`. Recipe lines:
//   palette FILE                 the one palette (before any maps)
//   maps FILE                    adds the named pixel maps of a file
//   png PATH WIDTH HEIGHT        starts a transparent image, written as PNG
//   jpeg PATH WIDTH HEIGHT QUALITY  starts an image written as JPEG (must end up opaque)
//   draw MAP X Y [flip]          paints a map into the image started last
//   mirror PATH SOURCE           the image made earlier for SOURCE, mirrored left to right
// '#' starts a comment line. Any fault stops the whole recipe with a "file:line: message".
bool buildImages(const std::filesystem::path& sourceRoot, const std::string& recipeFile,
                 std::vector<ImageOutput>& outputs, std::string& error);
