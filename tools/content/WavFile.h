#pragma once
#include <cstdint>
#include <filesystem>
#include <vector>

// The bytes of a RIFF WAVE file: 16-bit PCM, mono, at `rate` samples a second.
std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int rate);

// Writes under a temporary name next to the target and renames it over the target, so a
// failure keeps the old file.
bool writeFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
