#include "platform/RecordingWindowControl.h"

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
