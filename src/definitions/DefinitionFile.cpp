#include "definitions/DefinitionFile.h"

#include "definitions/DefinitionObserver.h"

#include "definitions/DataFile.h"
#include "definitions/StopRequests.h"

#include <cstdio>

void splitLine(std::string_view text, std::string_view separators, TokenList& tokens) {
    text = text.substr(0, text.find('\0'));
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && separators.find(text[i]) != std::string_view::npos)
            ++i;
        if (i == text.size())
            return;
        const std::size_t start = i;
        while (i < text.size() && separators.find(text[i]) == std::string_view::npos)
            ++i;
        tokens.append(text.substr(start, i - start));
    }
}

bool DefinitionFile::open(const std::string& path) {
    ended = true;
    cut = false;
    lineCount = 0;
    next = 0;
    // The bytes as they are: the line-break rules below are the game's own on every platform.
    // Only regular files within the bound that end where they say: a device, a pipe or a file
    // under /proc might never end.
    if (!readWholeDataFile(path, MaxDefinitionFileBytes, text))
        return false;
    ended = false;
    return true;
}

void DefinitionFile::readLine(TokenList& tokens) {
    tokens.clear();
    buffer.fill('\0');
    cut = false;
    if (ended)
        return;
    // The game is stopping: the rest of the file would only delay it.
    if (stopRequested()) {
        ended = true;
        return;
    }
    ++lineCount;
    std::size_t length = 0;
    auto nextByte = [this]() -> int {
        return next < text.size() ? static_cast<unsigned char>(text[next++]) : EOF;
    };
    while (true) {
        const int c = nextByte();
        if (c == EOF) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        if (c == '\r') {
            // Text files written on Windows: a carriage return right before the line
            // feed belongs to the line break; anywhere else it is an ordinary byte.
            if (next < text.size() && text[next] == '\n') {
                ++next;
                break;
            }
        }
        if (length < MaxLineLength)
            buffer[length++] = static_cast<char>(c);
        else
            cut = true;
    }
    // A zero byte ends the line's text; splitLine stops there.
    splitLine(std::string_view(buffer.data(), length), " ", tokens);
    if (observer != nullptr)
        observer->lineRead(lineCount, cut);
}
