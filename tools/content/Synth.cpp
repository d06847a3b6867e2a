#include "content/Synth.h"

#include "content/SourceText.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

namespace {

// Longest sound a recipe may ask for; the game's effects are far shorter.
constexpr double MaxSeconds = 10.0;

bool waveNamed(const std::string& word, Wave& wave) {
    static const std::pair<const char*, Wave> names[] = {{"sine", Wave::Sine},
                                                         {"square", Wave::Square},
                                                         {"saw", Wave::Saw},
                                                         {"triangle", Wave::Triangle},
                                                         {"noise", Wave::Noise}};
    for (const auto& [name, value] : names) {
        if (word == name) {
            wave = value;
            return true;
        }
    }
    return false;
}

double phaseFraction(double phase) {
    return phase - std::floor(phase);
}

long long samplesIn(double seconds, int rate) {
    return static_cast<long long>(std::floor(seconds * rate + 0.5));
}

// The game's own generator, so noise is the same everywhere.
double nextNoise(std::uint32_t& seed) {
    seed = seed * 214013u + 2531011u;
    return static_cast<double>((seed >> 16) & 0x7FFFu) / 16383.5 - 1.0;
}

} // namespace

double sineOfPhase(double phase) {
    constexpr double Pi = 3.14159265358979323846;
    double p = phaseFraction(phase);
    // Fold onto a quarter wave, where the Taylor series is accurate to about 1e-7.
    double sign = 1.0;
    if (p >= 0.5) {
        p -= 0.5;
        sign = -1.0;
    }
    if (p > 0.25) {
        p = 0.5 - p;
    }
    const double x = p * 2.0 * Pi;
    const double x2 = x * x;
    const double series =
        x * (1.0 - x2 / 6.0 * (1.0 - x2 / 20.0 * (1.0 - x2 / 42.0 * (1.0 - x2 / 72.0 * (1.0 - x2 / 110.0)))));
    return sign * series;
}

bool parseSounds(std::string_view text, const std::string& fileName, std::vector<SoundRecipe>& sounds,
                 std::string& error) {
    std::set<std::string> paths;
    for (const SourceLine& line : splitLines(text)) {
        std::vector<std::string> words = splitWords(line.text);
        if (words.empty() || words[0].front() == '#') {
            continue;
        }
        auto fail = [&](const std::string& message) {
            error = sourceError(fileName, line.number, message);
            return false;
        };
        if (words[0] == "sound") {
            long long rate = 0;
            if (words.size() != 3) {
                return fail("expected sound PATH RATE");
            }
            if (!isSafeOutputPath(words[1]) || std::filesystem::path(words[1]).extension() != ".wav") {
                return fail("'" + words[1] + "' is not a relative path ending in .wav");
            }
            if (!paths.insert(words[1]).second) {
                return fail("'" + words[1] + "' is made twice");
            }
            if (!parseInteger(words[2], rate) || (rate != 22050 && rate != 44100)) {
                return fail("the rate is 22050 or 44100");
            }
            sounds.push_back({words[1], static_cast<int>(rate), {}});
            continue;
        }
        Voice voice;
        if (!waveNamed(words[0], voice.wave)) {
            return fail("unknown word '" + words[0] + "'");
        }
        if (sounds.empty()) {
            return fail("a voice before any sound");
        }
        bool haveLength = false;
        for (std::size_t i = 1; i < words.size();) {
            const std::string& key = words[i];
            const std::size_t count = key == "vibrato" ? 2 : 1;
            if (i + count >= words.size()) {
                return fail("'" + key + "' needs " + std::to_string(count) + " value" +
                            (count == 2 ? "s" : ""));
            }
            double values[2] = {0.0, 0.0};
            for (std::size_t v = 0; v < count; ++v) {
                if (!parseNumber(words[i + 1 + v], values[v])) {
                    return fail("'" + words[i + 1 + v] + "' is not a number");
                }
            }
            const double value = values[0];
            if (key == "at" && value >= 0.0 && value <= MaxSeconds) {
                voice.at = value;
            } else if (key == "for" && value > 0.0 && value <= MaxSeconds) {
                voice.length = value;
                haveLength = true;
            } else if ((key == "from" || key == "to") && value >= 0.0 && value <= 96000.0) {
                (key == "from" ? voice.from : voice.to) = value;
            } else if (key == "volume" && value >= 0.0 && value <= 1.0) {
                voice.volume = value;
            } else if ((key == "attack" || key == "release") && value >= 0.0 && value <= MaxSeconds) {
                (key == "attack" ? voice.attack : voice.release) = value;
            } else if (key == "duty" && value > 0.0 && value < 1.0) {
                voice.duty = value;
            } else if (key == "seed" && value >= 0.0 && value <= 4294967295.0 && value == std::floor(value)) {
                voice.seed = static_cast<std::uint32_t>(value);
            } else if (key == "vibrato" && value >= 0.0 && value <= 1000.0 && values[1] >= 0.0 &&
                       values[1] <= 1.0) {
                voice.vibratoRate = value;
                voice.vibratoDepth = values[1];
            } else {
                return fail("'" + key + "' cannot be " + words[i + 1]);
            }
            i += 1 + count;
        }
        if (!haveLength) {
            return fail("a voice needs 'for'");
        }
        if (voice.at + voice.length > MaxSeconds) {
            return fail("a voice may not end after " + std::to_string(static_cast<int>(MaxSeconds)) +
                        " seconds");
        }
        sounds.back().voices.push_back(voice);
    }
    for (const SoundRecipe& sound : sounds) {
        if (sound.voices.empty()) {
            error = fileName + ": '" + sound.path + "' has no voices";
            return false;
        }
    }
    return true;
}

