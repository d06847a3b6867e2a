#pragma once
#include <cstdint>
#include <vector>

// The bytes of a RIFF WAVE file: 16-bit PCM, mono, at `rate` samples a second.
std::vector<std::uint8_t> encodeWav(const std::vector<std::int16_t>& samples, int rate);
