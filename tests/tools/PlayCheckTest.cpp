// The room check's play findings: rooms every line of which reads well, broken in play.
#include "tools/common/RoomCheck.h"

#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>

namespace {

const std::string CleanRes = std::string(MARROWGAST_TEST_DATA) + "/check/clean/res";
const std::string Floor = "platform start 0 30 end 39 30\n";
const std::string Left = "entrypoint position 1 29 side left\n";
const std::string Right = "entrypoint position 37 29 side right\n";

struct CheckRun {
    int status = -1;
    std::string out;
};

// The room written as res/rooms/room1.txt of a copy of the clean rooms, checked alone.
CheckRun checkRoom(const std::string& room, std::vector<std::string> options = {}) {
    TempDir dir;
    std::filesystem::copy(CleanRes, dir.path("res"), std::filesystem::copy_options::recursive);
    dir.write("res/rooms/room1.txt", room);
    std::ostringstream out;
    std::ostringstream err;
    CheckRun run;
    std::vector<std::string> args = {"--root", dir.path(""), "res/rooms/room1.txt"};
    args.insert(args.begin(), options.begin(), options.end());
    run.status = runRoomCheck(args, out, err);
    run.out = out.str();
    return run;
}

TEST(PlayCheck, EachBrokenRoomIsNamedOnItsLine) {
    struct Case {
        const char* what;
        std::string room;
        std::string found;
    };
    const Case cases[] = {
        {"a right entry point past the right edge passes the player straight on",
         Floor + Left + "entrypoint position 45 29 side right\n",
         "3: the \"right\" entry point at (45, 29) puts the player outside the room"},
        {"an entry point above the top", Floor + Right + "entrypoint position 1 -5 side left\n",
         "3: the \"left\" entry point at (1, -5) puts the player outside the room"},
        {"an entry point inside a platform", Floor + "platform start 30 29 end 39 25\n" + Left + Right,
         "4: the \"right\" entry point at (37, 29) puts the player inside the platform of line 2: it is "
         "stuck"},
        {"an entry point inside a lift", Floor + "lift waypoint 36 28\n" + Left + Right,
         "4: the \"right\" entry point at (37, 29) puts the player inside the lift of line 2"},
        {"an entry point over a pit", "platform start 0 30 end 20 30\n" + Left + Right,
         "3: the \"right\" entry point at (37, 29) has nothing below it inside the room"},
        {"lift stops bottom first", Floor + "lift waypoint 20 29 waypoint 20 13\n" + Left + Right,
         "2: the lift's stops are not listed from the top down (stop 1 at y 13 is above stop 0 at y 29): Up "
         "takes it down"},
        {"a lift stop on the floor row", Floor + "lift waypoint 20 13 waypoint 20 30\n" + Left + Right,
         "2: the lift at its stop 1 (y 30) overlaps the platform of line 1"},
        {"a platform running past the right edge", Floor + "platform start 30 20 end 45 20\n" + Left + Right,
         "2: the platform (x 30 to 46, y 19 to 20) reaches outside the room"},
        {"an object wholly outside",
         Floor + "searchable position 50 10 width 2 height 2 percentage 10\n" + Left + Right,
         "2: the searchable (x 50 to 52, y 8 to 10) lies wholly outside the room"},
        {"a robot's waypoint outside",
         Floor + "robot start 10 29 waypoints 10 29 41 29 patrol pause\n" + Left + Right,
         "2: the robot's second waypoint x 41 is outside the room"},
    };
    for (const Case& c : cases) {
        const CheckRun run = checkRoom(c.room);
        EXPECT_NE(run.out.find("res/rooms/room1.txt:" + c.found), std::string::npos) << c.what << ":\n"
                                                                                     << run.out;
        EXPECT_EQ(run.status, 1) << c.what;
    }
    // Standing on a floor, edges touching, and a lift over the floor are all fine.
    const CheckRun sound = checkRoom(
        Floor + "lift waypoint 20 13 waypoint 20 29\nplatform start 3 28 end 4 20\n" + Left + Right);
    EXPECT_EQ(sound.out, "no problems found\n");
}

// With --solve a way that cannot be crossed is a finding on its entry point's line.
TEST(PlayCheck, SolveNamesTheWayThatCannotBeCrossed) {
    const CheckRun run = checkRoom(Floor + "platform start 19 29 end 20 1\n" + Left + Right, {"--solve"});
    EXPECT_NE(run.out.find("res/rooms/room1.txt:3: the room cannot be crossed east from this entry point: no "
                           "crossing within 3600 steps ("),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("res/rooms/room1.txt:4: the room cannot be crossed west"), std::string::npos);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(checkRoom(Floor + Left + Right, {"--solve"}).out, "no problems found\n");
}

// A room made tight on purpose: eastward the walk onto a lift must end within a unit. Under
// --solve that is a warning and the room passes; --min-window makes it a problem, up to the
// window itself.
TEST(PlayCheck, ATightCrossingIsAWarningOrUnderMinWindowAProblem) {
    const std::string room = readText(std::string(MARROWGAST_TEST_DATA) + "/check/tight-lift.txt");
    const std::string finding = "res/rooms/room1.txt:6: (warning: )?the solver's easiest crossing east has a "
                                "tightest window of ([1-8]) steps \\(right (down|up) at step \\d+\\), under ";
    const CheckRun warned = checkRoom(room, {"--solve"});
    std::smatch found;
    ASSERT_TRUE(
        std::regex_match(warned.out, found,
                         std::regex(finding + "9: a person needs many tries there\nno problems found, "
                                              "1 warning\n")))
        << warned.out;
    EXPECT_EQ(found[1], "warning: ");
    EXPECT_EQ(warned.status, 0);
    const std::string window = found[2];

    const CheckRun strict = checkRoom(room, {"--min-window", "9"});
    EXPECT_TRUE(std::regex_match(strict.out, found, std::regex(finding + "9: .*\n1 problem found\n")))
        << strict.out;
    EXPECT_EQ(found[1], "");
    EXPECT_EQ(found[2], window);
    EXPECT_EQ(strict.status, 1);

    const CheckRun met = checkRoom(room, {"--min-window=" + window});
    EXPECT_EQ(met.out, "no problems found\n");
    EXPECT_EQ(met.status, 0);
}

} // namespace
