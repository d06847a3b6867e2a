#pragma once
#include "app/Clock.h"
#include "definitions/FixedStep.h"
#include "platform/MessageSource.h"

// What the frame loop drives. The game wires these to the world, graphics, keyboard
// and sound; tests wire them to recorders.
class FrameHooks {
  public:
    virtual ~FrameHooks() = default;
    virtual void pollInput() = 0;
    virtual int updateWorld() = 0;
    virtual void beginFrame() = 0;
    virtual void renderWorld() = 0;
    virtual void endFrame() = 0;
    virtual void setKeyboardActive(bool active) = 0;
    virtual void stopAllSounds() = 0;
};

// The frame loop's own state, one instance for the whole run.
struct Engine {
    bool windowActive = true;
    bool quitLoop = false;
    float prevTime = 0.0f;
    float curTime = 0.0f;
    float frameDelta = 0.0f;
    float stepAccumulator = 0.0f;
    Clock clock;
};

// The loop's times are floats counted from the clock's origin; their spacing grows with the
// time since start and each pass adds the rounding of the previous reading to the steps. From
// this reading on, the origin moves forward by whole multiples of `ClockShift` seconds, so
// the times stay below it and as fine as in the first half hour, when nothing moves.
inline constexpr double ClockShiftAt = 1800.0;
inline constexpr std::int64_t ClockShift = 1024;

// Reacts to one window message: activation, deactivation and close.
void windowProcedure(Engine& engine, WindowMessage message, FrameHooks& hooks);

// One pass: at most one message, the clock, the fixed steps the accumulated time allows, then
// exactly one frame while active. False once the loop is over. A browser calls it once per
// animation frame; `runFrameLoop` calls it in a loop.
bool runFramePass(Engine& engine, MessageSource& messages, FrameHooks& hooks);

// Runs passes until `quitLoop` is set: at most one message, the clock, the fixed
// steps the accumulated time allows, then exactly one frame while active.
void runFrameLoop(Engine& engine, MessageSource& messages, FrameHooks& hooks);
