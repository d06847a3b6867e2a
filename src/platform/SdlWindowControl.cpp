#include "platform/SdlWindowControl.h"

#include <SDL.h>

#include "platform/system/PageFullScreen.h"

void SdlWindowControl::setWindowForm(bool fullScreen) {
    if (askPageForFullScreen(fullScreen)) {
        SDL_ShowCursor(fullScreen ? SDL_DISABLE : SDL_ENABLE);
        return;
    }
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
