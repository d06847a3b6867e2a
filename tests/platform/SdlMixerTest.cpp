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
#include <optional>
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

TEST_F(SdlMixerTest, TheLoaderTakesValidWavBytesAndRefusesEverythingElse) {
    const std::vector<std::uint8_t> wav = makeWav(11025, 0.1f);
    std::vector<std::uint8_t> withList = wav;
    // A three-byte "LIST" chunk (padded to four) between the format and the samples.
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    withList.insert(withList.begin() + 36, std::begin(list), std::end(list));
    std::vector<std::uint8_t> hugeFormat = makeWav(11025, 0.1f);
    hugeFormat[16] = hugeFormat[17] = hugeFormat[18] = hugeFormat[19] = 0xFF;
    std::vector<std::uint8_t> hugeData = makeWav(11025, 0.1f);
    hugeData[43] = 0xCC;
    std::vector<std::uint8_t> samplesCut = wav; // the samples' chunk ends one byte past the file
    samplesCut.resize(wav.size() - 1);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool loads;
    };
    const Case cases[] = {
        {"valid", wav, true},
        {"chunk before the samples", withList, true},
        {"no samples", makeWav(11025, 0.0f), true},
        {"4000 Hz", makeWav(4000, 0.1f), true},
        {"3999 Hz", makeWav(3999, 0.1f), false},
        {"1 Hz", makeWav(1, 20000.0f), false},
        {"format chunk of four gigabytes", hugeFormat, false},
        {"data chunk of three gigabytes", hugeData, false},
        {"samples cut short", samplesCut, false},
        {"ogg", {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadWav(c.bytes.data(), c.bytes.size()) != nullptr, c.loads) << c.what;
    EXPECT_EQ(loadWav(nullptr, 0), nullptr);
    for (std::size_t cut : {0u, 4u, 11u, 12u, 20u, 36u, 43u})
        EXPECT_EQ(loadWav(wav.data(), cut), nullptr) << "cut at " << cut;
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

#ifdef __unix__
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

#endif

TEST(SdlMixerWithoutDevice, TheGamePlaysSilentlyWhenAudioCannotOpen) {
#ifndef __unix__
    GTEST_SKIP() << "the audio driver is named in the environment the POSIX way";
#else
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
#endif
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
