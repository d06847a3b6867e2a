#include "platform/SoundFile.h"
#include "definitions/DataFile.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// Slower sample rates are refused: converting them to the mixer's rate multiplies the
// samples, and a rate of 1 Hz would mean a gigabyte and seconds of work for a tiny file.
constexpr std::uint32_t MinSampleRate = 4000;
// The most a sound may take once converted to the mixer's layout (about 25 minutes).
constexpr double MaxConvertedBytes = 256.0 * 1024 * 1024;

// SDL's WAV loader with its default hints, as the tests measure it. It looks for chunks only
// within the RIFF chunk's length (4 GB of them when that is 0), reads no more than 10,000
// chunks and no more of the format chunk than a Microsoft ADPCM header with 256 coefficients.
constexpr std::uint64_t UnknownRiffLength = 0xFFFFFFFF;
constexpr std::uint32_t MostChunks = 10000;
constexpr std::size_t MostFormatBytes = 1046;
// Its converter takes 1 to 8 channels, and no faster source rate than this.
constexpr std::uint32_t MostChannels = 8;
constexpr std::uint32_t FastestRate = 4194302;

enum Encoding : std::uint32_t {
    Pcm = 1,
    MsAdpcm = 2,
    Float = 3,
    ALaw = 6,
    MuLaw = 7,
    ImaAdpcm = 0x11,
    Extensible = 0xFFFE,
};
// What an extensible header's sub-format shares with every encoding SDL decodes, after its code.
constexpr std::uint8_t SubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                            0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The seven coefficient pairs every Microsoft ADPCM header starts with.
constexpr std::int16_t StandardCoefficients[7][2] = {{256, 0}, {512, -256}, {0, 0},     {192, 64},
                                                     {240, 0}, {460, -208}, {392, -232}};

std::uint32_t readLittleEndian16(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8;
}

std::uint32_t readLittleEndian32(const std::uint8_t* bytes) {
    return readLittleEndian16(bytes) | readLittleEndian16(bytes + 2) << 16;
}

// The samples' layout as a format chunk gives it.
struct SampleLayout {
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t bits = 0;
};

// The samples' size after conversion to 16-bit stereo at the mixer's rate.
double convertedBytes(std::uint32_t length, const SampleLayout& layout) {
    const double frames = static_cast<double>(length) / (std::max<std::uint32_t>(layout.channels, 1) *
                                                         std::max<std::uint32_t>(layout.bits, 8) / 8.0);
    return frames * 4.0 * MixerRate / layout.rate;
}

struct Chunk {
    std::uint64_t offset = 0; // of its contents
    std::uint32_t length = 0;
};

// The chunks up to the first sample chunk, as both readers see them: the game's own test goes by
// the last format chunk before the samples and by the file's size; SDL by the first format chunk,
// the RIFF chunk's length and its count of chunks.
struct WavChunks {
    bool whole = false;
    bool samplesFoundBySdl = false;
    std::optional<Chunk> format;
    Chunk samples;
};

WavChunks walkChunks(SoundBytes& bytes) {
    WavChunks found;
    std::uint8_t header[12] = {};
    if (!bytes.read(0, header, sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        return found;
    const std::uint32_t riffLength = readLittleEndian32(header + 4);
    const std::uint64_t riffEnd = 8 + (riffLength == 0 ? UnknownRiffLength : riffLength);
    const std::uint64_t end = bytes.size();
    std::optional<SampleLayout> layout; // the last full format chunk's
    std::uint32_t chunksFoundBySdl = 0;
    for (std::uint64_t at = sizeof header; at <= end && end - at >= 8;) {
        std::uint8_t chunk[8] = {};
        if (!bytes.read(at, chunk, sizeof chunk))
            break;
        const bool foundBySdl = at < riffEnd && ++chunksFoundBySdl <= MostChunks;
        const std::uint32_t length = readLittleEndian32(chunk + 4);
        const std::uint64_t contents = at + sizeof chunk;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (foundBySdl && !found.format)
                found.format = Chunk{contents, length};
            if (length >= 16) {
                std::uint8_t format[16] = {};
                if (!bytes.read(contents, format, sizeof format))
                    break;
                layout = SampleLayout{readLittleEndian16(format + 2), readLittleEndian32(format + 4),
                                      readLittleEndian16(format + 14)};
            }
        }
        if (std::memcmp(chunk, "data", 4) == 0) {
            found.whole = layout && length <= end - contents && layout->rate >= MinSampleRate &&
                          convertedBytes(length, *layout) <= MaxConvertedBytes;
            found.samplesFoundBySdl = foundBySdl;
            found.samples = Chunk{contents, length};
            break;
        }
        at = contents + length + (length & 1);
    }
    return found;
}

// A block holds 4 bytes of header per channel, then 2 samples a byte; the header holds one.
bool imaAdpcmDecodes(const std::uint8_t* format, std::size_t size, std::uint32_t extension,
                     std::uint32_t channels, std::uint32_t align) {
    if (align < 4 * channels || align % 4 != 0)
        return false;
    if (extension < 2 || size < 20)
        return true;
    return readLittleEndian16(format + 18) <= 1 + (align - 4 * channels) * 2 / channels;
}

// A block holds 7 bytes of header per channel, then 2 samples a byte; the header holds two.
// SDL decodes only whole blocks, and refuses the file when a block's predictor, one byte per
// channel at its start, is past the count of coefficients (the count itself passes).
bool msAdpcmDecodes(SoundBytes& bytes, const Chunk& samples, const std::uint8_t* format, std::size_t size,
                    std::uint32_t extension, std::uint32_t channels, std::uint32_t align) {
    if (channels > 2 || align < 7 * channels || size < 22)
        return false;
    const std::uint32_t samplesPerBlock = readLittleEndian16(format + 18);
    const std::uint32_t coefficients = readLittleEndian16(format + 20);
    const std::uint32_t given = std::min<std::uint32_t>(coefficients, 256);
    if (coefficients < 7 || size < 22 + 4 * given || extension < 4 + 4 * given || samplesPerBlock == 1 ||
        samplesPerBlock > 2 + (align - 7 * channels) * 2 / channels)
        return false;
    for (int pair = 0; pair < 7; ++pair) {
        for (int half = 0; half < 2; ++half) {
            const auto value =
                static_cast<std::int16_t>(readLittleEndian16(format + 22 + 4 * pair + 2 * half));
            if (value != StandardCoefficients[pair][half])
                return false;
        }
    }
    if (coefficients >= 255)
        return true;
    // Whole blocks, read many at a time.
    const std::uint64_t blocks = samples.length / align;
    const std::uint64_t perRead = 65536 / align; // at least 1: a block is at most 65,535 bytes
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(perRead * align));
    for (std::uint64_t block = 0; block < blocks; block += perRead) {
        const std::uint64_t count = std::min(perRead, blocks - block);
        if (!bytes.read(samples.offset + block * align, buffer.data(),
                        static_cast<std::size_t>(count * align)))
            return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            for (std::uint32_t channel = 0; channel < channels; ++channel) {
                if (buffer[static_cast<std::size_t>(i * align + channel)] > coefficients)
                    return false;
            }
        }
    }
    return true;
}

