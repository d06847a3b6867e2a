#include "app/GameHooks.h"

#include "actors/Player.h"
#include "app/DisplayMode.h"
#include "app/KeyCommands.h"
#include "app/RunRecorder.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "sound/Sound.h"

void GameHooks::pollInput() {
    ::pollInput(input, *this);
}

int GameHooks::updateWorld() {
    const int quit = ::updateWorld();
    ++steps;
    if (recorder)
        recorder->flush();
    return quit;
}

void GameHooks::beginFrame() {
    ::beginFrame();
}

void GameHooks::renderWorld() {
    const bool screenshotAsked = theDisplay.screenshotRequested;
    ::renderWorld();
    // The screenshot is taken from the frame after the last step of the pass, not at the step
    // its key arrived.
    if (recorder && screenshotAsked && !theDisplay.screenshotRequested)
        recorder->shot(steps);
}

void GameHooks::endFrame() {
    ::endFrame();
}

void GameHooks::setKeyboardActive(bool active) {
    if (recorder && input.keyboardCreated && input.acquired != active)
        recorder->focus(active, steps + 1);
    ::setKeyboardActive(input, active);
}

void GameHooks::stopAllSounds() {
    ::stopAllSounds();
}

void GameHooks::dispatchKey(int code, int pressed) {
    if (recorder)
        recorder->key(steps + 1, code, pressed);
    ::dispatchKey(code, pressed);
}

void GameHooks::releaseHeldKey(int code) {
    // Only the player's held keys change: a key let go while the window was away runs no command.
    if (world.player)
        world.player->handleKey(code, 0);
}
