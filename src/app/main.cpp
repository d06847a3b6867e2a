// Marrowgast: start-up, the frame loop, and the releases at exit.
#include "app/DisplayMode.h"
#include "app/FrameLoop.h"
#include "app/GameHooks.h"
#include "graphics/Graphics.h"
#include "input/Keyboard.h"
#include "platform/SdlDrawingDevice.h"
#include "platform/SdlKeyboard.h"
#include "platform/SdlMixer.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlWindowControl.h"
#include "sound/Sound.h"
#include "world/World.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "marrowgast: %s\n", what.c_str());
    return 1;
}

// Textures go before the drawing device, and the device before SDL.
struct GraphicsRelease {
    ~GraphicsRelease() { shutdownGraphics(); }
};

} // namespace

int main() {
    // Declared in the order of start-up, so they are released in reverse: sound, keyboard,
    // drawing device, window, SDL.
    std::string error;
    SdlSession sdl;
    if (!sdl.start(error))
        return fail(error);
    SdlWindow window;
    if (!window.create(theDisplay.displayWidth, theDisplay.displayHeight, error))
        return fail(error);

    GraphicsRelease graphicsRelease;
    error = initGraphics(window.handle(), theDisplay.displayWidth, theDisplay.displayHeight);
    if (!error.empty())
        return fail(error);
    SdlWindowControl windowControl(window.handle());
    theDisplay.window = &windowControl;

    InputState input;
    initInput(input);

    // No sound card is no reason not to play: the game then runs silently.
    std::unique_ptr<SoundSink> sound = initSound(std::cerr);
    ScopedSoundSink useSound(*sound);

    if (!loadWorld(error)) {
        shutdownWorld();
        return fail(error);
    }

    SdlTicks ticks;
    SdlMessageSource messages;
    messages.onKey = [&input](const SDL_Event& event) { queueSdlKeyEvent(input, event); };
    messages.onRenderReset = [](bool allTexturesLost) { restoreDevice(allTexturesLost); };
    GameHooks hooks(input);
    Engine engine;
    engine.clock.ticks = &ticks;
    runFrameLoop(engine, messages, hooks);

    shutdownWorld();
    theDisplay.window = nullptr;
    return 0;
}
