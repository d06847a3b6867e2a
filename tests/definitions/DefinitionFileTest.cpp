#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;
using Passes = std::vector<Words>;

// Runs the reading loop over `bytes` and returns the words of every pass.
Passes readPasses(const std::string& bytes, std::vector<bool>* cuts = nullptr) {
    TempDir dir;
    const std::string path = dir.write("file.txt", bytes);
    DefinitionFile file;
    EXPECT_TRUE(file.open(path));
    TokenList tokens;
    Passes passes;
    while (!file.atEnd()) {
        file.readLine(tokens);
        Words words;
        while (!tokens.empty())
            words.push_back(tokens.takeWord());
        passes.push_back(words);
        if (cuts != nullptr)
            cuts->push_back(file.lineCut());
        if (passes.size() > 10000)
            break; // a reading loop that does not end fails here instead of hanging
    }
    return passes;
}

TEST(SplitLine, OnlyTheSeparatorSeparates) {
    TokenList tokens;
    splitLine("   robot  start\t1 2   ", " ", tokens);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens.takeWord(), "robot");
    EXPECT_EQ(tokens.takeWord(), "start\t1");
    EXPECT_EQ(tokens.takeWord(), "2");
    splitLine("a,b;;c", ",;", tokens);
    EXPECT_EQ(tokens.size(), 3u);
    splitLine(std::string_view("ab\0cd", 5), " ", tokens);
    EXPECT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens.front(), "a");
    tokens.clear();
    splitLine("", " ", tokens);
    splitLine("    ", " ", tokens);
    EXPECT_TRUE(tokens.empty());
}

TEST(ReadingLoop, EveryLineIsAPassAndTheEndsOfLinesAreExact) {
    const struct {
        std::string bytes;
        Passes passes;
    } cases[] = {
        {"a b\nc", {{"a", "b"}, {"c"}}},
        {"a b\nc\n", {{"a", "b"}, {"c"}, {}}},
        {"", {{}}},
        {"\n\n", {{}, {}, {}}},
        {"  one   two  \n", {{"one", "two"}, {}}},
        // A carriage return belongs to the break only right before a line feed.
        {"a b\r\nc\r\n", {{"a", "b"}, {"c"}, {}}},
        {"a\rb c\n", {{"a\rb", "c"}, {}}},
        {"a\r\r\nb", {{"a\r"}, {"b"}}},
        {"a\r", {{"a\r"}}},
        {"\r\n", {{}, {}}},
        // Tabs and other bytes are part of words; a zero byte ends the line's text.
        {"entrypoint\tposition 1 27\n\xff\x01 x", {{"entrypoint\tposition", "1", "27"}, {"\xff\x01", "x"}}},
        {std::string("ab\0cd ef\ngh", 11), {{"ab"}, {"gh"}}},
        {std::string("\0a\nb", 4), {{}, {"b"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readPasses(c.bytes), c.passes) << c.bytes;
}

TEST(ReadingLoop, LineOfExactlyTheLimitIsReadWhole) {
    const std::string full(DefinitionFile::MaxLineLength, 'x');
    std::vector<bool> cuts;
    EXPECT_EQ(readPasses(full + "\nnext", &cuts), (Passes{{full}, {"next"}}));
    EXPECT_EQ(cuts, (std::vector<bool>{false, false}));
    EXPECT_EQ(readPasses(full + "\r\nnext"), (Passes{{full}, {"next"}}));
    EXPECT_EQ(readPasses(full), (Passes{{full}}));
    const std::string words = std::string(1019, 'y') + " abc";
    ASSERT_EQ(words.size(), DefinitionFile::MaxLineLength);
    EXPECT_EQ(readPasses(words + "\n"), (Passes{{std::string(1019, 'y'), "abc"}, {}}));
}

TEST(ReadingLoop, LongerLinesAreCutAndTheNextLineIsStillRead) {
    std::vector<bool> cuts;
    const std::string line = std::string(1020, 'x') + " abcdef ghi";
    EXPECT_EQ(readPasses(line + "\nnext\n", &cuts), (Passes{{std::string(1020, 'x'), "ab"}, {"next"}, {}}));
    EXPECT_EQ(cuts, (std::vector<bool>{true, false, false}));
    // A carriage return in the dropped part does not end the line early.
    EXPECT_EQ(readPasses(std::string(1030, 'x') + "\rq\r\nnext"),
              (Passes{{std::string(DefinitionFile::MaxLineLength, 'x')}, {"next"}}));
    // A huge last line without a break still ends the loop after one pass.
    cuts.clear();
    EXPECT_EQ(readPasses(std::string(100000, 'z'), &cuts).size(), 1u);
    EXPECT_EQ(cuts, (std::vector<bool>{true}));
}

TEST(DefinitionFile, AFileThatDidNotOpenReadsAsEndedAndCountsNoLines) {
    TempDir dir;
    DefinitionFile file;
    // Which names fail to open is the data-file test's; a failed open reads as ended.
    dir.write("room.txt", "a\n");
    EXPECT_FALSE(file.open(dir.path("")));
    EXPECT_TRUE(file.atEnd());
    // Reading a file that is not open gives nothing and does not count lines.
    TokenList tokens;
    tokens.append("old");
    file.readLine(tokens);
    EXPECT_TRUE(tokens.empty());
    EXPECT_EQ(file.lineNumber(), 0);
    EXPECT_TRUE(file.open(dir.path("room.txt")));
    EXPECT_FALSE(file.atEnd());
}

class LineRecorder : public DefinitionObserver {
  public:
    std::vector<std::pair<int, bool>> lines;
    void lineRead(int lineNumber, bool cut) override { lines.emplace_back(lineNumber, cut); }
};

TEST(DefinitionFile, CountsLinesAndTellsTheObserver) {
    TempDir dir;
    const std::string path = dir.write("f.txt", "a\n" + std::string(2000, 'q') + "\n\nb");
    DefinitionFile file;
    LineRecorder recorder;
    file.observer = &recorder;
    ASSERT_TRUE(file.open(path));
    TokenList tokens;
    std::vector<int> numbers;
    while (!file.atEnd()) {
        file.readLine(tokens);
        numbers.push_back(file.lineNumber());
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(recorder.lines,
              (std::vector<std::pair<int, bool>>{{1, false}, {2, true}, {3, false}, {4, false}}));
    // Opening again starts counting again.
    ASSERT_TRUE(file.open(path));
    file.readLine(tokens);
    EXPECT_EQ(file.lineNumber(), 1);
}

} // namespace
