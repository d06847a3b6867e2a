#pragma once
// The window, its events and the performance counter, on SDL2.
#include "platform/MessageSource.h"
#include "platform/TickSource.h"

#include <SDL.h>

#include <functional>
#include <string>

// SDL itself: initialised for video and events for the life of this object.
class SdlSession {
  public:
    SdlSession() = default;
    ~SdlSession();
    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;

    // Names the window class "Tallowbrook" where the platform has one, keeps the screen
    // saver off, and starts SDL's video. False with `error` set when SDL cannot start, or
    // when the only driver it found shows nothing ("offscreen", "dummy") and SDL_VIDEODRIVER
    // did not ask for it: there is no display.
    bool start(std::string& error);

  private:
    bool started = false;
};

// The game window: "Marrowgast", a client area of the given size at the top left of the
// screen, not resizable, shown and active.
class SdlWindow {
  public:
    SdlWindow() = default;
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    bool create(int clientWidth, int clientHeight, std::string& error);
    SDL_Window* handle() const { return window; }

  private:
    SDL_Window* window = nullptr;
};

class SdlTicks : public TickSource {
  public:
    std::int64_t frequency() override;
    std::int64_t counter() override;
};

// The window's message queue as the frame loop sees it. Each pass pumps SDL's events,
// hands every key event to `onKey` (repeats included: the keyboard drops them) and every
// game-controller event to `onPad`, in order, throws away mouse, text and joystick events,
// and turns at most one other event into a window message.
class SdlMessageSource : public MessageSource {
  public:
    std::function<void(const SDL_Event&)> onKey;
    std::function<void(const SDL_Event&)> onPad;
    // SDL dropped the renderer's targets, or the whole device with its textures.
    std::function<void(bool allTexturesLost)> onRenderReset;

    WindowMessage takeMessage() override;
    void waitWhileInactive() override;
};

// What one SDL event means to the frame loop.
WindowMessage windowMessageFor(const SDL_Event& event);
