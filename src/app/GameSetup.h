#pragma once
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "app/StartRoom.h"
#include "platform/ImageFile.h"
#include "platform/RecordingWindowControl.h"
#include "sound/Sound.h"

// The program-wide state of one game, made fresh over one data directory (the folder that
// holds res/) and put back when the set-up goes: the world, the display, the graphics with the
// sprite renderer and the image decoder, the sound sink, the random generator, the object
// registry and the data folder. The game, the tools, the benchmarks, the fuzz harnesses and
// the tests all start here.
//
// While a set-up lives its data directory is the data folder (definitions/DataFile.h): every
// res/ name opens there and reads as the room files write it (texture-cache keys and the
// check's messages included), and "screenshot.png" lands beside res/ unless the game names
// another place. The working directory is never changed: names a person typed stay the
// working directory's.
//
// A set-up made while another lives takes the program over (there is one instance of each
// state); when it goes, the world, graphics and display are as new, and the other's data
// folder, sound sink, image decoder and frame hook are back.
class GameSetup {
  public:
    // A headless game in one line: a software drawing device of `width` × `height` with a
    // recording window (no device when the width is 0), silence unless `sound` is given, and
    // the world loaded unless `loadWorld` is false.
    struct Headless {
        int width = 0;
        int height = 0;
        SoundSink* sound = nullptr;
        bool loadWorld = true;
    };

    // Fresh state over the data directory, relative to the working directory when it is not
    // absolute; usable() tells whether it is a directory that can be read from.
    explicit GameSetup(const std::filesystem::path& dataDirectory);
    GameSetup(const std::filesystem::path& dataDirectory, const Headless& headless);
    ~GameSetup();
    GameSetup(const GameSetup&) = delete;
    GameSetup& operator=(const GameSetup&) = delete;

    bool usable() const { return !directoryError; }
    // Why the data directory cannot be used, as the system says it.
    const std::error_code& dataError() const { return directoryError; }
    // Everything asked of the set-up so far succeeded; else error() says what failed first.
    bool ok() const { return usable() && problem.empty(); }
    const std::string& error() const { return problem; }

    // The window the display modes restyle, released before the drawing device. The game's
    // device is installed by initGraphics; the set-up tears it down all the same.
    void useWindow(std::unique_ptr<WindowControl> control);
    // A software device of `width` × `height` and a recording window of that client size, with
    // the display state sized to match. False, with error() set, when SDL cannot make it.
    bool useHeadlessDevice(int width, int height);
    // The window twin of the last headless device, or null.
    RecordingWindowControl* recordingWindow() { return recorder; }

    // Sounds go to `sink` (owned by the caller) or to `owned` until the set-up goes.
    void useSound(SoundSink& sink);
    void useSound(std::unique_ptr<SoundSink> owned);

    // loadWorld over the data directory; false, with error() set to its message, when room 1
    // cannot be read.
    bool loadWorld();
    // After loadWorld: the player into `start`'s room from its side, as a room change would
    // leave it (room 1 from the left is where loadWorld put it: nothing more is read). False,
    // with error() set, when the room's file cannot be read. The game's --room/--side and the
    // replay tool's both start here.
    bool enterStartRoom(const StartRoom& start);
    // Back to just before loadWorld, cold: the world shut down, no texture cached or counted,
    // the random generator and the registry as new. Device, window, sound and data folder stay.
    void restart();

  private:
    void freshState();
    void fail(const std::string& what);

    std::string previousDataFolder;
    ImageSource* previousImages = nullptr;
    void (*previousAfterWorldDrawn)() = nullptr;
    std::error_code directoryError;
    std::string problem;
    ImageFileSource imageFiles;
    std::unique_ptr<WindowControl> window;
    RecordingWindowControl* recorder = nullptr;
    std::unique_ptr<SoundSink> ownedSound;
    SilentSoundSink silence;
    std::optional<ScopedSoundSink> soundScope;
};
