#pragma once
#include "app/StartRoom.h"
#include "platform/OutputFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Writes a run while it is played, as a key script the replay tool reads back exactly
// (docs/ROOMS.md): where it started, every key event at the step whose input poll delivers
// it, the focus changes, the screenshots, the watched room's reloads and the end. Each step's
// lines reach the file when the step ends, so a game killed at any moment leaves a script that
// reads up to its last step. The file holds whole steps only: when the disk fills, it is cut
// back to the last step written whole and the recording stops there, still a run that replays.
class RunRecorder {
  public:
    RunRecorder() = default;
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    // Opens `fileName`, a new file or an existing regular file, and locks it. A link, a pipe, a
    // device, or a file another game is recording to is refused: false with `error` set. An
    // existing file keeps what it holds until the first step is written; a new file is removed
    // again when no step ever was.
    bool open(const std::string& fileName, std::string& error);
    bool isOpen() const { return file.isOpen(); }

    void start(const StartRoom& room, int width, int height, bool fullScreen);
    void key(std::int64_t step, int code, int pressed);
    // Before the input poll of `step`.
    void focus(bool gained, std::int64_t step);
    // The game's screenshot was taken from the frame drawn after `step`.
    void shot(std::int64_t step);
    // The room was read again behind the curtain, during `step`.
    void reload(std::int64_t step);
    // The run is over after `step`, the player in ring room `room` (from 1) at (x, y).
    void end(std::int64_t step, int room, float x, float y);

    // Hands what was noted since the last flush to the system; cheap when nothing was.
    void flush();
    // Every line written so far reached the file.
    bool ok() const { return !writeFailed; }
    // Told once, when the file could not take a step: what failed, naming the file.
    std::function<void(const std::string& message)> reportFailure;

  private:
    void line(const std::string& text);

    OutputFile file;
    std::string fileName;
    std::string pending;
    // Bytes in the file, all of them whole steps; none until the first step empties it.
    std::optional<std::int64_t> written;
    bool writeFailed = false;
};
