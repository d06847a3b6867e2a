#include "app/KeyScript.h"

#include "input/KeyCodes.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {

struct Parsed {
    bool ok = false;
    KeyScript script;
    std::string error;
};

Parsed parse(std::string_view text, long long mostStep = LLONG_MAX) {
    Parsed p;
    p.ok = parseKeyScript(text, "keys.txt", p.script, p.error, mostStep);
    return p;
}

TEST(KeyScript, NamesCodesActionsCommentsAndBlanks) {
    Parsed p = parse("# walk right, then jump\n"
                     "\n"
                     "1 RIGHT down\n"
                     "  3\tspace   Down  # jump\r\n"
                     "5 0xCD up\n"
                     "6 57 UP\n"
                     "7 SysRq up\n");
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.script.events.size(), 5u);
    EXPECT_EQ(p.script.events[0].code, KeyCodeRight);
    EXPECT_EQ(p.script.events[0].pressed, 1);
    EXPECT_EQ(p.script.events[1].code, KeyCodeSpace);
    EXPECT_EQ(p.script.events[1].step, 3);
    EXPECT_EQ(p.script.events[2].code, KeyCodeRight);
    EXPECT_EQ(p.script.events[2].pressed, 0);
    EXPECT_EQ(p.script.events[3].code, KeyCodeSpace);
    EXPECT_EQ(p.script.events[4].code, KeyCodePrintScreen);
}

TEST(KeyScript, EventsAreOrderedByStepKeepingFileOrderWithinAStep) {
    Parsed p = parse("9 left down\n2 up down\n9 left up\n2 up up\n");
    ASSERT_TRUE(p.ok) << p.error;
    std::vector<std::pair<int, int>> order;
    for (const auto& e : p.script.events)
        order.push_back({e.step, e.pressed});
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{2, 1}, {2, 0}, {9, 1}, {9, 0}}));
    EXPECT_EQ(p.script.events[0].code, KeyCodeUp);
    EXPECT_TRUE(parse("").ok);
    EXPECT_TRUE(parse("").script.events.empty());
}

TEST(KeyScript, ARecordingsLinesReadBackExactly) {
    Parsed p = parse("start 3 right 800x600 full\n2 left down\nfocus lost 1\nfocus gained 4\nshot 0\nshot 6\n"
                     "reload 1\nend 7 2 10.123457 -0.1\n");
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_TRUE(p.script.recorded());
    EXPECT_EQ(p.script.start->room, 3);
    EXPECT_EQ(p.script.start->side, 1);
    EXPECT_EQ(p.script.start->width, 800);
    EXPECT_EQ(p.script.start->height, 600);
    EXPECT_TRUE(p.script.start->fullScreen);
    const ScriptStart other = *parse("start 1 left 1024x768 window\n").script.start;
    EXPECT_EQ(std::tuple(other.room, other.side, other.width, other.height, other.fullScreen),
              std::tuple(1, 0, 1024, 768, false));
    ASSERT_EQ(p.script.focusChanges.size(), 2u);
    EXPECT_FALSE(p.script.focusChanges[0].gained);
    EXPECT_EQ(p.script.focusChanges[0].step, 1);
    EXPECT_EQ(p.script.shots, (std::vector<int>{0, 6}));
    EXPECT_EQ(p.script.reloads, std::vector<int>{1});
    EXPECT_EQ(p.script.end->x, 10.123457f);
    EXPECT_EQ(p.script.end->y, -0.1f);
    EXPECT_EQ(p.script.lastStep(), 7);
    EXPECT_EQ(parse("3 left down\nshot 9\n").script.lastStep(), 9);
}

TEST(KeyScript, BadLinesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"1 left down\n0 left down\n", "keys.txt:2: step must be a whole number from 1, not \"0\""},
        {"x left down\n", "keys.txt:1: step must be a whole number from 1, not \"x\""},
        {"-3 left down\n", "keys.txt:1: step must be a whole number from 1, not \"-3\""},
        {"99999999999 left down\n",
         "keys.txt:1: step 99999999999 is past 2147483647, the largest step a script can "
         "name"},
        {"99999999999999999999 left down\n",
         "keys.txt:1: step must be a whole number from 1, not \"99999999999999999999\""},
        {"1 jump down\n", "keys.txt:1: unknown key \"jump\""},
        {"1 256 down\n", "keys.txt:1: unknown key \"256\""},
        {"1 0x1G down\n", "keys.txt:1: unknown key \"0x1G\""},
        {"1 left pressed\n", "keys.txt:1: action must be down or up, not \"pressed\""},
        {"\n\n1 left\n", "keys.txt:3: expected STEP KEY ACTION, found 2 fields"},
        {"1 left down now\n", "keys.txt:1: expected STEP KEY ACTION, found 4 fields"},
        {"1 left down\nstart 1 left 640x480 window\n", "keys.txt:2: the start line must come first"},
        {"start 5 left 640x480 window\n", "keys.txt:1: room must be 1 to 4, not \"5\""},
        {"start 1 up 640x480 window\n", "keys.txt:1: side must be left or right, not \"up\""},
        {"start 1 left 640x400 window\n",
         "keys.txt:1: size must be 640x480, 800x600 or 1024x768, not \"640x400\""},
        {"start 1 left 640x480 windowed\n", "keys.txt:1: expected full or window, not \"windowed\""},
        {"end 8 0 2 3\n", "keys.txt:1: room must be 1 to 4, not \"0\""},
        {"focus away 3\n", "keys.txt:1: expected lost or gained, not \"away\""},
        {"shot -1\n", "keys.txt:1: step must be a whole number from 0, not \"-1\""},
        {"focus gained 0\n", "keys.txt:1: step must be a whole number from 1, not \"0\""},
        {"reload 0\n", "keys.txt:1: step must be a whole number from 1, not \"0\""},
        {"9 left down\nend 8 1 2 3\n", "keys.txt:2: the end line's step comes before a step of the script"},
        {"end 8 1 2 nan\n", "keys.txt:1: the position must be two numbers, not \"2 nan\""},
        {"end 8 1 2 3\n9 left up\n", "keys.txt:2: nothing may follow the end line"},
        // What the script says is shown, never played to the terminal.
        {"1 \x1b[2J\x1b]0;owned\x07 down\n", "keys.txt:1: unknown key \"\\x1b[2J\\x1b]0;owned\\x07\""},
        {"1 left \"\\\x7f\n", "keys.txt:1: action must be down or up, not \"\\\"\\\\\\x7f\""},
    };
    for (const Case& c : cases) {
        Parsed p = parse(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error, c.error);
    }
}

// The replay's bound on steps holds for every line that names one; the bound itself is fine.
TEST(KeyScript, EveryStepPastTheReplaysBoundIsRefused) {
    for (const char* text :
         {"101 left down\n", "focus lost 101\n", "shot 101\n", "reload 101\n", "end 101 1 2 3\n"}) {
        Parsed p = parse(text, 100);
        EXPECT_FALSE(p.ok) << text;
        EXPECT_EQ(p.error,
                  "keys.txt:1: step 101 is past 100, the most steps a replay runs (--max-steps raises it)");
    }
    EXPECT_TRUE(parse("100 left down\nshot 100\nend 100 1 2 3\n", 100).ok);
}

} // namespace
