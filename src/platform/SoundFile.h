#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The mixer's layout: every sound is converted to 16-bit stereo at this rate as it loads.
constexpr int MixerRate = 44100;
constexpr int MixerChannels = 2;

// The bytes of a sound, wherever they are kept. The game's loader and the room check read a
// WAV file through this, so both judge it by the same walk over its chunks.
class SoundBytes {
  public:
    virtual ~SoundBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly `count` bytes from `offset`; false when they are not all there.
    virtual bool read(std::uint64_t offset, void* into, std::size_t count) = 0;
};

// Bytes held in memory, not copied: they must outlive this.
class MemorySoundBytes final : public SoundBytes {
  public:
    MemorySoundBytes(const void* bytes, std::size_t size)
        : bytes(static_cast<const std::uint8_t*>(bytes)), length(size) {}
    std::uint64_t size() const override { return length; }
    bool read(std::uint64_t offset, void* into, std::size_t count) override;

  private:
    const std::uint8_t* bytes;
    std::size_t length;
};

// What the game's loader asks before it lets SDL decode a sound: a RIFF WAVE file whose sample
// chunk holds every byte it claims, at 4000 Hz or more, and at most 256 MB once converted to
// the mixer's layout. SDL would set aside a damaged length's gigabytes before reading.
bool isWholeWav(SoundBytes& bytes);

// Whether the game plays these bytes: whole, and in a form SDL 2's WAV loader decodes with its
// default hints and converts to the mixer's layout. Decided without SDL, from the headers and,
// for Microsoft ADPCM, each block's predictor, so the room check needs no SDL and no audio
// device; the tests hold the verdict to the game's loader.
bool isPlayableWav(SoundBytes& bytes);

// The same for a file, opened as the game opens sounds.
bool isPlayableWavFile(const std::string& fileName);
