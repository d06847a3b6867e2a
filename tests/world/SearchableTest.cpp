#include "world/Searchable.h"

#include "input/KeyCodes.h"

#include "WorldFixture.h"

namespace {

void loadCrate(Searchable& object, const std::string& line) {
    TokenList tokens = tokensOf("position 5 20 width 2 height 2 " + line);
    object.load(tokens);
}

TEST(Searchable, CountsOnlyStepsAfterASearchAndForgetsTheSearcherEachStep) {
    Searchable crate;
    loadCrate(crate, "percentage 10");
    GameObject searcher;
    crate.update();
    EXPECT_EQ(crate.remaining, 10.0f);

    ASSERT_TRUE(crate.interactUp(&searcher));
    EXPECT_EQ(crate.searcher, &searcher);
    crate.update();
    EXPECT_EQ(crate.remaining, 10.0f - 15.0f * 0.016666668f);
    EXPECT_EQ(crate.searcher, nullptr);
    crate.update();
    EXPECT_EQ(crate.remaining, 10.0f - 15.0f * 0.016666668f);
}

TEST(Searchable, AHundredIsSearchedThroughAfter400CountedStepsThenRefuses) {
    Searchable crate;
    loadCrate(crate, "percentage 100");
    GameObject searcher;
    for (int step = 1; step <= 399; ++step) {
        ASSERT_TRUE(crate.interactUp(&searcher)) << step;
        crate.update();
    }
    EXPECT_GT(crate.remaining, 0.0f);
    ASSERT_TRUE(crate.interactUp(&searcher));
    crate.update();
    EXPECT_EQ(crate.remaining, 0.0f);
    EXPECT_FALSE(crate.interactUp(&searcher));
    EXPECT_EQ(crate.searcher, nullptr);

    crate.reset();
    EXPECT_EQ(crate.remaining, 100.0f);
    EXPECT_TRUE(crate.interactUp(&searcher));
    crate.reset();
    EXPECT_EQ(crate.searcher, nullptr);
}

TEST(Searchable, NothingToSearchWithoutAPercentage) {
    GameObject searcher;
    for (const char* line : {"percentage 0", "", "percentage -5"}) {
        Searchable crate;
        loadCrate(crate, line);
        EXPECT_FALSE(crate.interactUp(&searcher)) << line;
    }
}

// The player searching a crate in a room being played.
class Searching : public WorldFixture {};

TEST_F(Searching, OneStepOfUpCostsAQuarterInTheNextStep) {
    writeRoom(1, "platform start 0 30 end 39 30\n"
                 "searchable position 10 29 width 2 height 3 percentage 100\n"
                 "entrypoint position 10 29 side left\n");
    load();
    Searchable& crate = object<Searchable>(1);
    player().handleKey(KeyCodeUp, 1);
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(player().state, Search);
    EXPECT_EQ(crate.searcher, &player());
    EXPECT_EQ(crate.remaining, 100.0f);
    player().handleKey(KeyCodeUp, 0);
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(crate.remaining, 100.0f - 15.0f * 0.016666668f);
    EXPECT_EQ(crate.searcher, nullptr);
    EXPECT_EQ(player().state, Ground);
}

} // namespace
