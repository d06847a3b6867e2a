#include "app/RoomWatch.h"

#include "world/WorldFixture.h"

#include <filesystem>
#include <iostream>

namespace {

namespace fs = std::filesystem;

class RoomWatchTest : public WorldFixture {
  protected:
    // A death, and the steps until the player is back.
    void dieAndComeBack() {
        player().setState(Dying);
        for (int step = 0; step < 1000 && player().state == Dying; ++step)
            updateWorld();
        ASSERT_NE(player().state, Dying);
    }
    void writeRoomAt(int x) {
        writeRoom(1, "platform start 0 30 end 39 30 texture res/textures/stone.png\n"
                     "entrypoint position " +
                         std::to_string(x) + " 20 side left\n");
    }
};

TEST_F(RoomWatchTest, AnEditedRoomOrImageIsReadAgainBehindTheNextDeathsCurtain) {
    fs::copy_file(fs::path(MARROWGAST_TEST_DATA) / "replay/ring/res/textures/stone.png",
                  dir.path("res/textures/stone.png"));
    writeRoomAt(5);
    std::optional<RoomWatch> watch(std::in_place);
    watch->start();
    world.reloadBehindCurtain = [&watch] { return watch->changed(); };
    load();
    EXPECT_FALSE(watch->changed());
    dir.write("res/textures/unused.png", "not the room's");
    EXPECT_FALSE(watch->changed());

    // The room's file: the player comes back at the new entry point.
    writeRoomAt(17);
    EXPECT_TRUE(watch->changed());
    dieAndComeBack();
    EXPECT_EQ(player().x, 17.0f);
    EXPECT_FALSE(watch->changed());

    // An image the room uses, touched: seen, and read again with the room.
    const int decoded = theGraphics.imageFilesDecoded;
    fs::last_write_time(dir.path("res/textures/stone.png"),
                        fs::last_write_time(dir.path("res/textures/stone.png")) + std::chrono::seconds(5));
    EXPECT_TRUE(watch->changed());
    dieAndComeBack();
    EXPECT_EQ(theGraphics.imageFilesDecoded, decoded + 1);
    EXPECT_FALSE(watch->changed());

    // Without the watch the world never reads the room behind a death's curtain.
    watch.reset();
    world.reloadBehindCurtain = nullptr;
    writeRoomAt(23);
    dieAndComeBack();
    EXPECT_EQ(player().x, 17.0f);
}

// The room author is told why an edited room cannot be read; the room stays as it was and is
// tried again at the next death.
TEST_F(RoomWatchTest, AnEditedRoomThatCannotBeReadIsNamedWithItsReasonAndKept) {
    RoomWatch watch;
    EXPECT_EQ(watch.unreadableRoom(), ""); // no ring read yet, nor any room written
    writeRoomAt(5);
    watch.start();
    world.reloadBehindCurtain = [&watch] { return watch.changed(); };
    load();

    fs::remove(dir.path("res/rooms/room1.txt"));
    fs::create_directory(dir.path("res/rooms/room1.txt"));
    EXPECT_TRUE(watch.changed());
    EXPECT_EQ(watch.unreadableRoom(),
              "cannot read \"res/rooms/room1.txt\": it is not a regular file (a pipe, "
              "device, socket or directory); the room stays as it was");
    dieAndComeBack();
    EXPECT_EQ(player().x, 5.0f);
    EXPECT_TRUE(watch.changed());

    fs::remove(dir.path("res/rooms/room1.txt"));
    EXPECT_EQ(watch.unreadableRoom(),
              "cannot read \"res/rooms/room1.txt\": No such file or directory; the room stays as it was");
#ifdef __unix__
    if (fs::exists("/proc/self/pagemap")) {
        fs::create_symlink("/proc/self/pagemap", dir.path("res/rooms/room1.txt"));
        EXPECT_NE(watch.unreadableRoom().find("it holds more than the size it reports"), std::string::npos);
        dieAndComeBack();
        EXPECT_EQ(player().x, 5.0f);
        fs::remove(dir.path("res/rooms/room1.txt"));
    }
#else
    std::cout << "[ SKIPPED  ] the endless case: /proc/self/pagemap is reached by a symbolic link, made the "
                 "POSIX way\n";
#endif

    writeRoomAt(17);
    EXPECT_EQ(watch.unreadableRoom(), "");
    dieAndComeBack();
    EXPECT_EQ(player().x, 17.0f);
    world.reloadBehindCurtain = nullptr;
}

} // namespace
