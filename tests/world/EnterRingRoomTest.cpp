#include "game/WorldSnapshot.h"
#include "world/EntryPoint.h"
#include "world/Searchable.h"

#include "WorldFixture.h"

#include <string>
#include <vector>

namespace {

// Room n: a floor, entry points at x n (left) and 30 + n (right), and a searchable whose
// progress shows whether the room was reset.
std::string ringRoom(int n) {
    return "platform start 0 30 end 39 30\n"
           "searchable position 20 29 width 2 height 2 percentage 100\n"
           "entrypoint position " +
           std::to_string(n) + " 29 side left\nentrypoint position " + std::to_string(30 + n) +
           " 29 side right\n";
}

class EnterRingRoom : public WorldFixture {
  protected:
    void SetUp() override {
        for (int n = 1; n <= 4; ++n)
            writeRoom(n, ringRoom(n));
    }
};

TEST_F(EnterRingRoom, PlacesThePlayerAtTheChosenSideOfTheChosenRoom) {
    load();
    ASSERT_TRUE(enterRingRoom(2, 1));
    EXPECT_EQ(world.currentRoom, 2u);
    EXPECT_EQ(world.entrySide, 1);
    EXPECT_EQ(player().x, 33.0f);
    EXPECT_EQ(player().prevX, 33.0f);
    EXPECT_EQ(player().y, 29.0f);
    EXPECT_EQ(player().state, Ground);

    ASSERT_TRUE(enterRingRoom(3, 0));
    EXPECT_EQ(player().x, 4.0f);

    // A world put back from a snapshot knows its entry points, the room's first object too.
    writeRoom(4, "entrypoint position 4 29 side left\nplatform start 0 30 end 39 30\n");
    ASSERT_TRUE(enterRingRoom(3, 0));
    WorldSnapshot snapshot;
    ASSERT_TRUE(saveWorld(snapshot));
    world.entryPoints = {};
    ASSERT_TRUE(restoreWorld(snapshot));
    EXPECT_EQ(static_cast<GameObject*>(world.entryPoints[0]), world.room->objects().front().get());

    // A death there brings the player back at the side it was put in by.
    player().y = 40.0f;
    player().prevY = 40.0f;
    ASSERT_TRUE(steps(122));
    EXPECT_EQ(world.currentRoom, 3u);
    EXPECT_EQ(player().x, 4.0f);
    EXPECT_EQ(player().y, 29.0f);
}

TEST_F(EnterRingRoom, EndsAPendingRoomChangeAndResetsTheRoomAndTheKeys) {
    load();
    player().x = player().prevX = 41.0f;
    ASSERT_TRUE(steps(1));
    ASSERT_TRUE(world.roomChangePending);
    player().keys = KeyLeft;

    ASSERT_TRUE(enterRingRoom(0, 0));
    EXPECT_FALSE(world.roomChangePending);
    EXPECT_EQ(world.currentRoom, 0u);
    EXPECT_EQ(player().keys, 0u);
    EXPECT_EQ(object<Searchable>(1).remaining, 100.0f);
    // The world moves again at once.
    ASSERT_TRUE(steps(1));
    EXPECT_FALSE(world.roomChangePending);
    EXPECT_EQ(player().x, 1.0f);
}

TEST_F(EnterRingRoom, RefusesWhatItCannotEnterAndChangesNothing) {
    EXPECT_FALSE(enterRingRoom(0, 0)); // no world yet
    load();
    std::filesystem::remove(dir.path("res/rooms/room3.txt"));
    EXPECT_FALSE(enterRingRoom(2, 0));
    EXPECT_FALSE(enterRingRoom(4, 0));
    EXPECT_FALSE(enterRingRoom(1, 2));
    EXPECT_FALSE(enterRingRoom(1, -1));
    EXPECT_EQ(world.currentRoom, 0u);
    EXPECT_EQ(world.entrySide, 0);
    EXPECT_EQ(player().x, 1.0f);
    EXPECT_EQ(world.room->objects().size(), 4u);
}

TEST_F(EnterRingRoom, EveryFileReadIsToldOnceOpenBeforeItsObjectsAreRead) {
    std::vector<std::string> opened;
    std::vector<std::size_t> objectsWhenOpened;
    world.onRoomFileOpened = [&](const std::string& fileName) {
        opened.push_back(fileName);
        objectsWhenOpened.push_back(world.room->objects().size());
        // The world's own bookkeeping still runs: the old entry points are forgotten.
        EXPECT_EQ(world.entryPoints[0], nullptr);
    };
    load();
    ASSERT_TRUE(enterRingRoom(1, 0));
    std::filesystem::remove(dir.path("res/rooms/room4.txt"));
    EXPECT_FALSE(enterRingRoom(3, 0));
    // A room change reads its file at the end of the curtain.
    player().x = player().prevX = 41.0f;
    ASSERT_TRUE(steps(122));
    EXPECT_EQ(opened, (std::vector<std::string>{"res/rooms/room1.txt", "res/rooms/room2.txt",
                                                "res/rooms/room3.txt"}));
    EXPECT_EQ(objectsWhenOpened, (std::vector<std::size_t>{0, 0, 0}));
}

} // namespace
