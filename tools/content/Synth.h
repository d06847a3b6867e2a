#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Sound effects made from a few voices: tones and noise with a pitch sweep, a little vibrato
// and a straight-line envelope. Arithmetic is plain double without library maths, so a recipe
// gives the same samples on every machine and build.

enum class Wave { Sine, Square, Saw, Triangle, Noise };

struct Voice {
    Wave wave = Wave::Sine;
    double at = 0.0;     // start, seconds
    double length = 0.0; // seconds
    double from = 440.0; // pitch at the start, Hz (noise: new random values per second)
    double to = 440.0;   // pitch at the end, swept in a straight line
    double volume = 0.5;
    double attack = 0.0;  // seconds of rise from silence
    double release = 0.0; // seconds of fall to silence at the end
    double vibratoRate = 0.0;
    double vibratoDepth = 0.0; // fraction of the pitch
    double duty = 0.5;         // square only: part of the cycle that is high
    std::uint32_t seed = 1;    // noise only
};

struct SoundRecipe {
    std::string path; // relative to the output root
    int rate = 22050;
    std::vector<Voice> voices;
};

// Sound recipe files:
//   sound PATH RATE                 starts a sound (RATE 22050 or 44100), written as WAV
//   WAVE KEY VALUE ...              adds a voice (WAVE: sine, square, saw, triangle, noise);
//                                   keys: at, for, from, to, volume, attack, release, duty, seed,
//                                   and vibrato RATE DEPTH; "for" is required
// '#' starts a comment line.
bool parseSounds(std::string_view text, const std::string& fileName, std::vector<SoundRecipe>& sounds,
                 std::string& error);

// The voices mixed, clipped to full scale and rounded to 16-bit samples; as long as the
// latest-ending voice.
std::vector<std::int16_t> synthesize(const SoundRecipe& recipe);

// One cycle of a sine wave over phase 0..1, from a polynomial.
double sineOfPhase(double phase);
