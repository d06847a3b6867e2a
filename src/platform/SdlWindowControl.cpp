#include "platform/SdlWindowControl.h"

#include <SDL.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

void SdlWindowControl::setWindowForm(bool fullScreen) {
#ifdef __EMSCRIPTEN__
    // In a browser the page asks for full screen itself, while the key that asked for it still
    // counts as the player's gesture; the canvas keeps its size and the page scales it.
    EM_ASM(
        {
            if (Module.setFullScreen)
                Module.setFullScreen($0 != 0);
        },
        fullScreen);
#else
    if (fullScreen && !(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
        // Without a window manager nobody enlarges the window for full screen, while SDL takes
        // it for the whole desktop and draws for that size: only a corner of the frame would
        // show. Covering the display as a window first makes both true; a window manager's full
        // screen looks the same, and leaving it puts the window back where it was.
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &bounds) == 0) {
            SDL_SetWindowPosition(window, bounds.x, bounds.y);
            SDL_SetWindowSize(window, bounds.w, bounds.h);
        }
    }
    SDL_SetWindowFullscreen(window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
#endif
    SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
}

void SdlWindowControl::windowPosition(int& left, int& top) {
    SDL_GetWindowPosition(window, &left, &top);
}

void SdlWindowControl::placeWindow(int left, int top, int width, int height) {
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) {
        return;
    }
    SDL_SetWindowSize(window, width, height);
    SDL_SetWindowPosition(window, left, top);
}
