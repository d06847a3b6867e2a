#include "app/FrameLoop.h"

void windowProcedure(Engine& engine, WindowMessage message, FrameHooks& hooks) {
    switch (message) {
    case WindowMessage::Activate:
    case WindowMessage::Deactivate:
        engine.windowActive = message == WindowMessage::Activate;
        hooks.setKeyboardActive(engine.windowActive);
        if (!engine.windowActive)
            hooks.stopAllSounds();
        break;
    case WindowMessage::Close:
    case WindowMessage::Quit:
        engine.quitLoop = true;
        break;
    case WindowMessage::None:
        break;
    }
}

bool runFramePass(Engine& engine, MessageSource& messages, FrameHooks& hooks) {
    windowProcedure(engine, messages.takeMessage(), hooks);

    engine.prevTime = engine.curTime;
    double t = engine.clock.readClock();
    if (t >= ClockShiftAt) {
        // The same whole seconds off both times leave the delta as it was; the previous
        // time, in [1024, 2048) in steady play, loses 1024 exactly.
        const std::int64_t shift = static_cast<std::int64_t>(t) / ClockShift * ClockShift;
        engine.clock.moveOrigin(shift);
        t = engine.clock.readClock();
        engine.prevTime = engine.prevTime - static_cast<float>(shift);
    }
    engine.curTime = static_cast<float>(t);
    engine.frameDelta = static_cast<float>(t - static_cast<double>(engine.prevTime));

    if (engine.quitLoop)
        return false;
    if (!engine.windowActive) {
        // Inactive time is dropped, so waiting here changes nothing the game can see.
        messages.waitWhileInactive();
        return true;
    }

    engine.stepAccumulator = engine.stepAccumulator + engine.frameDelta;
    while (engine.stepAccumulator >= FixedStep && !engine.quitLoop) {
        engine.stepAccumulator = engine.stepAccumulator - FixedStep;
        hooks.pollInput();
        engine.quitLoop = hooks.updateWorld() != 0;
    }

    hooks.beginFrame();
    hooks.renderWorld();
    hooks.endFrame();
    return !engine.quitLoop;
}

void runFrameLoop(Engine& engine, MessageSource& messages, FrameHooks& hooks) {
    while (!engine.quitLoop && runFramePass(engine, messages, hooks)) {
    }
}
