#include "platform/SdlPlatform.h"
#include "platform/ImageFile.h"
#include "platform/WindowIcon.h"

#include "definitions/StopRequests.h"

#ifdef _WIN32
#include <SDL_main.h>
#endif

#include <cstdlib>
#include <string_view>

namespace {

// The desktop shows it in the task bar and the window switcher.
void giveIcon(SDL_Window* window) {
    RgbaImage icon;
    if (!decodeImage(WindowIconPng, WindowIconPngSize, icon))
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon.pixels.data(), icon.width, icon.height, 32,
                                                              icon.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface == nullptr)
        return;
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
}

bool showsNothing(std::string_view driver) {
    return driver == "offscreen" || driver == "dummy";
}

// SDL_VIDEODRIVER may name several drivers, separated by commas.
bool namedInList(const char* list, std::string_view driver) {
    std::string_view rest = list != nullptr ? list : "";
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        if (rest.substr(0, comma) == driver)
            return true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return false;
}

} // namespace

SdlSession::~SdlSession() {
    if (started)
        SDL_Quit();
}

bool SdlSession::start(std::string& error) {
    // X11 takes the window class from here, Wayland its application id; a name the
    // user set in the environment wins.
    SDL_setenv("SDL_VIDEO_X11_WMCLASS", "Tallowbrook", 0);
    SDL_setenv("SDL_VIDEO_WAYLAND_WMCLASS", "Tallowbrook", 0);
#ifdef _WIN32
    // Windows takes it from the window class SDL registers: the game's name and class style
    // (redrawn when sized, double clicks, a device context of its own).
    SDL_RegisterApp("Tallowbrook", 0x002B, nullptr);
#endif
    SDL_SetHint(SDL_HINT_APP_NAME, "Marrowgast");
    // The game refuses the screen saver while it runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return false;
    }
    // With no display SDL falls back to a driver that draws into memory: a game nobody sees,
    // running until killed. Only a person who asked for such a driver gets one.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && showsNothing(driver) && !namedInList(std::getenv("SDL_VIDEODRIVER"), driver)) {
        error = std::string("no display to show the game on (SDL found none and fell back to its \"") +
                driver + "\" driver, which shows nothing); run it on a desktop, or set DISPLAY or " +
                "WAYLAND_DISPLAY, or SDL_VIDEODRIVER=" + driver + " to run it unseen";
        SDL_Quit();
        return false;
    }
    started = true;
    return true;
}

SdlWindow::~SdlWindow() {
    if (window)
        SDL_DestroyWindow(window);
}

bool SdlWindow::create(int clientWidth, int clientHeight, std::string& error) {
    window = SDL_CreateWindow("Marrowgast", 0, 0, clientWidth, clientHeight, SDL_WINDOW_SHOWN);
    if (!window) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        return false;
    }
    giveIcon(window);
#ifdef _WIN32
    // SDL puts the client area at (0, 0); the game's window has its frame's corner there.
    int top = 0;
    int left = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, nullptr, nullptr) == 0)
        SDL_SetWindowPosition(window, left, top);
#endif
    SDL_RaiseWindow(window);
    return true;
}

std::int64_t SdlTicks::frequency() {
    return static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
}

std::int64_t SdlTicks::counter() {
    return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
}

WindowMessage windowMessageFor(const SDL_Event& event) {
    if (event.type == SDL_QUIT)
        return WindowMessage::Quit;
    if (event.type != SDL_WINDOWEVENT)
        return WindowMessage::None;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        return WindowMessage::Close;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        return WindowMessage::Activate;
    case SDL_WINDOWEVENT_FOCUS_LOST:
    case SDL_WINDOWEVENT_MINIMIZED:
        return WindowMessage::Deactivate;
#ifdef __EMSCRIPTEN__
    // A page whose tab is hidden is a minimised window: the browser stops its frames, and the
    // time it was away must not be caught up when it comes back.
    case SDL_WINDOWEVENT_HIDDEN:
        return WindowMessage::Deactivate;
    case SDL_WINDOWEVENT_SHOWN:
        return WindowMessage::Activate;
#endif
    default:
        return WindowMessage::None;
    }
}

WindowMessage SdlMessageSource::takeMessage() {
    if (stopRequested())
        return WindowMessage::Quit;
    SDL_PumpEvents();

    // Keys and gamepads in the order they happened; text, mouse and raw joystick events (the
    // pads are read through their controller events) are thrown away on the way.
    SDL_Event input[64];
    int n;
    while ((n = SDL_PeepEvents(input, 64, SDL_GETEVENT, SDL_KEYDOWN, SDL_FINGERDOWN - 1)) > 0) {
        for (int i = 0; i < n; ++i) {
            const Uint32 type = input[i].type;
            if ((type == SDL_KEYDOWN || type == SDL_KEYUP) && onKey)
                onKey(input[i]);
            else if (type >= SDL_CONTROLLERAXISMOTION && onPad)
                onPad(input[i]);
        }
    }

    SDL_Event event;
    if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
        return WindowMessage::None;
    if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET) {
        if (onRenderReset)
            onRenderReset(event.type == SDL_RENDER_DEVICE_RESET);
        return WindowMessage::None;
    }
    return windowMessageFor(event);
}

void SdlMessageSource::waitWhileInactive() {
#ifdef __EMSCRIPTEN__
    // A page must never block: the browser calls the next pass at its next frame.
#else
    SDL_WaitEventTimeout(nullptr, 20);
#endif
}
