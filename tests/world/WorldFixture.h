#pragma once
#include "actors/Player.h"
#include "app/GameSetup.h"
#include "definitions/DefinitionFile.h"
#include "definitions/TokenList.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "sound/RecordingSoundSink.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

// The words of one room-file line after its type word.
inline TokenList tokensOf(const std::string& line) {
    TokenList tokens;
    splitLine(line, " ", tokens);
    return tokens;
}

// A game set up over a scratch data directory with a res/ tree (a player set and whatever
// rooms a test writes), its sounds recorded. The set-up puts everything back at the end.
class WorldFixture : public ::testing::Test {
  protected:
    WorldFixture() {
        std::filesystem::create_directories(dir.path("res/rooms"));
        std::filesystem::create_directories(dir.path("res/textures"));
        dir.write("res/textures/player.set", "set FaceLeft 1 f.png\nset FaceRight 1 f.png\n"
                                             "set RunLeft 4 a.png b.png\nset RunRight 4 a.png b.png\n"
                                             "set JumpLeft 10 a.png b.png c.png d.png e.png\n"
                                             "set JumpRight 10 a.png b.png c.png d.png e.png\n"
                                             "set FallLeft 1 f.png\nset FallRight 1 f.png\n"
                                             "set Search 1 s.png\n");
        setUpOver(dir.path(""));
    }

    // A fresh set-up over another data directory, sounds still recorded.
    void setUpOver(const std::filesystem::path& dataDirectory) {
        setup.reset();
        setup.emplace(dataDirectory);
        ASSERT_TRUE(setup->usable()) << dataDirectory;
        setup->useSound(sounds);
    }

    void writeRoom(int number, const std::string& text) {
        dir.write("res/rooms/room" + std::to_string(number) + ".txt", text);
    }

    void load() {
        std::string error;
        ASSERT_TRUE(loadWorld(error)) << error;
    }

    Player& player() { return *world.player; }

    // Runs n world steps; false as soon as one asks to quit.
    bool steps(int n) {
        for (int i = 0; i < n; ++i) {
            if (updateWorld() != 0)
                return false;
        }
        return true;
    }

    // Draws from now on into a fresh headless back buffer of that size.
    void drawHeadless(int width, int height) {
        std::string error;
        theGraphics.device = createHeadlessDrawingDevice(width, height, error);
        ASSERT_TRUE(theGraphics.device) << error;
    }

    // The back buffer as drawn so far.
    RgbaImage backBuffer() {
        RgbaImage image;
        EXPECT_TRUE(theGraphics.device->readBackBuffer(image));
        return image;
    }

    // One frame of the game as renderWorld draws it.
    RgbaImage frame() {
        beginFrame();
        renderWorld();
        return backBuffer();
    }

    // The i-th object of the room being played, as its type.
    template <class T> T& object(std::size_t i) { return static_cast<T&>(*world.room->objects().at(i)); }

    TempDir dir;
    RecordingSoundSink sounds;
    std::optional<GameSetup> setup;
};
