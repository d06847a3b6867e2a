#pragma once

// The window messages the game reacts to; everything else is handled by the platform.
enum class WindowMessage { None, Quit, Close, Activate, Deactivate };

// The platform's message queue. `takeMessage` pumps the platform's events, moves key
// events into the keyboard buffer and hands back at most one window message.
class MessageSource {
  public:
    virtual ~MessageSource() = default;
    virtual WindowMessage takeMessage() = 0;
    // Called while the window is inactive: may block briefly until something happens.
    virtual void waitWhileInactive() {}
};
