#pragma once
#include "definitions/TokenList.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

class DefinitionObserver;

// Appends the words of `text` to `tokens`: maximal runs of bytes that are not in
// `separators`. The text ends at its end or at the first zero byte.
void splitLine(std::string_view text, std::string_view separators, TokenList& tokens);

// A definition file being read line by line. The reading loop of every reader is
//   if (!file.open(path)) return;  TokenList tokens;
//   while (!file.atEnd()) { file.readLine(tokens); handle(tokens); }
// which always ends: the end of the file and a read error both end it, and a file
// that ends with a line break gives one last pass with no words.
class DefinitionFile {
  public:
    // Longest line, not counting its line break. Longer lines are cut here and the rest
    // of the line is dropped.
    static constexpr std::size_t MaxLineLength = 1023;

    // False when the path cannot be read as a regular file (missing, a directory, a file that
    // never ends...). The whole file is read here, so a file that fails changes nothing.
    bool open(const std::string& path);
    // Empties `tokens`, reads the next line and splits it at spaces into `tokens`.
    void readLine(TokenList& tokens);
    // True once the end of the file has been reached, and while no file is open.
    bool atEnd() const { return ended; }

    // Number of the line last read, from 1; 0 before the first.
    int lineNumber() const { return lineCount; }
    // Whether the line last read was longer than MaxLineLength and cut.
    bool lineCut() const { return cut; }

    // Told about every line read; none in the game.
    DefinitionObserver* observer = nullptr;

  private:
    std::string text;
    std::size_t next = 0;
    std::array<char, MaxLineLength + 1> buffer{};
    bool ended = true;
    bool cut = false;
    int lineCount = 0;
};
