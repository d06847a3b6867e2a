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

// Runs the reading loop over `bytes` and returns the words of every pass, with "(cut)" after
// the words of a line that was cut.
Passes readPasses(const std::string& bytes) {
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
        if (file.lineCut())
            words.push_back("(cut)");
        passes.push_back(words);
        if (passes.size() > 10000)
            break; // a reading loop that does not end fails here instead of hanging
    }
    return passes;
}

TEST(ReadingLoop, EveryLineIsAPassAndTheEndsOfLinesAreExact) {
    const std::size_t max = DefinitionFile::MaxLineLength;
    const std::string full(max, 'x');
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
        // A line of exactly the limit is read whole; a longer one is cut, and the next still read.
        {full + "\nnext", {{full}, {"next"}}},
        {full + "\r\nnext", {{full}, {"next"}}},
        {full, {{full}}},
        {std::string(max - 4, 'y') + " abc\n", {{std::string(max - 4, 'y'), "abc"}, {}}},
        {std::string(max - 3, 'x') + " abcdef ghi\nnext\n",
         {{std::string(max - 3, 'x'), "ab", "(cut)"}, {"next"}, {}}},
        // A carriage return in the dropped part does not end the line early.
        {std::string(max + 7, 'x') + "\rq\r\nnext", {{full, "(cut)"}, {"next"}}},
        // A huge last line without a break still ends the loop after one pass.
        {std::string(100000, 'x'), {{full, "(cut)"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readPasses(c.bytes), c.passes) << c.bytes;
}

class LineRecorder : public DefinitionObserver {
  public:
    std::vector<std::pair<int, bool>> lines;
    void lineRead(int lineNumber, bool cut) override { lines.emplace_back(lineNumber, cut); }
};

TEST(DefinitionFile, CountsLinesAndTellsTheObserverButAFileThatDidNotOpenReadsAsEnded) {
    TempDir dir;
    const std::string path = dir.write("f.txt", "a\n\nb\n" + std::string(2000, 'q'));
    DefinitionFile file;
    LineRecorder recorder;
    file.observer = &recorder;
    // Which names fail to open is the data-file test's; reading one that did not open gives
    // nothing and counts no lines.
    EXPECT_FALSE(file.open(dir.path("")));
    EXPECT_TRUE(file.atEnd());
    TokenList tokens;
    tokens.append("old");
    file.readLine(tokens);
    EXPECT_TRUE(tokens.empty());
    EXPECT_EQ(file.lineNumber(), 0);

    ASSERT_TRUE(file.open(path));
    std::vector<int> numbers;
    while (!file.atEnd()) {
        file.readLine(tokens);
        numbers.push_back(file.lineNumber());
    }
    EXPECT_EQ(numbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(recorder.lines,
              (std::vector<std::pair<int, bool>>{{1, false}, {2, false}, {3, false}, {4, true}}));
    // Opening again starts counting again, with no line read and so none cut.
    ASSERT_TRUE(file.open(path));
    EXPECT_FALSE(file.lineCut());
    file.readLine(tokens);
    EXPECT_EQ(file.lineNumber(), 1);
}

} // namespace
