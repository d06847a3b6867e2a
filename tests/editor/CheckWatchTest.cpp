#include "editor/CheckWatch.h"
#include "editor/EditorSession.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

// Polls until the run ends, at most a minute; true when it did.
bool waitForCheck(CheckWatch& watch) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!watch.poll()) {
        if (watch.state() != CheckWatch::State::Checking || std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A yard with a platform whose image is missing (line 2) and a line the game ignores (line 5).
const char* const FaultyYard = "platform start 0 26 end 39 29 texture res/textures/stone.png\n"
                               "platform start 10 20 end 12 20 texture res/textures/no-such.png\n"
                               "entrypoint position 1 25 side left\n"
                               "entrypoint position 37 25 side right\n"
                               "widget at 4 5\n";

// The check's findings come back as the edited room's, on their lines and in its words; a
// change's finding (the left entry point removed: one about the whole room) comes and goes
// with its undo, and a click on a finding selects its line.
TEST(CheckWatch, FindingsFollowTheRoomAndSelectTheirLines) {
    TempDir scratch;
    CheckWatch watch(MARROWGAST_CHECK_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    EditorSession session("yard.txt", FaultyYard);
    std::string why;
    ASSERT_TRUE(watch.check(session.editor().document().text(), why)) << why;
    EXPECT_EQ(watch.state(), CheckWatch::State::Checking);
    ASSERT_TRUE(waitForCheck(watch)) << watch.summaryText();
    ASSERT_EQ(watch.findings().size(), 2U) << watch.summaryText();
    // The system says why the image cannot be opened, in its own words.
    EXPECT_EQ(findingText(watch.findings()[0])
                  .rfind("finding at line 2: cannot open the image \"res/textures/no-such.png\": ", 0),
              0U);
    EXPECT_EQ(findingText(watch.findings()[1]),
              "finding at line 5: unknown object type \"widget\" (types: entrypoint, lift, platform, robot, "
              "searchable): the line is ignored");
    EXPECT_EQ(watch.summaryText(), "check: 2 findings, " + watch.measures());
    EXPECT_EQ(watch.measures().substr(watch.measures().find(", ")), ", platform rows 19-25 (7)");

    session.selectLine(*findingLine(watch.findings()[0]));
    EXPECT_EQ(session.editor().selection(), 1U);
    ASSERT_TRUE(session.editor().piece(1));

    session.selectLine(2);
    session.removeSelection();
    ASSERT_TRUE(watch.check(session.editor().document().text(), why)) << why;
    ASSERT_TRUE(waitForCheck(watch)) << watch.summaryText();
    ASSERT_EQ(watch.findings().size(), 3U) << watch.summaryText();
    const CheckFinding& whole = watch.findings()[2];
    EXPECT_EQ(findingText(whole), "finding: no \"left\" entry point");
    EXPECT_FALSE(findingLine(whole));
    // The missing image's finding follows its line; the ignored one moved up with the removal.
    EXPECT_EQ(watch.findings()[0].line, 2);
    EXPECT_EQ(watch.findings()[1].line, 4);

    session.undo();
    ASSERT_TRUE(watch.check(session.editor().document().text(), why)) << why;
    ASSERT_TRUE(waitForCheck(watch)) << watch.summaryText();
    ASSERT_EQ(watch.findings().size(), 2U) << watch.summaryText();
    EXPECT_EQ(watch.findings()[1].line, 5);
}

// A newer room ends the older run; a check that cannot run is an answer, not a hang.
TEST(CheckWatch, ANewerRoomEndsTheOlderRunAndFailuresAreSaid) {
    TempDir scratch;
    CheckWatch watch(MARROWGAST_CHECK_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    std::string why;
    ASSERT_TRUE(watch.check(FaultyYard, why)) << why;
    ASSERT_TRUE(
        watch.check("entrypoint position 1 25 side left\nentrypoint position 37 25 side right\n", why));
    ASSERT_TRUE(waitForCheck(watch)) << watch.summaryText();
    // The newer room's: its entry points stand on nothing, and it has no platform.
    EXPECT_EQ(watch.summaryText(), "check: 2 findings, background 100.0%, platform rows none");
    EXPECT_NE(watch.findings()[0].message.find("has nothing below it"), std::string::npos);

    CheckWatch missing(scratch.path("no-such-check"), MARROWGAST_SOURCE_DIR, scratch.path(""));
    EXPECT_FALSE(missing.check(FaultyYard, why));
    EXPECT_EQ(missing.state(), CheckWatch::State::Failed);
    EXPECT_EQ(missing.summaryText(), "check: no answer: " + why);
    EXPECT_EQ(why.rfind("cannot start the check " + scratch.path("no-such-check") + ": ", 0), 0U) << why;
    EXPECT_TRUE(missing.findings().empty());

    // A data folder without res/ is the check's own refusal, said as its reason.
    CheckWatch rootless(MARROWGAST_CHECK_PROGRAM, scratch.path("nowhere"), scratch.path(""));
    ASSERT_TRUE(rootless.check(FaultyYard, why)) << why;
    EXPECT_TRUE(waitForCheck(rootless));
    EXPECT_EQ(rootless.state(), CheckWatch::State::Failed);
    EXPECT_NE(rootless.failure().find("nowhere"), std::string::npos) << rootless.failure();
}

// A check that stands in for the real one, its lines as a script prints them: the room's own
// finding, another file's, a line of neither, the measures, the count and a last finding with
// no line end; for the room "quiet" only a status. A scratch folder that is not there is said.
TEST(CheckWatch, FindingsAreReadFromTheChecksLines) {
#ifdef _WIN32
    GTEST_SKIP() << "the stand-in check is a shell script";
#else
    TempDir scratch;
    const std::string checker = scratch.write(
        "check", "#!/bin/sh\n"
                 "[ \"$(cat \"$4\")\" = quiet ] && exit 3\n"
                 "printf '%s:3: no stops\\nres/a.set: no \"walk\"\\nno colon\\n"
                 "%s: measure: rows none\\n1 problem found\\n%s:9: last' \"$4\" \"$4\" \"$4\"\n");
    std::filesystem::permissions(checker, std::filesystem::perms::owner_all);
    CheckWatch watch(checker, MARROWGAST_SOURCE_DIR, scratch.path(""));
    std::string why;
    ASSERT_TRUE(watch.check("loud", why)) << why;
    ASSERT_TRUE(waitForCheck(watch)) << watch.summaryText();
    EXPECT_EQ(watch.summaryText(), "check: 3 findings, rows none");
    ASSERT_EQ(watch.findings().size(), 3U);
    EXPECT_EQ(findingText(watch.findings()[0]), "finding at line 3: no stops");
    EXPECT_EQ(findingText(watch.findings()[1]), "finding in res/a.set: no \"walk\"");
    EXPECT_FALSE(findingLine(watch.findings()[1]));
    EXPECT_EQ(findingText(watch.findings()[2]), "finding at line 9: last");

    ASSERT_TRUE(watch.check("quiet", why)) << why;
    EXPECT_TRUE(waitForCheck(watch));
    EXPECT_EQ(watch.summaryText(), "check: no answer: the check ended without its count (status 3)");
    EXPECT_TRUE(watch.findings().empty() && watch.measures().empty());
    ASSERT_TRUE(watch.check("loud", why) && waitForCheck(watch)) << why;
    EXPECT_EQ(watch.failure(), ""); // an answer ends the last run's failure

    CheckWatch homeless(checker, MARROWGAST_SOURCE_DIR, scratch.path("no such folder"));
    EXPECT_FALSE(homeless.check("loud", why));
    EXPECT_EQ(why.rfind("cannot write the room for the check: ", 0), 0U) << why;
#endif
}

} // namespace
