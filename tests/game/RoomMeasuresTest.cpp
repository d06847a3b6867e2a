#include "game/RoomMeasures.h"

#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A room counted by hand at 16 pixels a unit: a ceiling 40 × 1 (no floor: its top is the
// room's edge), a floor 40 × 1 with its top at y 19, a ledge 2 × 1 with its top at y 7, and a
// robot, which the measure leaves out. A platform wears a band 0.4 units high standing on its
// top edge (6 pixel rows): the ceiling's lies above the picture.
TEST(RoomMeasures, AHandMadeRoomCountsAsByHand) {
    GameSetup game(MARROWGAST_SOURCE_DIR,
                   {.width = MeasureWidth, .height = MeasureHeight, .loadWorld = false});
    ASSERT_TRUE(game.ok()) << game.error();
    TempDir dir;
    const std::string file =
        dir.write("room.txt", "platform start 0 1 end 39 1 texture res/textures/stone.png\n"
                              "platform start 0 20 end 39 20 texture res/textures/stone.png\n"
                              "platform start 5 8 end 6 8 texture res/textures/stone.png\n"
                              "robot start 20 19 direction 1 waypoints 20 19 20 19 texture "
                              "res/textures/robot_a.set laser res/textures/laser.set patrol donothing\n");
    ObjectRegistry registry;
    registerObjectTypes(registry);
    Room room(registry);
    ASSERT_TRUE(room.loadFile(file));
    const RoomMeasures m = measureRoom(room);
    EXPECT_EQ(m.pixels, 640U * 480U);
    EXPECT_EQ(m.backgroundPixels, 640U * 480U - 2 * 640 * 16 - 32 * 16 - (640 + 32) * 6);
    EXPECT_EQ(m.highestTop, 7);
    EXPECT_EQ(m.lowestTop, 19);
    EXPECT_EQ(m.text(), "background 91.9%, platform rows 7-19 (13)");

    // Nothing to stand on: every pixel is background and no row counts.
    Room empty(registry);
    ASSERT_TRUE(empty.loadFile(dir.write("empty.txt", "entrypoint position 1 25 side left\n")));
    const RoomMeasures none = measureRoom(empty);
    EXPECT_EQ(none.backgroundPixels, none.pixels);
    EXPECT_EQ(none.text(), "background 100.0%, platform rows none");
}

} // namespace
