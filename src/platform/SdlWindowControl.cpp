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

void RecordingWindowControl::setWindowForm(bool toFullScreen) {
    fullScreen = toFullScreen;
    calls.emplace_back(toFullScreen ? "form full screen" : "form windowed");
}

void RecordingWindowControl::windowPosition(int& outLeft, int& outTop) {
    outLeft = left;
    outTop = top;
    calls.emplace_back("position");
}

void RecordingWindowControl::placeWindow(int newLeft, int newTop, int newWidth, int newHeight) {
    left = newLeft;
    top = newTop;
    width = newWidth;
    height = newHeight;
    calls.push_back("place " + std::to_string(newLeft) + " " + std::to_string(newTop) + " " +
                    std::to_string(newWidth) + " " + std::to_string(newHeight));
}
