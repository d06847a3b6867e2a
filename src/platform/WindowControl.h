#pragma once

// Restyling and placing the game window, for the display-mode commands. The platform implements
// it with SDL; tests and tools use a twin that records.
class WindowControl {
  public:
    virtual ~WindowControl() = default;
    // A captioned window, or a borderless one covering the whole display with the cursor hidden.
    virtual void setWindowForm(bool fullScreen) = 0;
    // Top left corner of the client area, in screen coordinates.
    virtual void windowPosition(int& left, int& top) = 0;
    // Client area `width` × `height` at (left, top); a full-screen window keeps covering the display.
    virtual void placeWindow(int left, int top, int width, int height) = 0;
};
