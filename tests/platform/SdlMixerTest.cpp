#include "platform/SdlMixer.h"
#include "platform/SoundFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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

class TempDir {
  public:
    TempDir() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("marrowgast_" + std::string(test->test_suite_name()) + "_" + test->name());
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const auto file = path / name;
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    std::filesystem::path path;
};

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

TEST_F(SdlMixerTest, CopiesOfOneSoundOverlapBeyondTheChannelsOpenedAtStart) {
    ASSERT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
    const std::string laser = dir.write("laser.wav", makeWav(22050, 3.0f));
    const int copies = SdlMixer::InitialChannels + 5;
    for (int i = 0; i < copies; ++i)
        mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->playingCount(), copies);
    EXPECT_GE(mixer->channelCount(), copies);

    mixer->stopAllSounds();
    EXPECT_EQ(mixer->playingCount(), 0);
}

TEST_F(SdlMixerTest, MissingAndCorruptFilesAreSkippedWithoutEffect) {
    std::vector<std::uint8_t> truncated = makeWav(22050, 0.5f);
    truncated.resize(30); // cut inside the format chunk
    std::vector<std::uint8_t> badFormat = makeWav(22050, 0.5f);
    badFormat[20] = 0x77; // an encoding nobody knows
    const std::string good = dir.write("good.wav", makeWav(22050, 3.0f));
    const std::string names[] = {
        (dir.path / "missing.wav").string(),
        dir.write("empty.wav", {}),
        dir.write("truncated.wav", truncated),
        dir.write("badformat.wav", badFormat),
        dir.write("text.wav", {'h', 'e', 'l', 'l', 'o'}),
        dir.path.string(), // a directory
    };
    mixer->playSound(good.c_str());
    for (const std::string& name : names)
        mixer->playSound(name.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
}

TEST_F(SdlMixerTest, AFileThatAppearsLaterIsHeardFromThenOn) {
    const auto later = (dir.path / "later.wav").string();
    mixer->playSound(later.c_str());
    EXPECT_EQ(mixer->playingCount(), 0);
    dir.write("later.wav", makeWav(22050, 3.0f));
    mixer->playSound(later.c_str());
    EXPECT_EQ(mixer->playingCount(), 1);
}

TEST_F(SdlMixerTest, TheLoaderTakesValidWavBytesAndRefusesEverythingElse) {
    const std::vector<std::uint8_t> wav = makeWav(11025, 0.1f);
    EXPECT_NE(loadWav(wav.data(), wav.size()), nullptr);

    EXPECT_EQ(loadWav(nullptr, 0), nullptr);
    EXPECT_EQ(loadWav(wav.data(), 0), nullptr);
    for (std::size_t cut : {4u, 11u, 12u, 20u, 36u, 43u})
        EXPECT_EQ(loadWav(wav.data(), cut), nullptr) << "cut at " << cut;

    std::vector<std::uint8_t> hugeChunk = wav;
    hugeChunk[16] = 0xFF; // format chunk claims four gigabytes
    hugeChunk[17] = 0xFF;
    hugeChunk[18] = 0xFF;
    hugeChunk[19] = 0xFF;
    EXPECT_EQ(loadWav(hugeChunk.data(), hugeChunk.size()), nullptr);

    const std::uint8_t ogg[] = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(loadWav(ogg, sizeof ogg), nullptr);
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

TEST_F(SdlMixerTest, AWavWhoseSamplesAreCutShortIsRefused) {
    std::vector<std::uint8_t> wav = makeWav(8000, 0.1f);
    wav.resize(wav.size() - 2);
    EXPECT_EQ(loadWav(wav.data(), wav.size()), nullptr);
    std::vector<std::uint8_t> boasting = makeWav(8000, 0.1f);
    boasting[43] = 0xCC; // the data chunk claims three gigabytes
    EXPECT_EQ(loadWav(boasting.data(), boasting.size()), nullptr);
}

TEST_F(SdlMixerTest, ChunksBeforeTheSamplesAreSkipped) {
    std::vector<std::uint8_t> wav = makeWav(8000, 0.1f);
    // A three-byte "LIST" chunk (padded to four) between the format and the samples.
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    wav.insert(wav.begin() + 36, std::begin(list), std::end(list));
    EXPECT_NE(loadWav(wav.data(), wav.size()), nullptr);
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
    const std::string utf8 = dir.write("t\xc3\xb6n.wav", makeWav(22050, 3.0f));
    const std::string latin1 = dir.write("\xe9t\xe9.wav", makeWav(22050, 3.0f));
    mixer->playSound(utf8.c_str());
    mixer->playSound(latin1.c_str());
    EXPECT_EQ(mixer->playingCount(), 2);
}

TEST_F(SdlMixerTest, ASoundTheMixerRefusesIsDroppedAndGrowsNoChannels) {
    // Samples of no length load, but the mixer will not start them.
    const std::string silent = dir.write("silent.wav", makeWav(22050, 0.0f));
    for (int i = 0; i < 40; ++i)
        mixer->playSound(silent.c_str());
    EXPECT_EQ(mixer->playingCount(), 0);
    EXPECT_EQ(mixer->channelCount(), SdlMixer::InitialChannels);
}

TEST_F(SdlMixerTest, ChannelsGrowOnlyUpToTheCeiling) {
    const std::string laser = dir.write("laser.wav", makeWav(22050, 3.0f));
    for (int i = 0; i < SdlMixer::MaxChannels + 20; ++i)
        mixer->playSound(laser.c_str());
    EXPECT_EQ(mixer->channelCount(), SdlMixer::MaxChannels);
    EXPECT_EQ(mixer->playingCount(), SdlMixer::MaxChannels);
}

TEST_F(SdlMixerTest, SampleRatesBelow4000HzAreRefused) {
    const std::vector<std::uint8_t> slowest = makeWav(4000, 0.1f);
    EXPECT_NE(loadWav(slowest.data(), slowest.size()), nullptr);
    EXPECT_TRUE(isPlayableWavFile(dir.write("slowest.wav", slowest)));
    const std::vector<std::uint8_t> tooSlow = makeWav(3999, 0.1f);
    EXPECT_EQ(loadWav(tooSlow.data(), tooSlow.size()), nullptr);
    EXPECT_FALSE(isPlayableWavFile(dir.write("tooslow.wav", tooSlow)));
    const std::vector<std::uint8_t> oneHertz = makeWav(1, 20000.0f);
    EXPECT_EQ(loadWav(oneHertz.data(), oneHertz.size()), nullptr);
}
