#include "tools/common/RoomCheck.h"

#include "definitions/DataFile.h"

#include "support/TempDir.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string CheckData = std::string(MARROWGAST_TEST_DATA) + "/check";

struct CheckRun {
    int status = -1;
    std::string out;
    std::string err;
};

CheckRun check(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    CheckRun run;
    run.status = runRoomCheck(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

// A scratch root holding a copy of the clean rooms' res/.
struct CleanCopy : TempDir {
    CleanCopy() {
        std::filesystem::copy(CheckData + "/clean/res", path("res"),
                              std::filesystem::copy_options::recursive);
    }
};

// A room set with one of each mistake gives exactly the lines its expected.txt lists.
TEST(RoomCheck, EveryMistakeOfTheFaultyRoomsIsReportedOnItsLine) {
    const std::string before = dataFolder();
    const CheckRun run = check({"--root", CheckData + "/bad"});
    EXPECT_EQ(run.out, readText(CheckData + "/bad-expected.txt"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(dataFolder(), before);
}

// --measure gives each bundled room the figures docs/ROOMS.md states for it, within the looks the
// bundled rooms keep: at most 75% background, platform tops over at least 15 rows.
TEST(RoomCheck, MeasuresOfTheBundledRoomsAreTheOnesTheRoomGuideGives) {
    const CheckRun run = check({"--root", MARROWGAST_SOURCE_DIR, "--measure"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const std::string guide = readText(std::string(MARROWGAST_SOURCE_DIR) + "/docs/ROOMS.md");
    const std::regex row(R"(\n\| ([1-4]) \| ([0-9.]+)% \| ([0-9]+)-([0-9]+) \(([0-9]+)\) \|)");
    std::string expected;
    int rooms = 0;
    for (auto m = std::sregex_iterator(guide.begin(), guide.end(), row); m != std::sregex_iterator();
         ++m, ++rooms) {
        const auto& r = *m;
        EXPECT_LE(std::stod(r[2]), 75.0);
        EXPECT_EQ(std::stoi(r[4]) - std::stoi(r[3]) + 1, std::stoi(r[5]));
        EXPECT_GE(std::stoi(r[5]), 15);
        expected += "res/rooms/room" + r[1].str() + ".txt: measure: background " + r[2].str() +
                    "%, platform rows " + r[3].str() + "-" + r[4].str() + " (" + r[5].str() + ")\n";
    }
    EXPECT_EQ(rooms, 4);
    EXPECT_EQ(run.out, expected + "no problems found\n");
}

TEST(RoomCheck, CleanRoomsGiveNothing) {
    const CheckRun run = check({"--root", CheckData + "/clean"});
    EXPECT_EQ(run.out, "no problems found\n");
    EXPECT_EQ(run.status, 0);
}

TEST(RoomCheck, UsageErrorsAndUnopenableRoomsExitWithTwo) {
    const CheckRun noRoot = check({"--root"});
    EXPECT_EQ(noRoot.status, 2);
    EXPECT_EQ(noRoot.err, "marrowgast-check: --root needs a value, DIR; try marrowgast-check --help\n");
    EXPECT_EQ(check({"--verbose"}).status, 2);
    EXPECT_EQ(check({"--root", CheckData + "/no-such-directory"}).status, 2);

    // A named room file that cannot be opened is reported and the rest still checked.
    const CheckRun missing =
        check({"--root", CheckData + "/clean", "res/rooms/room9.txt", "res/rooms/room2.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out,
              "res/rooms/room9.txt: cannot open the room file: No such file or directory\n1 problem found\n");
}

// Rooms named on the command line replace the ring; their paths are printed as given.
TEST(RoomCheck, NamedRoomsAreCheckedAloneWithTheSetsAndSounds) {
    CleanCopy dir;
    dir.write("mine.txt", "entrypoint position 1 29 side right\n"
                          "robot start 9 29 texture res/textures/robot.set patrol pause laser\n"
                          "lift waypoint 3 4 waypoint 3 9\n"
                          "platform start 0 30 end 39 30\n");
    const CheckRun run = check({"--root", dir.path(""), "mine.txt"});
    EXPECT_EQ(run.out, "mine.txt:2: the robot has no \"laser\" set: its beam is not drawn\n"
                       "mine.txt: no \"left\" entry point\n"
                       "2 problems found\n");
    EXPECT_EQ(run.status, 1);
}

// The patrol trap is only one when the line has no "laser" key of its own.
TEST(RoomCheck, LaserAfterAPatrolIsATrapOnlyWithoutALaserKey) {
    CleanCopy dir;
    dir.write(
        "trap.txt",
        "entrypoint position 1 29 side left\n"
        "entrypoint position 37 29 side right\n"
        "robot start 9 29 texture res/textures/robot.set laser res/textures/laser.set patrol pause laser\n"
        "robot start 9 29 texture res/textures/robot.set patrol pause speed slow laser "
        "res/textures/laser.set\n"
        "robot start 9 29 texture res/textures/robot.set patrol laser Pause laser res/textures/laser.set\n"
        "platform start 0 30 end 39 30\n");
    const CheckRun run = check({"--root", dir.path(""), "trap.txt"});
    EXPECT_EQ(run.out,
              "trap.txt:5: \"res/textures/laser.set\" is neither a behaviour nor a key: the patrol ends "
              "before it and it is skipped\n"
              "trap.txt:5: the \"laser\" after the patrol is read as a behaviour, not as the \"laser\" key: "
              "put the \"laser\" key before \"patrol\"\n"
              "2 problems found\n");
    EXPECT_EQ(run.status, 1);
}

// The types named are those registered, each with the keys it lists.
TEST(RoomCheck, AMisspeltTypeIsToldTheTypesTheGameKnows) {
    CleanCopy dir;
    dir.write("typo.txt", "entrypoint position 1 29 side left\nentrypoint position 37 29 side right\n"
                          "platform start 0 30 end 39 30\nplattform start 0 0 end 1 1\n");
    const CheckRun run = check({"--root", dir.path(""), "typo.txt"});
    EXPECT_EQ(run.out,
              "typo.txt:4: unknown object type \"plattform\" (types: entrypoint, lift, platform, robot, "
              "searchable): the line is ignored\n1 problem found\n");
}

// An empty root: the ring, the player's set and every sound are missing.
TEST(RoomCheck, AnEmptyRootMissesEveryFileTheGameReads) {
    TempDir dir;
    const CheckRun run = check({"--root", dir.path("")});
    EXPECT_EQ(run.out,
              "res/rooms/room1.txt: cannot open the room file: No such file or directory\n"
              "res/rooms/room2.txt: cannot open the room file: No such file or directory\n"
              "res/rooms/room3.txt: cannot open the room file: No such file or directory\n"
              "res/rooms/room4.txt: cannot open the room file: No such file or directory\n"
              "res/textures/player.set: cannot open the player's animation set: No such file or directory\n"
              "res/sound/die1.wav: cannot open the sound: No such file or directory\n"
              "res/sound/die2.wav: cannot open the sound: No such file or directory\n"
              "res/sound/die3.wav: cannot open the sound: No such file or directory\n"
              "res/sound/laser.wav: cannot open the sound: No such file or directory\n"
              "9 problems found\n");
    EXPECT_EQ(run.status, 2);
}

// Sounds go through the game's own WAV test: a sample chunk longer than the file, or a
// RIFF file of another kind, is refused although the file opens.
TEST(RoomCheck, SoundsMustBeWholeWavFiles) {
    CleanCopy dir;
    const std::string wav = readText(dir.path("res/sound/die1.wav"));
    ASSERT_GT(wav.size(), 60u);
    dir.write("res/sound/die1.wav", wav.substr(0, wav.size() - 20));
    std::string other = wav;
    other.replace(8, 4, "AVI ");
    dir.write("res/sound/die3.wav", other);
    const CheckRun run = check({"--root", dir.path("")});
    EXPECT_EQ(run.out, "res/sound/die1.wav: not a WAV sound the game can play (PCM at 4000 Hz or more, at "
                       "most 256 MB once converted)\n"
                       "res/sound/die3.wav: not a WAV sound the game can play (PCM at 4000 Hz or more, at "
                       "most 256 MB once converted)\n"
                       "2 problems found\n");
    EXPECT_EQ(run.status, 1);
}

// Values either side of a million, and the ones that are no finite number at all.
TEST(RoomCheck, NumbersFarOutsideAnyRoomAreNamedWithTheirLine) {
    CleanCopy dir;
    dir.write("far.txt", "entrypoint position 1000000 -1000000 side left\n"
                         "entrypoint position 1000001 29 side right\n"
                         "platform start 0 29 end 99999999999 30\n"
                         "entrypoint position 3e38 1e39 side left\n");
    const CheckRun run = check({"--root", dir.path(""), "far.txt"});
    const std::string far = ", far outside any room (40 by 30 units): the game takes it as it is\n";
    EXPECT_NE(run.out.find("far.txt:2: \"1000001\" reads as 1000001" + far), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("far.txt:3: \"99999999999\" reads as 1215752191" + far), std::string::npos);
    EXPECT_NE(run.out.find("far.txt:4: \"3e38\" reads as 3.00000001e+38" + far), std::string::npos);
    EXPECT_NE(run.out.find("far.txt:4: \"1e39\" reads as inf" + far), std::string::npos);
    EXPECT_EQ(run.out.find("far.txt:1: \"1000000\""), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("far.txt:1: \"-1000000\""), std::string::npos) << run.out;
}

} // namespace
