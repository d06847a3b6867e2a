#include "platform/SdlMixer.h"
#include "platform/SoundFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A mono 16-bit PCM WAV of a quiet tone.
std::vector<std::uint8_t> makeWav(int sampleRate, float seconds) {
    const auto samples = static_cast<std::uint32_t>(static_cast<float>(sampleRate) * seconds);
    const std::uint32_t dataBytes = samples * 2;
    std::vector<std::uint8_t> wav;
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    putLittleEndian(wav, 36 + dataBytes, 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLittleEndian(wav, 16, 4);
    putLittleEndian(wav, 1, 2); // PCM
    putLittleEndian(wav, 1, 2); // mono
    putLittleEndian(wav, static_cast<std::uint32_t>(sampleRate), 4);
    putLittleEndian(wav, static_cast<std::uint32_t>(sampleRate) * 2, 4);
    putLittleEndian(wav, 2, 2);
    putLittleEndian(wav, 16, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    putLittleEndian(wav, dataBytes, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const auto sample = static_cast<std::int16_t>(1000.0 * std::sin(static_cast<double>(i) * 0.05));
        putLittleEndian(wav, static_cast<std::uint16_t>(sample), 2);
    }
    return wav;
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

TEST_F(SdlMixerTest, MissingAndCorruptFilesAreSkippedWithoutEffect) {
    std::vector<std::uint8_t> truncated = makeWav(22050, 0.5f);
    truncated.resize(30); // cut inside the format chunk
    std::vector<std::uint8_t> badFormat = makeWav(22050, 0.5f);
    badFormat[20] = 0x77; // an encoding nobody knows
    const std::string good = put(dir, "good.wav", makeWav(22050, 3.0f));
    const std::string names[] = {
        dir.path("missing.wav"),
        put(dir, "empty.wav", {}),
        put(dir, "truncated.wav", truncated),
        put(dir, "badformat.wav", badFormat),
        put(dir, "text.wav", {'h', 'e', 'l', 'l', 'o'}),
        dir.path(""), // a directory
    };
    mixer->playSound(good.c_str());
    for (const std::string& name : names)
        mixer->playSound(name.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
}

TEST_F(SdlMixerTest, AFileThatAppearsLaterIsHeardFromThenOn) {
    const std::string later = dir.path("later.wav");
    mixer->playSound(later.c_str());
    EXPECT_EQ(mixer->playingCount(), 0);
    put(dir, "later.wav", makeWav(22050, 3.0f));
    mixer->playSound(later.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
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
    std::vector<std::uint8_t> samplesCut = wav;
    samplesCut.resize(wav.size() - 2);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool loads;
    };
    const Case cases[] = {
        {"valid", wav, true},
        {"chunk before the samples", withList, true},
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

TEST_F(SdlMixerTest, TheLoaderSurvivesDamagedFiles) {
    const std::vector<std::uint8_t> wav = makeWav(8000, 0.02f);
    std::uint32_t seed = 1;
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return (seed >> 16) & 0x7FFFu;
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> damaged = wav;
        const int hits = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < hits; ++i)
            damaged[next() % 44] = static_cast<std::uint8_t>(next());
        damaged.resize(damaged.size() - next() % damaged.size());
        loadWav(damaged.data(), damaged.size()); // any result but a crash will do
    }
}

TEST_F(SdlMixerTest, OnlyOneMixerIsOpenAtATime) {
    std::string error;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_FALSE(error.empty());
    mixer.reset();
    std::unique_ptr<SdlMixer> again = createSdlMixer(error);
    EXPECT_NE(again, nullptr) << error;
}

TEST(SdlMixerWithoutDevice, LoaderRefusesWhileNoMixerIsOpen) {
    const std::vector<std::uint8_t> wav = makeWav(11025, 0.1f);
    EXPECT_EQ(loadWav(wav.data(), wav.size()), nullptr);
}

// Sets an environment variable for the test's lifetime.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name(name) {
        if (const char* old = std::getenv(name)) {
            hadValue = true;
            previous = old;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        if (hadValue)
            setenv(name, previous.c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    const char* name;
    bool hadValue = false;
    std::string previous;
};

TEST(SdlMixerWithoutDevice, TheGamePlaysSilentlyWhenAudioCannotOpen) {
    ScopedEnvironment noDriver("SDL_AUDIODRIVER", "no-such-driver");
    std::string error;
    EXPECT_EQ(createSdlMixer(error), nullptr);
    EXPECT_NE(error.find("no-such-driver"), std::string::npos) << error;

    std::ostringstream diagnostics;
    std::unique_ptr<SoundSink> sink = initSound(diagnostics);
    ASSERT_NE(sink, nullptr);
    const std::string said = diagnostics.str();
    EXPECT_NE(said.find("without sound"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    ScopedSoundSink installed(*sink);
    playSound("res/sound/laser.wav");
    stopAllSounds();
}

TEST(SdlMixerWithDevice, InitSoundGivesTheMixerAndSaysNothing) {
    std::ostringstream diagnostics;
    std::unique_ptr<SoundSink> sink = initSound(diagnostics);
    ASSERT_NE(sink, nullptr);
    if (dynamic_cast<SdlMixer*>(sink.get()) == nullptr)
        GTEST_SKIP() << "no audio device here: " << diagnostics.str();
    EXPECT_TRUE(diagnostics.str().empty());
}

} // namespace

TEST_F(SdlMixerTest, NonAsciiFileNamesAreOpenedByteForByte) {
    // UTF-8 and a lone Latin-1 byte: SDL must not reinterpret the name.
    const std::string utf8 = put(dir, "t\xc3\xb6n.wav", makeWav(22050, 3.0f));
    const std::string latin1 = put(dir, "\xe9t\xe9.wav", makeWav(22050, 3.0f));
    mixer->playSound(utf8.c_str());
    mixer->playSound(latin1.c_str());
    EXPECT_EQ(mixer->playingCount(), 2);
}

TEST_F(SdlMixerTest, ASoundTheMixerRefusesIsDroppedAndGrowsNoChannels) {
    // Samples of no length load, but the mixer will not start them.
    const std::string silent = put(dir, "silent.wav", makeWav(22050, 0.0f));
    for (int i = 0; i < 40; ++i)
        mixer->playSound(silent.c_str());
    EXPECT_EQ(mixer->playingCount(), 0);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
}

TEST_F(SdlMixerTest, CopiesOfOneSoundOverlapOnChannelsGrownUpToTheCeiling) {
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

TEST_F(SdlMixerTest, SampleRatesFrom4000HzArePlayable) {
    const std::string slowest = put(dir, "slowest.wav", makeWav(4000, 0.1f));
    const std::string tooSlow = put(dir, "tooslow.wav", makeWav(3999, 0.1f));
    EXPECT_TRUE(isPlayableWavFile(slowest));
    EXPECT_FALSE(isPlayableWavFile(tooSlow));
}
