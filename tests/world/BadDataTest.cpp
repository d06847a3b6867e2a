// Broken files of every kind the game can meet while it runs: none may crash it, hang it or
// lose what the good lines of a file say.
#include "WorldFixture.h"

#include "definitions/AnimationSet.h"
#include "platform/OutputFile.h"
#include "world/EntryPoint.h"
#include "world/Platform.h"
#include "world/Searchable.h"

#include <filesystem>
#include <string>

namespace {

class BadData : public WorldFixture {
  protected:
    void expectAt(float x, float y) {
        EXPECT_EQ(player().x, x);
        EXPECT_EQ(player().y, y);
    }
    // Steps and draws a little, so whatever was read is also used.
    void play() {
        EXPECT_TRUE(steps(30));
        renderWorld();
    }
};

TEST_F(BadData, EmptyOrBlankRoomLoadsWithThePlayerAtTheStartPosition) {
    for (const std::string& text :
         {std::string(), std::string("\n\n\n"), std::string("   \r\n\t\n"), std::string(3, '\0')}) {
        writeRoom(1, text);
        load();
        EXPECT_TRUE(world.room->objects().empty());
        expectAt(DefaultStartX, DefaultStartY);
        play();
        shutdownWorld();
    }
}

TEST_F(BadData, ARoomThatIsADirectoryFailsStartUpLikeAMissingOne) {
    std::filesystem::create_directory(dir.path("res/rooms/room1.txt"));
    std::string error;
    EXPECT_FALSE(loadWorld(error));
    EXPECT_NE(error.find("res/rooms/room1.txt"), std::string::npos) << error;
    EXPECT_EQ(world.room, nullptr);
    EXPECT_EQ(world.player, nullptr);
}

TEST_F(BadData, UnknownTypesKeysAndJunkNumbersSpoilNothingElse) {
    writeRoom(1, "dragon position 3 3\n"
                 "Entrypoint position 2 2 side left\n"
                 "entrypoint colour red position 12junk 29.5.5 side left wings 4\n"
                 "searchable position 0x10 20 width 2e height 3 percentage 50%\n"
                 "searchable width 1 height 1 position 7\n"
                 "platform start -5 30 end 1e9 30 texture\n");
    load();
    ASSERT_EQ(world.room->objects().size(), 4u);
    EXPECT_EQ(object<Searchable>(2).y, 0.0f); // a position cut off by the line's end is ignored
    // atoi and atof rules: the number prefix counts, the junk after it does not.
    expectAt(12.0f, 29.5f);
    const auto& searchable = object<Searchable>(1);
    EXPECT_EQ(searchable.x, 0.0f);
    EXPECT_EQ(searchable.w, 2.0f);
    EXPECT_EQ(searchable.h, 3.0f);
    play();
}

TEST_F(BadData, LongLinesNulBytesAndTheLinesAfterThem) {
    // A line of exactly 1023 bytes is read whole: its last word still counts.
    std::string full = "entrypoint position 5 29 side";
    full += std::string(1023 - full.size() - 6, ' ') + " right";
    ASSERT_EQ(full.size(), 1023u);
    // A line of 100,000 bytes is cut at 1023: "side right" at its end is lost, and the line
    // after it is read as the next line.
    std::string huge = "entrypoint position 9 29" + std::string(100000 - 24 - 11, ' ') + " side right";
    ASSERT_EQ(huge.size(), 100000u);
    std::string withNul = std::string("entrypoint position 20 29 side left\0entrypoint side right", 57);
    writeRoom(1, full + "\n" + huge + "\n" + withNul + "\n" + "searchable position 30 20 width 1 height 1\n");
    load();
    ASSERT_EQ(world.room->objects().size(), 4u);
    EXPECT_EQ(world.entryPoints[1], &object<EntryPoint>(0));
    EXPECT_EQ(object<EntryPoint>(1).x, 9.0f);
    EXPECT_EQ(object<EntryPoint>(1).side, 0);
    EXPECT_EQ(world.entryPoints[0], &object<EntryPoint>(2));
    expectAt(20.0f, 29.0f);
    EXPECT_EQ(object<Searchable>(3).x, 30.0f);
    play();
}

TEST_F(BadData, MissingEmptyAndDirectorySetFilesLeaveThePlayerPlayable) {
    for (int form = 0; form < 3; ++form) {
        std::filesystem::remove(dir.path("res/textures/player.set"));
        if (form == 1)
            dir.write("res/textures/player.set", "");
        if (form == 2)
            std::filesystem::create_directory(dir.path("res/textures/player.set"));
        writeRoom(1, "platform start 0 30 end 39 30\nentrypoint position 3 29 side left\n");
        load();
        expectAt(3.0f, 29.0f);
        EXPECT_TRUE(steps(10));
        renderWorld();
        shutdownWorld();
        std::filesystem::remove_all(dir.path("res/textures/player.set"));
    }
}

TEST_F(BadData, MissingEmptyCorruptAndDirectoryImagesDrawAsBoxes) {
    dir.write("res/textures/empty.png", "");
    dir.write("res/textures/corrupt.png", "\x89PNG\r\n\x1a\n not really");
    std::filesystem::create_directory(dir.path("res/textures/dir.png"));
    writeRoom(1, "platform start 0 30 end 9 30 texture res/textures/missing.png tile res/textures/empty.png\n"
                 "platform start 10 30 end 19 30 texture res/textures/corrupt.png tile res/textures/dir.png\n"
                 "searchable position 30 20 width 2 height 2 percentage 9 texture res/textures/dir.png\n");
    load();
    ASSERT_EQ(world.room->objects().size(), 3u);
    play();
    EXPECT_EQ(theGraphics.textureCache.size(), 0u);
}

TEST_F(BadData, NonAsciiFileNamesAreReadByteForByte) {
    // UTF-8 and a lone Latin-1 byte: names are bytes to the game, never decoded.
    const std::string utf8 = "res/textures/st\xc3\xa4in.set";
    const std::string latin1 = "res/textures/\xe9t\xe9.set";
    // Made as the game makes files, byte for byte: std::filesystem would take the bytes for
    // Windows' code page.
    const std::string root = dir.path("");
    std::string why;
    ASSERT_TRUE(replaceFile(root + utf8, "set Walk 3 a.png\n", why)) << why;
    ASSERT_TRUE(replaceFile(root + latin1, "set Jump 3 b.png\n", why)) << why;
    AnimationSet set;
    set.load(utf8);
    set.load(latin1);
    EXPECT_TRUE(set.defines("Walk"));
    EXPECT_TRUE(set.defines("Jump"));

    const std::string roomName = root + "r\xc3\xb6\xc3\xb6m\xff.txt";
    ASSERT_TRUE(replaceFile(roomName, "entrypoint position 4 29 side left\n", why)) << why;
    Room room(objectRegistry());
    registerObjectTypes(objectRegistry());
    EXPECT_TRUE(room.loadFile(roomName));
    EXPECT_EQ(room.objects().size(), 1u);
}

} // namespace
