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
        put(dir, "text.wav", {'h', 'e', 'l', 'l', 'o'}),
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

void add16(Bytes& to, std::uint32_t value) {
    to.push_back(static_cast<std::uint8_t>(value));
    to.push_back(static_cast<std::uint8_t>(value >> 8));
}

void add32(Bytes& to, std::uint32_t value) {
    add16(to, value & 0xFFFF);
    add16(to, value >> 16);
}

void addChunk(Bytes& to, std::string_view tag, const Bytes& contents) {
    to.insert(to.end(), tag.begin(), tag.end());
    add32(to, static_cast<std::uint32_t>(contents.size()));
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
        add16(format, encoding);
        add16(format, channels);
        add32(format, rate);
        add32(format, rate * align);
        add16(format, align);
        add16(format, bits);
        format.insert(format.end(), extension.begin(), extension.end());
        Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
        addChunk(file, "fmt ", format);
        file.insert(file.end(), between.begin(), between.end());
        addChunk(file, "data", samples);
        const std::uint32_t length = riffLength.value_or(static_cast<std::uint32_t>(file.size() - 8));
        for (int i = 0; i < 4; ++i)
            file[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
        return file;
    }
};

// Microsoft ADPCM's extension: samples per block, then `count` coefficient pairs of which the
// first `given` are written, the standard seven first.
Bytes msAdpcm(std::uint32_t samplesPerBlock, std::uint32_t count = 7, std::uint32_t given = 7) {
    static constexpr std::int16_t standard[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                    {240, 0}, {460, -208}, {392, -232}};
    Bytes extension;
    add16(extension, 4 + 4 * count);
    add16(extension, samplesPerBlock);
    add16(extension, count);
    for (std::uint32_t pair = 0; pair < given; ++pair) {
        add16(extension, static_cast<std::uint16_t>(pair < 7 ? standard[pair][0] : 64));
        add16(extension, static_cast<std::uint16_t>(pair < 7 ? standard[pair][1] : 0));
    }
    return extension;
}

Bytes imaAdpcm(std::uint32_t samplesPerBlock) {
    Bytes extension;
    add16(extension, 2);
    add16(extension, samplesPerBlock);
    return extension;
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
    add16(wav.extension, 22);
    add16(wav.extension, validBits);
    add32(wav.extension, 0);
    add32(wav.extension, code);
    wav.extension.insert(wav.extension.end(),
                         {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return wav;
}

// Blocks of `align` bytes, each starting with `predictor` for every channel.
Bytes adpcmBlocks(std::uint32_t channels, std::uint32_t align, int blocks, std::uint8_t predictor) {
    Bytes samples(align * static_cast<std::size_t>(blocks), 0x21);
    for (std::size_t at = 0; at < samples.size(); at += align)
        std::fill_n(samples.begin() + static_cast<std::ptrdiff_t>(at), channels, predictor);
    return samples;
}

Wav adpcm(std::uint32_t encoding, std::uint32_t channels, std::uint32_t align, Bytes extension,
          std::uint8_t predictor, int blocks = 3) {
    Wav wav = pcm(channels, 4, encoding);
    wav.align = align;
    wav.extension = std::move(extension);
    wav.samples = adpcmBlocks(channels, align, blocks, predictor);
    return wav;
}

Wav ms(std::uint32_t channels, std::uint8_t predictor = 3, Bytes extension = msAdpcm(0), int blocks = 3) {
    return adpcm(2, channels, 256 * channels, std::move(extension), predictor, blocks);
}

Wav ima(std::uint32_t channels, std::uint32_t align, Bytes extension = imaAdpcm(0)) {
    return adpcm(0x11, channels, align, std::move(extension), 40);
}

template <typename Thing, typename Change> Thing with(Thing thing, Change change) {
    change(thing);
    return thing;
}

class MemoryBytes final : public SoundBytes {
  public:
    explicit MemoryBytes(const Bytes& bytes) : bytes(bytes) {}
    std::uint64_t size() const override { return bytes.size(); }
    bool read(std::uint64_t offset, void* into, std::size_t count) override {
        if (offset > bytes.size() || count > bytes.size() - offset)
            return false;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), count,
                    static_cast<std::uint8_t*>(into));
        return true;
    }

  private:
    const Bytes& bytes;
};

