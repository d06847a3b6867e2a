#include "tools/common/KeyScript.h"

#include "input/KeyCodes.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    bool ok = false;
    KeyScript script;
    std::string error;
};

Parsed parse(std::string_view text) {
    Parsed p;
    p.ok = parseKeyScript(text, "keys.txt", p.script, p.error);
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

TEST(KeyScript, BadLinesNameTheFileAndLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"1 left down\n0 left down\n", "keys.txt:2: step must be a whole number from 1, not \"0\""},
        {"x left down\n", "keys.txt:1: step must be a whole number from 1, not \"x\""},
        {"-3 left down\n", "keys.txt:1: step must be a whole number from 1, not \"-3\""},
        {"99999999999 left down\n", "keys.txt:1: step must be a whole number from 1, not \"99999999999\""},
        {"1 jump down\n", "keys.txt:1: unknown key \"jump\""},
        {"1 256 down\n", "keys.txt:1: unknown key \"256\""},
        {"1 0x1G down\n", "keys.txt:1: unknown key \"0x1G\""},
        {"1 left pressed\n", "keys.txt:1: action must be down or up, not \"pressed\""},
        {"\n\n1 left\n", "keys.txt:3: expected STEP KEY ACTION, found 2 fields"},
        {"1 left down now\n", "keys.txt:1: expected STEP KEY ACTION, found 4 fields"},
    };
    for (const Case& c : cases) {
        Parsed p = parse(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        EXPECT_EQ(p.error, c.error);
    }
}

} // namespace