std::vector<std::int16_t> synthesize(const SoundRecipe& recipe) {
    long long total = 0;
    for (const Voice& voice : recipe.voices) {
        total = std::max(total, samplesIn(voice.at, recipe.rate) + samplesIn(voice.length, recipe.rate));
    }
    std::vector<double> mix(static_cast<std::size_t>(total), 0.0);
    for (const Voice& voice : recipe.voices) {
        const long long start = samplesIn(voice.at, recipe.rate);
        const long long count = samplesIn(voice.length, recipe.rate);
        const double attack = static_cast<double>(samplesIn(voice.attack, recipe.rate));
        const double release = static_cast<double>(samplesIn(voice.release, recipe.rate));
        std::uint32_t seed = voice.seed;
        double held = nextNoise(seed);
        double phase = 0.0;
        double vibratoPhase = 0.0;
        for (long long k = 0; k < count; ++k) {
            const double progress = count > 1 ? static_cast<double>(k) / static_cast<double>(count - 1) : 0.0;
            double pitch = voice.from + (voice.to - voice.from) * progress;
            pitch *= 1.0 + voice.vibratoDepth * sineOfPhase(vibratoPhase);
            vibratoPhase = phaseFraction(vibratoPhase + voice.vibratoRate / recipe.rate);

            double value = 0.0;
            switch (voice.wave) {
            case Wave::Sine:
                value = sineOfPhase(phase);
                break;
            case Wave::Square:
                value = phase < voice.duty ? 1.0 : -1.0;
                break;
            case Wave::Saw:
                value = 2.0 * phase - 1.0;
                break;
            case Wave::Triangle:
                value = 4.0 * std::fabs(phase - 0.5) - 1.0;
                break;
            case Wave::Noise:
                value = held;
                break;
            }
            const double next = phase + pitch / recipe.rate;
            if (next >= 1.0 && voice.wave == Wave::Noise) {
                held = nextNoise(seed);
            }
            phase = phaseFraction(next);

            double envelope = 1.0;
            const double left = static_cast<double>(count - 1 - k);
            if (attack > 0.0 && static_cast<double>(k) < attack) {
                envelope = static_cast<double>(k) / attack;
            }
            if (release > 0.0 && left < release) {
                envelope = std::min(envelope, left / release);
            }
            mix[static_cast<std::size_t>(start + k)] += value * envelope * voice.volume;
        }
    }
    std::vector<std::int16_t> samples(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) {
        const double clipped = std::clamp(mix[i], -1.0, 1.0);
        samples[i] = static_cast<std::int16_t>(std::floor(clipped * 32767.0 + 0.5));
    }
    return samples;
}
