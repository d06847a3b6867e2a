// Marrowgast: start-up, the frame loop, and the releases at exit.
#include "app/DisplayMode.h"
#include "app/FrameLoop.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/Keyboard.h"
#include "platform/SdlDrawingDevice.h"
#include "platform/SdlKeyboard.h"
#include "platform/SdlMixer.h"
#include "platform/SdlPlatform.h"
#include "platform/SdlWindowControl.h"
#include "sound/Sound.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

int fail(const std::string& what) {
    std::fprintf(stderr, "marrowgast: %s\n", what.c_str());
    return 1;
}

const char* const Usage = "Usage: marrowgast [--help] [--version]\n"
                          "A small 2D platform game: run, jump, ride lifts and dodge robots through a ring\n"
                          "of four rooms. It reads its data from res/ in the working directory.\n"
                          "\n"
                          "  --help     print this help and exit\n"
                          "  --version  print the version and exit\n"
                          "\n"
                          "Keys: Left/Right run, Space jumps, Up/Down ride lifts (Up searches),\n"
                          "F9/F10/F11 window sizes, F12 full screen, Print Screen saves screenshot.png,\n"
                          "Escape quits.\n";

// Started without options the game is exactly as it always was; the options only answer
// questions. Returns the exit status when the game should not start, -1 when it should.
int readCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (option == "--version") {
            std::printf("marrowgast %s\n", MARROWGAST_VERSION);
            return 0;
        }
        std::fprintf(stderr, "marrowgast: unknown option \"%s\"; try marrowgast --help\n", option.c_str());
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (const int status = readCommandLine(argc, argv); status >= 0)
        return status;
    // SDL and the window outlive the set-up, which releases in reverse order of start-up: the
    // world, sound, then the drawing device.
    std::string error;
    SdlSession sdl;
    if (!sdl.start(error))
        return fail(error);
    SdlWindow window;
    if (!window.create(theDisplay.displayWidth, theDisplay.displayHeight, error))
        return fail(error);

    // The data directory is where the game was started.
    GameSetup game(".");
    error = initGraphics(window.handle(), theDisplay.displayWidth, theDisplay.displayHeight);
    if (!error.empty())
        return fail(error);
    game.useWindow(std::make_unique<SdlWindowControl>(window.handle()));

    InputState input;
    initInput(input);

    // No sound card is no reason not to play: the game then runs silently.
    game.useSound(initSound(std::cerr));

    if (!game.loadWorld())
        return fail(game.error());

    SdlTicks ticks;
    SdlMessageSource messages;
    messages.onKey = [&input](const SDL_Event& event) { queueSdlKeyEvent(input, event); };
    messages.onRenderReset = [](bool allTexturesLost) { restoreDevice(allTexturesLost); };
    GameHooks hooks(input);
    Engine engine;
    engine.clock.ticks = &ticks;
    runFrameLoop(engine, messages, hooks);
    return 0;
}
