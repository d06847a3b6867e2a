#include "platform/SdlWindowControl.h"

#include <SDL.h>

void SdlWindowControl::setWindowForm(bool fullScreen) {
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
