#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The content sources are small text files read whole. These helpers split them into lines
// and words and read numbers strictly, so that a typo is reported rather than read as zero.

struct SourceLine {
    int number = 0;   // from 1
    std::string text; // without its line break (and without a carriage return before it)
};

std::vector<SourceLine> splitLines(std::string_view text);
std::vector<std::string> splitWords(std::string_view text);

// Whole file into `text`; false with a message when it cannot be read.
bool readTextFile(const std::filesystem::path& path, std::string& text, std::string& error);

// The whole word must be the number; false otherwise (no hex, no "inf", no trailing junk).
bool parseInteger(const std::string& word, long long& value);
bool parseNumber(const std::string& word, double& value);

// "file:line: message", the form every complaint of the generator takes.
std::string sourceError(const std::string& fileName, int line, const std::string& message);

// A path the recipes may write to: relative, forward slashes, no "." or ".." parts, no empty parts.
bool isSafeOutputPath(const std::string& path);
