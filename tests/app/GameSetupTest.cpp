#include "app/GameSetup.h"

#include "actors/Random.h"
#include "app/DisplayMode.h"
#include "definitions/DataFile.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "sound/RecordingSoundSink.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path Ring = fs::path(MARROWGAST_TEST_DATA) / "replay/ring";

// Whatever a set-up meets, it reports the first failure and leaves the program as it found it.
// It never changes the working directory.
TEST(GameSetup, FailuresAreReportedAndUndone) {
    TempDir empty;
    const struct {
        const char* what;
        fs::path directory;
        bool usable;
        std::string reason;
        std::string error;
    } cases[] = {
        {"a directory that is not there", empty.path("missing"), false, "No such file or directory",
         "cannot enter \"" + empty.path("missing") + "\""},
        {"no folder named", fs::path(), false, "No such file or directory", "cannot enter \"\""},
        {"a file", empty.write("file", ""), false, "Not a directory",
         "cannot enter \"" + empty.path("file") + "\""},
        {"a directory without res/", empty.path(""), true, "Success",
         "cannot read the first room, \"res/rooms/room1.txt\": No such file or directory"},
    };
    const fs::path before = fs::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        {
            GameSetup game(c.directory, {.width = 64, .height = 48});
            EXPECT_EQ(game.usable(), c.usable);
            EXPECT_EQ(game.dataError().message(), c.reason);
            EXPECT_FALSE(game.ok());
            EXPECT_EQ(game.error(), c.error);
            EXPECT_EQ(dataFolder(), c.usable ? c.directory.string() : "");
            EXPECT_FALSE(world.room);
        }
        EXPECT_EQ(dataFolder(), "");
        EXPECT_EQ(fs::current_path(), before);
        EXPECT_FALSE(theGraphics.device);
    }
}

// A set-up inside another (a tool run from a test, say) gives back the outer one's data
// folder, sound and decoder; the outer one gives back what was there before it. A relative
// data directory is the working directory's, and stays that folder.
TEST(GameSetup, NestedSetUpsGiveBackWhatWasThere) {
    SoundSink* const soundBefore = soundGlobals.soundPerformance;
    TempDir outerDir;
    RecordingSoundSink sounds;
    {
        GameSetup outer(outerDir.path(""));
        outer.useSound(sounds);
        ImageSource* const outerImages = theGraphics.images;
        ASSERT_NE(outerImages, nullptr);
        {
            GameSetup inner(fs::relative(Ring), {.width = 64, .height = 48});
            ASSERT_TRUE(inner.ok()) << inner.error();
            EXPECT_TRUE(fs::path(dataFolder()).is_absolute()) << dataFolder();
            EXPECT_TRUE(fs::equivalent(dataFolder(), Ring));
            EXPECT_TRUE(world.room);
            EXPECT_GT(theGraphics.imageFilesDecoded, 0);
            EXPECT_NE(soundGlobals.soundPerformance, &sounds);
            gameRandom.next();
            // A restart is cold: a type registered since is gone, the dice as new.
            objectRegistry().registerType("extra", [] { return static_cast<GameObject*>(nullptr); });
            inner.restart();
            EXPECT_FALSE(objectRegistry().contains("extra"));
            EXPECT_FALSE(world.room);
            EXPECT_EQ(gameRandom.seed, RandomGenerator{}.seed);
            gameRandom.next();
        }
        EXPECT_EQ(dataFolder(), outerDir.path(""));
        EXPECT_EQ(soundGlobals.soundPerformance, &sounds);
        EXPECT_FALSE(world.room);
        EXPECT_EQ(theGraphics.imageFilesDecoded, 0);
        EXPECT_EQ(gameRandom.seed, RandomGenerator{}.seed);
        EXPECT_EQ(theDisplay.window, nullptr);
        EXPECT_NE(theGraphics.images, nullptr);
    }
    EXPECT_EQ(dataFolder(), "");
    EXPECT_EQ(soundGlobals.soundPerformance, soundBefore);
    EXPECT_EQ(theGraphics.images, nullptr);
}

} // namespace