bool sdlDecodes(SoundBytes& bytes, const WavChunks& chunks) {
    if (!chunks.samplesFoundBySdl || !chunks.format || chunks.format->length < 16)
        return false;
    std::uint8_t format[MostFormatBytes] = {};
    const std::size_t size = std::min<std::size_t>(chunks.format->length, MostFormatBytes);
    if (!bytes.read(chunks.format->offset, format, size))
        return false;
    std::uint32_t encoding = readLittleEndian16(format);
    const std::uint32_t channels = readLittleEndian16(format + 2);
    const std::uint32_t rate = readLittleEndian32(format + 4);
    const std::uint32_t align = readLittleEndian16(format + 12);
    const std::uint32_t bits = readLittleEndian16(format + 14);
    const std::uint32_t extension = size >= 18 ? readLittleEndian16(format + 16) : 0;
    if (encoding == Extensible) {
        if (size < 40 || extension < 22 || std::memcmp(format + 28, SubFormatTail, sizeof SubFormatTail) != 0)
            return false;
        encoding = readLittleEndian32(format + 24);
        // SDL takes Microsoft ADPCM's coefficients only from the plain header.
        if (encoding == MsAdpcm)
            return false;
    }
    if (channels == 0 || channels > MostChannels || rate == 0 || rate > FastestRate || align == 0)
        return false;
    // PCM and float blocks must not split a frame.
    const bool wholeFrames = channels * bits % (8 * align) == 0;
    switch (encoding) {
    case Pcm:
        return (bits == 8 || bits == 16 || bits == 24 || bits == 32) && wholeFrames;
    case Float:
        return bits == 32 && wholeFrames;
    case ALaw:
    case MuLaw:
        return bits == 8 && align == channels;
    case ImaAdpcm:
        return bits == 4 && imaAdpcmDecodes(format, size, extension, channels, align);
    case MsAdpcm:
        return bits == 4 && msAdpcmDecodes(bytes, chunks.samples, format, size, extension, channels, align);
    default:
        return false;
    }
}

class DataFileBytes final : public SoundBytes {
  public:
    explicit DataFileBytes(DataFile& file) : file(file) {}
    std::uint64_t size() const override { return file.size(); }
    bool read(std::uint64_t offset, void* into, std::size_t count) override {
        return file.seek(offset) && file.read(into, count) == count;
    }

  private:
    DataFile& file;
};

} // namespace

bool MemorySoundBytes::read(std::uint64_t offset, void* into, std::size_t count) {
    if (offset > length || count > length - offset)
        return false;
    std::copy_n(bytes + offset, count, static_cast<std::uint8_t*>(into));
    return true;
}

bool isWholeWav(SoundBytes& bytes) {
    return walkChunks(bytes).whole;
}

bool isPlayableWav(SoundBytes& bytes) {
    const WavChunks chunks = walkChunks(bytes);
    return chunks.whole && sdlDecodes(bytes, chunks);
}

bool isPlayableWavFile(const std::string& fileName) {
    DataFile file = openDataFile(fileName, MaxSoundFileBytes);
    if (!file)
        return false;
    DataFileBytes bytes(file);
    return isPlayableWav(bytes);
}
