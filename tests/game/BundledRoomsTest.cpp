// The bundled rooms as a person first meets them.
#include "actors/Player.h"
#include "app/GameSetup.h"
#include "app/StartRoom.h"
#include "game/WorldSnapshot.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// The hero comes into every room, and back after every death, facing left, so a jump pressed
// the moment a room appears goes west. At no entry point may that jump end in a death: it
// lands alive, or carries the hero out of the room.
TEST(BundledRooms, AJumpOnTheFirstStepAtEveryEntryPointEndsAlive) {
    GameSetup game(MARROWGAST_SOURCE_DIR);
    for (int room = 1; room <= 4; ++room) {
        for (const int side : {0, 1}) {
            SCOPED_TRACE("room " + std::to_string(room) + (side == 0 ? " left" : " right"));
            game.restart();
            ASSERT_TRUE(game.loadWorld() && game.enterStartRoom(StartRoom{room, side})) << game.error();
            const Player& hero = *world.player;
            EXPECT_EQ(hero.facing, FacingLeft);
            const float entryX = hero.x;
            std::uint32_t held = 0;
            bool jumped = false;
            int step = 1;
            // Space pressed on the first step and let go on the second, nothing else held.
            for (; step < 600 && hero.state != Dying && !world.roomChangePending; ++step) {
                stepWorld(held, step == 1 ? KeyJump : 0);
                jumped = jumped || hero.state == Jump;
                if (jumped && hero.state == Ground)
                    break;
            }
            EXPECT_TRUE(jumped);
            EXPECT_NE(hero.state, Dying) << "at x " << hero.x << ", step " << step;
            EXPECT_LT(step, 600);
            EXPECT_LT(hero.x, entryX - 1.0f);
        }
    }
}

} // namespace
