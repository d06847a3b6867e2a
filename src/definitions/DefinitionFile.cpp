#include "definitions/DefinitionFile.h"

#include "definitions/DefinitionObserver.h"

#include "definitions/DataFile.h"
#include "definitions/StopSignals.h"

#include <cstring>

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
    file.reset();
    ended = true;
    cut = false;
    lineCount = 0;
    // Binary mode: the line-break rules below are the game's own on every platform.
    // Only regular files within the bound: a device or pipe might never end.
    std::unique_ptr<std::FILE, FileCloser> opened{openDataFile(path, MaxDefinitionFileBytes)};
    if (!opened)
        return false;
    file = std::move(opened);
    ended = false;
    return true;
}

void DefinitionFile::readLine(TokenList& tokens) {
    tokens.clear();
    buffer.fill('\0');
    cut = false;
    if (!file || ended)
        return;
    // The game is stopping: the rest of the file would only delay it.
    if (stopRequested()) {
        ended = true;
        return;
    }
    ++lineCount;
    std::size_t length = 0;
    while (true) {
        // A read error reads as the end of the file, so the loop always ends.
        int c = std::getc(file.get());
        if (c == EOF) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        if (c == '\r') {
            // Text files written on Windows: a carriage return right before the line
            // feed belongs to the line break; anywhere else it is an ordinary byte.
            const int next = std::getc(file.get());
            if (next == '\n')
                break;
            if (next != EOF)
                std::ungetc(next, file.get());
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
