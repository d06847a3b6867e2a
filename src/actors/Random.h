#pragma once
#include <cstdint>

// The game's one pseudo-random generator. It is never seeded, so every run draws the
// same sequence (and so the same order of death sounds).
struct RandomGenerator {
    std::uint32_t seed = 1;

    // 0 to 32767.
    int next() {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFFu);
    }
};

extern RandomGenerator gameRandom;
