#include "platform/SdlMixer.h"
#include "definitions/DataFile.h"
#include "platform/SoundFile.h"
#include "platform/system/QuietStandardError.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>

namespace {

constexpr int MixChunkSize = 1024;

bool mixerExists = false;

// A source SDL reads, seen from where it stands.
class SourceBytes final : public SoundBytes {
  public:
    SourceBytes(SDL_RWops* source, Sint64 start, Sint64 end) : source(source), start(start), end(end) {}
    std::uint64_t size() const override { return static_cast<std::uint64_t>(end - start); }
    bool read(std::uint64_t offset, void* into, std::size_t count) override {
        return offset <= size() &&
               SDL_RWseek(source, start + static_cast<Sint64>(offset), RW_SEEK_SET) >= 0 &&
               SDL_RWread(source, into, 1, count) == count;
    }

  private:
    SDL_RWops* source;
    Sint64 start;
    Sint64 end;
};

// Only whole WAV files are sounds. Other formats SDL_mixer knows are refused before decoding,
// and so is a file whose sample chunk claims more bytes than it holds.
bool looksLikeWholeWav(SDL_RWops* source) {
    const Sint64 start = SDL_RWtell(source);
    const Sint64 end = SDL_RWsize(source);
    if (start < 0 || end < start)
        return false;
    SourceBytes bytes(source, start, end);
    const bool whole = isWholeWav(bytes);
    return SDL_RWseek(source, start, RW_SEEK_SET) >= 0 && whole;
}

// A sound file as SDL reads it: it ends at the size the file reported when opened, whatever
// more the file might yield. Seeks past that end succeed, as on any file, and read nothing.
struct SoundFileSource {
    DataFile file;
    Sint64 position = 0;
};

SoundFileSource& soundSourceOf(SDL_RWops* context) {
    return *static_cast<SoundFileSource*>(context->hidden.unknown.data1);
}

Sint64 SDLCALL soundSourceSize(SDL_RWops* context) {
    return static_cast<Sint64>(soundSourceOf(context).file.size());
}

Sint64 SDLCALL soundSourceSeek(SDL_RWops* context, Sint64 offset, int whence) {
    SoundFileSource& source = soundSourceOf(context);
    const Sint64 base = whence == RW_SEEK_SET   ? 0
                        : whence == RW_SEEK_CUR ? source.position
                                                : static_cast<Sint64>(source.file.size());
    if ((whence != RW_SEEK_SET && whence != RW_SEEK_CUR && whence != RW_SEEK_END) || offset < -base ||
        offset > INT64_MAX - base)
        return SDL_SetError("bad seek in a sound file");
    source.position = base + offset;
    return source.position;
}

size_t SDLCALL soundSourceRead(SDL_RWops* context, void* into, size_t size, size_t count) {
    SoundFileSource& source = soundSourceOf(context);
    if (size == 0 || count > SIZE_MAX / size ||
        static_cast<std::uintmax_t>(source.position) >= source.file.size() ||
        !source.file.seek(static_cast<std::uintmax_t>(source.position)))
        return 0;
    const std::size_t got = source.file.read(into, size * count);
    source.position += static_cast<Sint64>(got);
    return got / size;
}

size_t SDLCALL soundSourceWrite(SDL_RWops*, const void*, size_t, size_t) {
    SDL_SetError("sound files are read only");
    return 0;
}

int SDLCALL soundSourceClose(SDL_RWops* context) {
    delete &soundSourceOf(context);
    SDL_FreeRW(context);
    return 0;
}

SDL_RWops* openSoundFile(const char* fileName) {
    auto opened = std::make_unique<SoundFileSource>();
    opened->file = openDataFile(fileName, MaxSoundFileBytes);
    if (!opened->file)
        return nullptr;
    SDL_RWops* source = SDL_AllocRW();
    if (source == nullptr)
        return nullptr;
    source->size = soundSourceSize;
    source->seek = soundSourceSeek;
    source->read = soundSourceRead;
    source->write = soundSourceWrite;
    source->close = soundSourceClose;
    source->hidden.unknown.data1 = opened.release();
    return source;
}

MixChunkPtr loadWavFrom(SDL_RWops* source) {
    if (source == nullptr)
        return {};
    if (!looksLikeWholeWav(source)) {
        SDL_RWclose(source);
        return {};
    }
    return MixChunkPtr(Mix_LoadWAV_RW(source, 1));
}

} // namespace

