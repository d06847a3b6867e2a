#pragma once

// Where sound requests go: the SDL mixer in the game, a recorder in tests and tools.
class SoundSink {
  public:
    virtual ~SoundSink() = default;
    // Starts the WAV file at once, over everything already sounding. A file that cannot
    // be loaded is not heard; the caller never learns about it.
    virtual void playSound(const char* fileName) = 0;
    // Every sound stops at once.
    virtual void stopAllSounds() = 0;
};

// What the game runs with when there is no audio device: every request does nothing.
class SilentSoundSink : public SoundSink {
  public:
    void playSound(const char*) override {}
    void stopAllSounds() override {}
};

// The sound subsystem's state, one instance for the whole run. The sink is owned by
// whoever created it (the platform layer at start-up, or a test).
struct SoundGlobals {
    SoundSink* soundPerformance = nullptr;
};

extern SoundGlobals soundGlobals;

// Fire and forget; both do nothing while there is no sink.
void playSound(const char* fileName);
void stopAllSounds();

// Makes `sink` the current sink for its lifetime, then puts back the one before.
class ScopedSoundSink {
  public:
    explicit ScopedSoundSink(SoundSink& sink);
    ~ScopedSoundSink();
    ScopedSoundSink(const ScopedSoundSink&) = delete;
    ScopedSoundSink& operator=(const ScopedSoundSink&) = delete;

  private:
    SoundSink* previous = nullptr;
};
