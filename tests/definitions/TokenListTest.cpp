#include "definitions/TokenList.h"
#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ProblemRecorder : public DefinitionObserver {
  public:
    std::vector<std::string> problems;
    void unknownKey(std::string_view key) override { problems.push_back("key " + std::string(key)); }
    void incompleteGroup(std::string_view key, std::size_t present, std::size_t needed) override {
        problems.push_back("incomplete " + std::string(key) + " " + std::to_string(present) + "/" +
                           std::to_string(needed));
    }
    void badNumber(std::string_view word, NumberForm form) override {
        problems.push_back(std::string(form == NumberForm::NoNumber ? "nonumber " : "extra ") +
                           std::string(word));
    }
};

TEST(TokenList, TakesWordsFromTheFrontAndReusesItsRoomWhenCleared) {
    TokenList tokens;
    splitLine("a bb ccc", " ", tokens);
    EXPECT_EQ(tokens.takeWord(), "a");
    EXPECT_EQ(tokens.front(), "bb");
    tokens.clear();
    EXPECT_TRUE(tokens.empty());
    // Taking from an empty list is harmless.
    EXPECT_EQ(tokens.front(), "");
    EXPECT_EQ(tokens.takeWord(), "");
    EXPECT_EQ(tokens.takeInt(), 0);
    EXPECT_EQ(tokens.takeFloat(), 0.0f);
    tokens.popFront();
    EXPECT_EQ(tokens.size(), 0u);
    splitLine("d", " ", tokens);
    splitLine("e f g h", " ", tokens);
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_EQ(tokens.takeWord(), "d");
    EXPECT_EQ(tokens.takeWord(), "e");
}

TEST(TokenList, IncompleteGroupDropsTheRestOfTheLine) {
    TokenList tokens;
    ProblemRecorder recorder;
    tokens.observer = &recorder;
    splitLine("1 2", " ", tokens);
    EXPECT_TRUE(tokens.hasValues("position", 2));
    EXPECT_EQ(tokens.size(), 2u);
    EXPECT_TRUE(recorder.problems.empty());
    tokens.popFront();
    EXPECT_FALSE(tokens.hasValues("position", 2));
    EXPECT_TRUE(tokens.empty());
    EXPECT_FALSE(tokens.hasValues("side", 1));
    EXPECT_EQ(recorder.problems,
              (std::vector<std::string>{"incomplete position 1/2", "incomplete side 0/1"}));
    EXPECT_TRUE(tokens.hasValues("patrol", 0));
}

TEST(TokenList, ReportsWhatTheGameAbsorbsOnlyToAnObserver) {
    TokenList tokens;
    splitLine("12abc abc 12 0x1A 1.5 1.5q inf", " ", tokens);
    tokens.unknownKey("colour"); // no observer: nothing happens
    ProblemRecorder recorder;
    tokens.observer = &recorder;
    EXPECT_EQ(tokens.takeInt(), 12);
    EXPECT_EQ(tokens.takeInt(), 0);
    EXPECT_EQ(tokens.takeInt(), 12);
    EXPECT_EQ(tokens.takeInt(), 0);
    EXPECT_EQ(tokens.takeFloat(), 1.5f);
    EXPECT_EQ(tokens.takeFloat(), 1.5f);
    EXPECT_EQ(tokens.takeFloat(), 0.0f);
    tokens.unknownKey("colour");
    EXPECT_EQ(recorder.problems, (std::vector<std::string>{"extra 12abc", "nonumber abc", "extra 0x1A",
                                                           "extra 1.5q", "nonumber inf", "key colour"}));
}

} // namespace
