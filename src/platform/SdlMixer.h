#pragma once
#include "sound/Sound.h"

#include <SDL_mixer.h>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>

struct MixChunkDeleter {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using MixChunkPtr = std::unique_ptr<Mix_Chunk, MixChunkDeleter>;

// The one WAV loader of the sound layer, for bytes in memory and for files. Anything
// that is not a RIFF WAVE file SDL can decode gives null, as does a call while no mixer
// is open (sounds are converted to the mixer's format as they load).
MixChunkPtr loadWav(const void* bytes, std::size_t size);
MixChunkPtr loadWavFile(const char* fileName);

// SDL's audio subsystem for as long as it lives.
class SdlAudioSubsystem {
  public:
    SdlAudioSubsystem() = default;
    ~SdlAudioSubsystem();
    SdlAudioSubsystem(const SdlAudioSubsystem&) = delete;
    SdlAudioSubsystem& operator=(const SdlAudioSubsystem&) = delete;
    bool open(std::string& error);

  private:
    bool opened = false;
};

// SDL_mixer's audio device for as long as it lives.
class MixerDevice {
  public:
    MixerDevice() = default;
    ~MixerDevice();
    MixerDevice(const MixerDevice&) = delete;
    MixerDevice& operator=(const MixerDevice&) = delete;
    bool open(std::string& error);
    bool isOpen() const { return opened; }

  private:
    bool opened = false;
};

// The game's sound sink: SDL_mixer, one channel per sounding copy, more channels
// whenever all are busy. Decoded sounds are kept by file name for the whole run.
class SdlMixer : public SoundSink {
  public:
    static constexpr int InitialChannels = 16;
    // Enough for every robot's beam at once in any room an author would write.
    static constexpr int MaxChannels = 256;

    ~SdlMixer() override;
    SdlMixer(const SdlMixer&) = delete;
    SdlMixer& operator=(const SdlMixer&) = delete;

    void playSound(const char* fileName) override;
    void stopAllSounds() override;
    // Stops everything and drops every decoded or refused sound, so each file is read again
    // when it is next played (the world harness replaces sound files between inputs).
    void forgetSounds();

    int channelCount() const;
    int playingCount() const;

  private:
    friend std::unique_ptr<SdlMixer> createSdlMixer(std::string& error);
    SdlMixer();

    // Declared in the order they come up; they go down in reverse.
    SdlAudioSubsystem audio;
    MixerDevice device;
    std::map<std::string, MixChunkPtr, std::less<>> loadedSounds;
    // Sounds the mixer would not start with a channel free; they are not asked again.
    std::set<const Mix_Chunk*> refusedSounds;
};

// Opens SDL's audio and the mixer. On failure gives null and says why in `error`.
// Only one mixer can be open at a time.
std::unique_ptr<SdlMixer> createSdlMixer(std::string& error);

// The sink the game plays through: the SDL mixer, or, when there is no audio device or
// sound server, a silent sink after one line on `diagnostics`. A game without sound
// still runs; its sounds are simply not heard.
std::unique_ptr<SoundSink> initSound(std::ostream& diagnostics);
