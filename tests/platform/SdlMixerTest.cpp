#include "platform/SdlMixer.h"
#include "platform/SoundFile.h"

#include "content/WavFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

// SDL's WAV loader asks calloc for a negative count on some of the crafted headers below: the C
// library's calloc returns null and SDL refuses the file. The sanitizers would stop the run
// there instead, so this binary lets them return null as the C library does (as scripts/fuzz.sh
// does for the harnesses).
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

// A mono 16-bit PCM WAV of a quiet tone.
std::vector<std::uint8_t> makeWav(int sampleRate, float seconds) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(static_cast<float>(sampleRate) * seconds));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(1000.0 * std::sin(static_cast<double>(i) * 0.05));
    return encodeWav(samples, sampleRate);
}

// Writes a WAV's bytes into the scratch directory and returns its path.
std::string put(const TempDir& dir, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return dir.write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

class SdlMixerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        mixer = createSdlMixer(error);
        if (!mixer)
            GTEST_SKIP() << "no audio device here: " << error;
    }
    std::unique_ptr<SdlMixer> mixer;
    TempDir dir;
};

TEST_F(SdlMixerTest, MissingAndCorruptFilesAreSkippedUntilAGoodOneTakesTheirName) {
    std::vector<std::uint8_t> truncated = makeWav(22050, 0.5f);
    truncated.resize(30); // cut inside the format chunk
    std::vector<std::uint8_t> badFormat = makeWav(22050, 0.5f);
    badFormat[20] = 0x77; // an encoding nobody knows
    // UTF-8 and a lone Latin-1 byte: SDL must not reinterpret the names.
    const std::string good[] = {put(dir, "t\xc3\xb6n.wav", makeWav(22050, 3.0f)),
                                put(dir, "\xe9t\xe9.wav", makeWav(22050, 3.0f))};
    const std::string bad[] = {
        dir.path("missing.wav"),
        put(dir, "empty.wav", {}),
        put(dir, "truncated.wav", truncated),
        put(dir, "badformat.wav", badFormat),
        dir.path(""), // a directory
    };
    for (const std::string& name : good) {
        mixer->playSound(name.c_str());
        EXPECT_TRUE(isPlayableWavFile(name)) << name;
    }
    for (const std::string& name : bad) {
        mixer->playSound(name.c_str());
        EXPECT_FALSE(isPlayableWavFile(name)) << name;
    }
    EXPECT_EQ(mixer->playingCount(), 2);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
    // A failure is not kept: the file that appears later is heard from then on.
    put(dir, "missing.wav", makeWav(22050, 3.0f));
    mixer->playSound(bad[0].c_str());
    EXPECT_EQ(mixer->playingCount(), 3);
}

using Bytes = std::vector<std::uint8_t>;

