#pragma once
#include "sound/Sound.h"

#include <string>
#include <vector>

// The headless twin of the mixer: it plays nothing and remembers every request in order.
class RecordingSoundSink : public SoundSink {
  public:
    struct Request {
        enum class Kind { Play, StopAll };
        Kind kind = Kind::Play;
        std::string fileName; // empty for StopAll
        bool operator==(const Request&) const = default;
    };

    void playSound(const char* fileName) override;
    void stopAllSounds() override;

    const std::vector<Request>& requests() const { return recorded; }
    void clear() { recorded.clear(); }

    // One line per request as a trace shows it: "sound=PATH" or "stop".
    static std::string traceLine(const Request& request);

  private:
    std::vector<Request> recorded;
};
