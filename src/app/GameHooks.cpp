#include "app/GameHooks.h"

#include "actors/Player.h"
#include "app/KeyCommands.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "sound/Sound.h"

void GameHooks::pollInput() {
    ::pollInput(input, *this);
}

int GameHooks::updateWorld() {
    return ::updateWorld();
}

void GameHooks::beginFrame() {
    ::beginFrame();
}

void GameHooks::renderWorld() {
    ::renderWorld();
}

void GameHooks::endFrame() {
    ::endFrame();
}

void GameHooks::setKeyboardActive(bool active) {
    ::setKeyboardActive(input, active);
}

void GameHooks::stopAllSounds() {
    ::stopAllSounds();
}

void GameHooks::dispatchKey(int code, int pressed) {
    ::dispatchKey(code, pressed);
}

void GameHooks::releaseHeldKey(int code) {
    // Only the player's held keys change: a key let go while the window was away runs no command.
    if (world.player)
        world.player->handleKey(code, 0);
}