// The first bytes of a file, for a message.
std::string hex(const Bytes& bytes) {
    std::ostringstream text;
    text << std::hex;
    for (std::size_t i = 0; i < std::min<std::size_t>(80, bytes.size()); ++i)
        text << static_cast<int>(bytes[i]) << ' ';
    return text.str();
}

// The room check judges sounds without SDL; the game loads them through SDL. Every file here is
// judged by both: the game's loader (the pre-check, SDL's WAV reader, the conversion to the open
// mixer) and isPlayableWavFile must agree, and with what each case says.
TEST_F(SdlMixerTest, TheCheckJudgesEveryEncodingAndLayoutAsTheGameLoadsIt) {
    const Bytes valid = pcm(1, 16).bytes();
    struct Case {
        const char* what;
        Bytes bytes;
        bool plays;
    };
    auto chunks = [](int count) {
        Bytes between;
        for (int i = 0; i < count; ++i)
            addChunk(between, "junk", {});
        return between;
    };
    const Case cases[] = {
        {"PCM 8 bits", pcm(2, 8).bytes(), true},
        {"PCM 24 bits", pcm(1, 24).bytes(), true},
        {"PCM 32 bits", pcm(8, 32).bytes(), true},
        {"float", pcm(1, 32, 3).bytes(), true},
        {"A-law", pcm(3, 8, 6).bytes(), true},
        {"mu-law", pcm(1, 8, 7).bytes(), true},
        {"PCM 12 bits", pcm(1, 12).bytes(), false},
        {"float 64 bits", pcm(1, 64, 3).bytes(), false},
        {"A-law 16 bits", pcm(1, 16, 6).bytes(), false},
        {"MP3", pcm(1, 16, 0x55).bytes(), false},
        {"no channel", pcm(0, 16).bytes(), false},
        {"9 channels, more than the mixer converts", pcm(9, 16).bytes(), false},
        {"block of no size", with(pcm(2, 16), [](Wav& w) { w.align = 0; }).bytes(), false},
        {"block splitting a frame", with(pcm(2, 16), [](Wav& w) { w.align = 3; }).bytes(), false},
        {"A-law block of two frames", with(pcm(1, 8, 6), [](Wav& w) { w.align = 2; }).bytes(), false},
        {"4000 Hz", with(pcm(1, 16), [](Wav& w) { w.rate = 4000; }).bytes(), true},
        {"3999 Hz", with(pcm(1, 16), [](Wav& w) { w.rate = 3999; }).bytes(), false},
        {"the fastest rate the mixer converts", with(pcm(1, 16), [](Wav& w) { w.rate = 4194302; }).bytes(),
         true},
        {"one faster", with(pcm(1, 16), [](Wav& w) { w.rate = 4194303; }).bytes(), false},
        {"MS ADPCM", ms(1).bytes(), true},
        {"MS ADPCM stereo, samples per block given", ms(2, 6, msAdpcm(500)).bytes(), true},
        {"MS ADPCM, more samples per block than fit", ms(1, 3, msAdpcm(503)).bytes(), false},
        {"MS ADPCM, 3 channels", ms(3).bytes(), false},
        {"MS ADPCM, predictor at the coefficient count", ms(2, 7).bytes(), true},
        {"MS ADPCM, predictor past it", ms(2, 8).bytes(), false},
        {"MS ADPCM, predictor past it in the 300th block",
         with(ms(1, 3, msAdpcm(0), 300), [](Wav& w) { w.samples[299 * 256] = 8; }).bytes(), false},
        {"MS ADPCM, a cut block's predictor is never read",
         with(ms(1), [](Wav& w) { w.samples.resize(w.samples.size() + 3, 99); }).bytes(), true},
        {"MS ADPCM, 255 coefficients", ms(1, 255, msAdpcm(0, 255, 255)).bytes(), true},
        {"MS ADPCM, coefficients missing", ms(1, 3, msAdpcm(0, 8, 7)).bytes(), false},
        {"MS ADPCM, 6 coefficients", ms(1, 3, msAdpcm(0, 6, 6)).bytes(), false},
        {"MS ADPCM, a coefficient changed", with(ms(1), [](Wav& w) { w.extension[10] = 1; }).bytes(), false},
        {"IMA ADPCM", ima(1, 256).bytes(), true},
        {"IMA ADPCM, 3 channels", ima(3, 516).bytes(), true},
        {"IMA ADPCM, block not of whole words", ima(1, 258).bytes(), false},
        {"IMA ADPCM, more samples per block than fit", ima(1, 256, imaAdpcm(506)).bytes(), false},
        {"extensible PCM", extensible(pcm(2, 24), 1, 20).bytes(), true},
        {"extensible float", extensible(pcm(1, 32), 3, 32).bytes(), true},
        {"extensible mu-law", extensible(pcm(1, 8), 7, 8).bytes(), true},
        {"extensible IMA ADPCM", extensible(ima(1, 256), 0x11, 505).bytes(), true},
        {"extensible MS ADPCM", extensible(ms(1), 2, 500).bytes(), false},
        {"extensible, unknown sub-format", extensible(pcm(1, 16), 0x55, 16).bytes(), false},
        {"extensible header cut",
         with(extensible(pcm(1, 16), 1, 16), [](Wav& w) { w.extension.resize(20); }).bytes(), false},
        {"no samples", with(pcm(1, 16), [](Wav& w) { w.samples.clear(); }).bytes(), true},
        {"a padded odd chunk before the samples",
         with(pcm(1, 16),
              [](Wav& w) {
                  addChunk(w.between, "LIST", {'a', 'b', 'c'});
              })
             .bytes(),
         true},
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
        {"ogg", {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
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
            return pcm(n, pick({8, 16, 24, 32}), pick({1, 3, 6, 7}));
        },
        [&](std::uint32_t n) { return ms(n % 2 + 1, static_cast<std::uint8_t>(random() % 9)); },
        [&](std::uint32_t n) {
            return ms(n % 2 + 1, 3, coefficients(pick({6, 7, 8, 254, 256, 300})));
        },
        [&](std::uint32_t n) {
            return ima(n, 256 * n, imaAdpcm(pick({0, 1, 338, 505, 506})));
        },
        [&](std::uint32_t n) {
            return extensible(pcm(n, 16), pick({1, 2, 3, 6, 7, 0x11, 0x55}), 16);
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
        for (std::uint32_t changed = random() % 3; changed > 0; --changed) {
            changes[random() % std::size(changes)](wav);
        }
        const Bytes bytes = wav.bytes();
        const bool gameLoads = loadWav(bytes.data(), bytes.size()) != nullptr;
        ++verdicts[gameLoads];
        MemoryBytes held(bytes);
        ASSERT_EQ(isPlayableWav(held), gameLoads) << hex(bytes);
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
    std::ostringstream diagnostics;
    std::unique_ptr<SoundSink> sink = initSound(diagnostics);
    EXPECT_NE(dynamic_cast<SdlMixer*>(sink.get()), nullptr) << diagnostics.str();
    EXPECT_TRUE(diagnostics.str().empty());
}

// Sets the audio driver SDL asks for, for the test's lifetime.
struct ScopedAudioDriver {
    std::optional<std::string> previous;
    explicit ScopedAudioDriver(const char* driver) {
        if (const char* old = std::getenv("SDL_AUDIODRIVER"))
            previous = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }
    ~ScopedAudioDriver() {
        if (previous)
            setenv("SDL_AUDIODRIVER", previous->c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }
};

TEST(SdlMixerWithoutDevice, TheGamePlaysSilentlyWhenAudioCannotOpen) {
    ScopedAudioDriver noDriver("no-such-driver");
    std::string error;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_NE(error.find("no-such-driver"), std::string::npos) << error;

    std::ostringstream diagnostics;
    std::unique_ptr<SoundSink> sink = initSound(diagnostics);
    ASSERT_NE(sink, nullptr);
    const std::string said = diagnostics.str();
    EXPECT_NE(said.find("without sound"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
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
    EXPECT_GE(mixer->channelCount(), SdlMixer::InitialChannels + 5);
    for (int i = 0; i < SdlMixer::MaxChannels; ++i)
        mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->channelCount(), SdlMixer::MaxChannels);
    EXPECT_EQ(mixer->playingCount(), SdlMixer::MaxChannels);
    mixer->stopAllSounds();
    EXPECT_EQ(mixer->playingCount(), 0);
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
