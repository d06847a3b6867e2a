#pragma once
#include <filesystem>
#include <string>
#include <vector>

// Where the recipes live, relative to the source root.
inline constexpr const char* ImageRecipeFile = "art/images.txt";
inline constexpr const char* SoundRecipeFile = "art/sounds.txt";

// Reads every recipe under `sourceRoot`, makes every image and sound in memory, and only then
// writes them below `outputRoot` (directories made as needed). `written` receives the relative
// paths in recipe order, images first. A fault in any source writes nothing.
bool buildContent(const std::filesystem::path& sourceRoot, const std::filesystem::path& outputRoot,
                  std::vector<std::string>& written, std::string& error);