void add(Bytes& to, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void addChunk(Bytes& to, std::string_view tag, const Bytes& contents) {
    to.insert(to.end(), tag.begin(), tag.end());
    add(to, static_cast<std::uint32_t>(contents.size()), 4);
    to.insert(to.end(), contents.begin(), contents.end());
    if (contents.size() % 2 == 1)
        to.push_back(0);
}

// A WAV file field by field: the format chunk, any chunks after it, then the samples.
struct Wav {
    std::uint32_t encoding = 1, channels = 1, rate = 22050, align = 2, bits = 16;
    Bytes extension; // the format chunk's size word and what follows it
    Bytes between;
    Bytes samples = Bytes(400, 0x40);
    std::optional<std::uint32_t> riffLength;

    Bytes bytes() const {
        Bytes format;
        add(format, encoding, 2);
        add(format, channels, 2);
        add(format, rate, 4);
        add(format, rate * align, 4);
        add(format, align, 2);
        add(format, bits, 2);
        format.insert(format.end(), extension.begin(), extension.end());
        Bytes riff = {'W', 'A', 'V', 'E'};
        addChunk(riff, "fmt ", format);
        riff.insert(riff.end(), between.begin(), between.end());
        addChunk(riff, "data", samples);
        Bytes file = {'R', 'I', 'F', 'F'};
        add(file, riffLength.value_or(static_cast<std::uint32_t>(riff.size())), 4);
        file.insert(file.end(), riff.begin(), riff.end());
        return file;
    }
};

template <typename Thing, typename Change> Thing with(Thing thing, Change change) {
    change(thing);
    return thing;
}

Wav pcm(std::uint32_t channels, std::uint32_t bits, std::uint32_t encoding = 1) {
    Wav wav;
    wav.encoding = encoding;
    wav.channels = channels;
    wav.align = channels * bits / 8;
    wav.bits = bits;
    return wav;
}

// The same samples under WAVE_FORMAT_EXTENSIBLE: sub-format `code`, and `validBits` in the word
// IMA ADPCM reads as its samples per block.
Wav extensible(Wav wav, std::uint32_t code, std::uint32_t validBits) {
    wav.encoding = 0xFFFE;
    wav.extension.clear();
    for (const std::uint32_t field : {22u, validBits})
        add(wav.extension, field, 2);
    add(wav.extension, 0, 4);
    add(wav.extension, code, 4);
    wav.extension.insert(wav.extension.end(),
                         {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return wav;
}

// Blocks of `align` bytes, each starting with `predictor` for every channel.
Wav adpcm(std::uint32_t encoding, std::uint32_t channels, std::uint32_t align, Bytes extension,
          std::uint8_t predictor, int blocks = 3) {
    Wav wav = pcm(channels, 4, encoding);
    wav.align = align;
    wav.extension = std::move(extension);
    wav.samples.assign(align * static_cast<std::size_t>(blocks), 0x21);
    for (std::size_t at = 0; at < wav.samples.size(); at += align)
        std::fill_n(wav.samples.begin() + static_cast<std::ptrdiff_t>(at), channels, predictor);
    return wav;
}

// Microsoft ADPCM's extension: samples per block, then `count` coefficient pairs of which the
// first `given` are written, the standard seven first.
Bytes msAdpcm(std::uint32_t samplesPerBlock, std::uint32_t count = 7, std::uint32_t given = 7) {
    static constexpr std::int16_t standard[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                    {240, 0}, {460, -208}, {392, -232}};
    Bytes extension;
    for (const std::uint32_t field : {4 + 4 * count, samplesPerBlock, count})
        add(extension, field, 2);
    for (std::uint32_t pair = 0; pair < given; ++pair) {
        add(extension, static_cast<std::uint16_t>(pair < 7 ? standard[pair][0] : 64), 2);
        add(extension, static_cast<std::uint16_t>(pair < 7 ? standard[pair][1] : 0), 2);
    }
    return extension;
}

Wav ms(std::uint32_t channels, std::uint8_t predictor = 3, Bytes extension = msAdpcm(0), int blocks = 3) {
    return adpcm(2, channels, 256 * channels, std::move(extension), predictor, blocks);
}

Wav ima(std::uint32_t channels, std::uint32_t align, std::uint32_t samplesPerBlock = 0) {
    return adpcm(
        0x11, channels, align,
        {2, 0, static_cast<std::uint8_t>(samplesPerBlock), static_cast<std::uint8_t>(samplesPerBlock >> 8)},
        40);
}

// The room check judges sounds without SDL; the game loads them through SDL. Every file here is
// judged by both: the game's loader (its own test, SDL's WAV reader, the conversion to the open
// mixer) and isPlayableWavFile must agree, and with what each case says.
TEST_F(SdlMixerTest, TheCheckJudgesEveryEncodingAndLayoutAsTheGameLoadsIt) {
    const Bytes valid = pcm(1, 16).bytes();
    auto chunks = [](int count) {
        Bytes between;
        for (int i = 0; i < count; ++i)
            addChunk(between, "junk", {});
        return between;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        bool plays;
    } const cases[] = {
        {"PCM 8 bits", pcm(2, 8).bytes(), true},
        {"PCM 24 bits", pcm(1, 24).bytes(), true},
        {"PCM 32 bits", pcm(8, 32).bytes(), true},
        {"float", pcm(1, 32, 3).bytes(), true},
        {"A-law", pcm(3, 8, 6).bytes(), true},
        {"mu-law", pcm(1, 8, 7).bytes(), true},
        {"float 64 bits", pcm(1, 64, 3).bytes(), false},
        {"9 channels, more than the mixer converts", pcm(9, 16).bytes(), false},
        {"A-law block of two frames", with(pcm(1, 8, 6), [](Wav& w) { w.align = 2; }).bytes(), false},
        {"4000 Hz", with(pcm(1, 16), [](Wav& w) { w.rate = 4000; }).bytes(), true},
        {"3999 Hz", with(pcm(1, 16), [](Wav& w) { w.rate = 3999; }).bytes(), false},
        {"the fastest rate the mixer converts", with(pcm(1, 16), [](Wav& w) { w.rate = 4194302; }).bytes(),
         true},
        {"one faster", with(pcm(1, 16), [](Wav& w) { w.rate = 4194303; }).bytes(), false},
        {"a frame more than 256 MB converted", // 44.1 bytes a frame once converted
         with(pcm(1, 8), [](Wav& w) { w.rate = 4000, w.samples.resize(6086972); }).bytes(), false},
        {"MS ADPCM stereo, samples per block given", ms(2, 6, msAdpcm(500)).bytes(), true},
        {"MS ADPCM, one sample per block more than fit", ms(1, 3, msAdpcm(501)).bytes(), false},
        {"MS ADPCM, 3 channels", ms(3).bytes(), false},
        {"MS ADPCM, 6 coefficients and a seventh", ms(1, 3, msAdpcm(0, 6, 7)).bytes(), false},
        {"MS ADPCM, a coefficient missing", ms(1, 3, msAdpcm(0, 8, 7)).bytes(), false},
        {"MS ADPCM, predictor at the coefficient count in 300 blocks", ms(2, 7, msAdpcm(0), 300).bytes(),
         true},
        {"MS ADPCM, predictor past it", ms(2, 8).bytes(), false},
        {"MS ADPCM, predictor past it in the 300th block",
         with(ms(1, 3, msAdpcm(0), 300), [](Wav& w) { w.samples[299 * 256] = 8; }).bytes(), false},
        {"MS ADPCM, a cut block's predictor is never read",
         with(ms(1), [](Wav& w) { w.samples.resize(w.samples.size() + 3, 99); }).bytes(), true},
        {"MS ADPCM, 255 coefficients", ms(1, 255, msAdpcm(0, 255, 255)).bytes(), true},
        {"MS ADPCM, a coefficient changed", with(ms(1), [](Wav& w) { w.extension[10] = 1; }).bytes(), false},
        {"IMA ADPCM, 3 channels", ima(3, 516).bytes(), true},
        {"IMA ADPCM, block not of whole words", ima(1, 258).bytes(), false},
        {"extensible PCM", extensible(pcm(2, 24), 1, 20).bytes(), true},
        {"extensible float", extensible(pcm(1, 32), 3, 32).bytes(), true},
        {"extensible mu-law", extensible(pcm(1, 8), 7, 8).bytes(), true},
        {"extensible IMA ADPCM", extensible(ima(1, 256), 0x11, 505).bytes(), true},
        {"extensible MS ADPCM", extensible(ms(1), 2, 500).bytes(), false},
        {"no samples", with(pcm(1, 16), [](Wav& w) { w.samples.clear(); }).bytes(), true},
        {"a padded odd chunk first",
         with(pcm(1, 16), [](Wav& w) { addChunk(w.between, "LIST", {'a'}); }).bytes(), true},
        {"RIFF length 0", with(pcm(1, 16), [](Wav& w) { w.riffLength = 0; }).bytes(), true},
        {"RIFF ending where the samples' chunk starts",
         with(pcm(1, 16), [](Wav& w) { w.riffLength = 28; }).bytes(), false},
        {"RIFF ending one byte into it", with(pcm(1, 16), [](Wav& w) { w.riffLength = 29; }).bytes(), true},
        {"the samples as the 10,000th chunk",
         with(pcm(1, 16), [&](Wav& w) { w.between = chunks(9998); }).bytes(), true},
        {"the 10,001st", with(pcm(1, 16), [&](Wav& w) { w.between = chunks(9999); }).bytes(), false},
        {"format chunk of four gigabytes",
         with(valid, [](Bytes& b) { b[16] = b[17] = b[18] = b[19] = 0xFF; }), false},
        {"samples' chunk of three gigabytes", with(valid, [](Bytes& b) { b[43] = 0xCC; }), false},
        {"samples cut short", with(valid, [](Bytes& b) { b.pop_back(); }), false},
        {"neither RIFF nor WAVE first", with(valid, [](Bytes& b) { b[0] = 'X'; }), false},
        {"RIFF of another form", with(valid, [](Bytes& b) { b[8] = 'X'; }), false},
    };
    for (const Case& c : cases) {
        const bool gameLoads = loadWav(c.bytes.data(), c.bytes.size()) != nullptr;
        EXPECT_EQ(gameLoads, c.plays) << c.what;
        EXPECT_EQ(isPlayableWavFile(put(dir, "case.wav", c.bytes)), gameLoads) << c.what;
    }
    EXPECT_EQ(loadWav(nullptr, 0), nullptr);
    for (std::size_t cut : {0u, 4u, 11u, 12u, 20u, 36u, 43u}) {
        EXPECT_EQ(loadWav(valid.data(), cut), nullptr) << "cut at " << cut;
        EXPECT_FALSE(isPlayableWavFile(put(dir, "cut.wav", Bytes(valid.begin(), valid.begin() + cut))));
    }
}

// Thousands of headers, each of some encoding with a field or two changed.
TEST_F(SdlMixerTest, TheCheckAgreesWithTheGameOnThousandsOfChangedHeaders) {
    std::mt19937 random(31);
    auto pick = [&](std::initializer_list<std::uint32_t> values) {
        return values.begin()[random() % values.size()];
    };
    auto coefficients = [&](std::uint32_t count) {
        return msAdpcm(pick({0, 1, 2, 500}), count, std::min<std::uint32_t>(count, 256));
    };
    const std::function<Wav(std::uint32_t channels)> starts[] = {
        [&](std::uint32_t n) {
            return pcm(n, pick({8, 12, 16, 24, 32}), pick({1, 3, 6, 7, 0x55}));
        },
        [&](std::uint32_t n) { return ms(n % 2 + 1, static_cast<std::uint8_t>(random() % 9)); },
        [&](std::uint32_t n) {
            return ms(n % 2 + 1, 3, coefficients(pick({6, 7, 8, 254, 256, 300})));
        },
        [&](std::uint32_t n) {
            return ima(n, 256 * n, pick({0, 1, 338, 505, 506}));
        },
        [&](std::uint32_t n) {
            return extensible(pcm(n, 16), pick({1, 2, 3, 6, 7, 0x11, 0x55, 0x10001}), 16);
        },
    };
    const std::function<void(Wav&)> changes[] = {
        [&](Wav& w) {
            w.channels = pick({0, 1, 2, 4, 8, 9, 255, 256});
        },
        [&](Wav& w) {
            w.bits = pick({0, 3, 4, 8, 12, 16, 24, 32, 64});
        },
        [&](Wav& w) {
            w.rate = pick({0, 3999, 4000, 44100, 4194302, 4194303, 0x80000000u});
        },
        [&](Wav& w) {
            w.align = pick({0, 1, 2, 3, 4, 6, 7, 8, 12, 14, 15, 255, 256, 512, 516, 1024});
        },
        [&](Wav& w) { w.extension.push_back(static_cast<std::uint8_t>(random())); },
        [&](Wav& w) {
            if (!w.extension.empty())
                w.extension[random() % w.extension.size()] = static_cast<std::uint8_t>(random());
        },
        [&](Wav& w) {
            w.samples.resize(pick({0, 1, 7, 255, 256, 1000}), 0x30);
        },
        [&](Wav& w) { w.riffLength = static_cast<std::uint32_t>(random() % 1200); },
        // Another format chunk before the samples: SDL reads the first, the game's own test the last.
        [&](Wav& w) {
            const Bytes other = pcm(random() % 3, pick({8, 16, 12}), pick({1, 0x55})).bytes();
            addChunk(w.between, "fmt ", Bytes(other.begin() + 20, other.begin() + 36));
        },
    };
    int verdicts[2] = {};
    for (int round = 0; round < 5000; ++round) {
        Wav wav = starts[random() % std::size(starts)](pick({1, 2, 3}));
        for (std::uint32_t changed = random() % 3; changed > 0; --changed)
            changes[random() % std::size(changes)](wav);
        const Bytes bytes = wav.bytes();
        const bool gameLoads = loadWav(bytes.data(), bytes.size()) != nullptr;
        ++verdicts[gameLoads];
        MemorySoundBytes held(bytes.data(), bytes.size());
        ASSERT_EQ(isPlayableWav(held), gameLoads) << "round " << round;
    }
    // Both verdicts, often: the changes are neither all harmless nor all fatal.
    EXPECT_GT(verdicts[0], 1000);
    EXPECT_GT(verdicts[1], 1000);
}

TEST_F(SdlMixerTest, OnlyOneMixerIsOpenAtATimeAndInitSoundOpensItSayingNothing) {
    std::string error;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_FALSE(error.empty());
    mixer.reset();
    EXPECT_EQ(Mix_QuerySpec(nullptr, nullptr, nullptr), 0); // the device closed with it
    std::ostringstream diagnostics;
    std::unique_ptr<SoundSink> sink = initSound(diagnostics);
    EXPECT_NE(dynamic_cast<SdlMixer*>(sink.get()), nullptr) << diagnostics.str();
    EXPECT_TRUE(diagnostics.str().empty());
}

} // namespace

TEST_F(SdlMixerTest, CopiesOfOneSoundOverlapOnChannelsGrownUpToTheCeilingButARefusedOneGrowsNone) {
    // Samples of no length load, but the mixer will not start them.
    const std::string silent = put(dir, "silent.wav", makeWav(22050, 0.0f));
    for (int i = 0; i < 40; ++i)
        mixer->playSound(silent.c_str());
    EXPECT_EQ(mixer->playingCount(), 0);
    ASSERT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
    const std::string laser = put(dir, "laser.wav", makeWav(22050, 3.0f));
    for (int i = 0; i < SdlMixer::InitialChannels + 5; ++i)
        mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->playingCount(), SdlMixer::InitialChannels + 5);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels * 2);
    for (int i = 0; i < SdlMixer::MaxChannels; ++i)
        mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->channelCount(), SdlMixer::MaxChannels);
    EXPECT_EQ(mixer->playingCount(), SdlMixer::MaxChannels);
    mixer->stopAllSounds();
    EXPECT_EQ(mixer->playingCount(), 0);

    // Kept until forgotten: then all stop, and each file is read again when next played.
    put(dir, "silent.wav", makeWav(22050, 3.0f));
    put(dir, "laser.wav", makeWav(22050, 0.0f));
    mixer->playSound(silent.c_str());
    mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
    mixer->forgetSounds();
    mixer->playSound(silent.c_str());
    mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
}

// The suite plays into SDL's dummy driver wherever it runs: a test that reached a real sound
// card would hang on a busy one or play noise on a developer's speakers.
TEST(SoundDriver, TestsOnlyEverOpenTheDummyDriver) {
    const char* asked = std::getenv("SDL_AUDIODRIVER");
    ASSERT_NE(asked, nullptr) << "SDL_AUDIODRIVER is not set for this test";
    EXPECT_STREQ(asked, "dummy");
    std::string error;
    const std::unique_ptr<SdlMixer> mixer = createSdlMixer(error);
    ASSERT_TRUE(mixer) << error;
    ASSERT_NE(SDL_GetCurrentAudioDriver(), nullptr);
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
}