MixChunkPtr loadWav(const void* bytes, std::size_t size) {
    if (bytes == nullptr || size == 0 || size > static_cast<std::size_t>(INT_MAX))
        return {};
    return loadWavFrom(SDL_RWFromConstMem(bytes, static_cast<int>(size)));
}

MixChunkPtr loadWavFile(const char* fileName) {
    if (fileName == nullptr)
        return {};
    return loadWavFrom(openSoundFile(fileName));
}

bool SdlAudioSubsystem::open(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = std::string("SDL audio: ") + SDL_GetError();
        return false;
    }
    opened = true;
    return true;
}

SdlAudioSubsystem::~SdlAudioSubsystem() {
    if (opened)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool MixerDevice::open(std::string& error) {
    if (Mix_OpenAudio(MixerRate, AUDIO_S16SYS, MixerChannels, MixChunkSize) != 0) {
        error = std::string("sound mixer: ") + Mix_GetError();
        return false;
    }
    opened = true;
    return true;
}

MixerDevice::~MixerDevice() {
    if (opened)
        Mix_CloseAudio();
}

SdlMixer::SdlMixer() {
    mixerExists = true;
}

SdlMixer::~SdlMixer() {
    if (device.isOpen())
        SdlMixer::stopAllSounds();
    refusedSounds.clear();
    loadedSounds.clear();
    mixerExists = false;
}

void SdlMixer::playSound(const char* fileName) {
    if (fileName == nullptr)
        return;
    Mix_Chunk* chunk = nullptr;
    if (auto found = loadedSounds.find(fileName); found != loadedSounds.end()) {
        chunk = found->second.get();
    } else {
        // Failures are not kept: a file that appears later is heard from then on.
        MixChunkPtr loaded = loadWavFile(fileName);
        if (!loaded)
            return;
        chunk = loadedSounds.emplace(fileName, std::move(loaded)).first->second.get();
    }
    if (refusedSounds.count(chunk) != 0)
        return;
    if (Mix_PlayChannel(-1, chunk, 0) >= 0)
        return;
    const int channels = Mix_AllocateChannels(-1);
    if (Mix_Playing(-1) < channels) {
        // A free channel and still refused: the mixer will not play this sound, ever.
        refusedSounds.insert(chunk);
        return;
    }
    // Every channel is sounding: make room and start again, up to the ceiling.
    if (channels >= MaxChannels)
        return;
    Mix_AllocateChannels(channels > 0 ? std::min(channels * 2, MaxChannels) : InitialChannels);
    if (Mix_PlayChannel(-1, chunk, 0) < 0)
        refusedSounds.insert(chunk);
}

void SdlMixer::stopAllSounds() {
    Mix_HaltChannel(-1);
}

void SdlMixer::forgetSounds() {
    Mix_HaltChannel(-1);
    refusedSounds.clear();
    loadedSounds.clear();
}

int SdlMixer::channelCount() const {
    return Mix_AllocateChannels(-1);
}

int SdlMixer::playingCount() const {
    return Mix_Playing(-1);
}

std::unique_ptr<SdlMixer> createSdlMixer(std::string& error) {
    if (mixerExists) {
        error = "sound mixer: already open";
        return {};
    }
    std::unique_ptr<SdlMixer> mixer(new SdlMixer());
    // The game says in one line of its own whether it plays with sound; the audio libraries'
    // complaints while a device is looked for go nowhere.
    QuietStandardError hushed;
    if (!mixer->audio.open(error) || !mixer->device.open(error))
        return {};
    Mix_AllocateChannels(SdlMixer::InitialChannels);
    return mixer;
}

std::unique_ptr<SoundSink> initSound(std::ostream& diagnostics) {
    std::string error;
    if (std::unique_ptr<SdlMixer> mixer = createSdlMixer(error))
        return mixer;
    diagnostics << "marrowgast: playing without sound (" << error << ")\n";
    return std::make_unique<SilentSoundSink>();
}
