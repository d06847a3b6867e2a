#include "content/SourceText.h"

#include "definitions/NumberText.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>

std::vector<SourceLine> splitLines(std::string_view text) {
    std::vector<SourceLine> lines;
    int number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back({++number, std::string(line)});
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> splitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t position = 0;
    while (position < text.size()) {
        while (position < text.size() && (text[position] == ' ' || text[position] == '\t')) {
            ++position;
        }
        std::size_t start = position;
        while (position < text.size() && text[position] != ' ' && text[position] != '\t') {
            ++position;
        }
        if (position > start) {
            words.emplace_back(text.substr(start, position - start));
        }
    }
    return words;
}

bool readTextFile(const std::filesystem::path& path, std::string& text, std::string& error) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = path.generic_string() + ": cannot open";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = path.generic_string() + ": cannot read";
        return false;
    }
    return true;
}

bool parseInteger(const std::string& word, long long& value) {
    const char* first = word.data();
    const char* last = word.data() + word.size();
    auto [end, code] = std::from_chars(first, last, value);
    return code == std::errc() && end == last && !word.empty();
}

bool parseNumber(const std::string& word, double& value) {
    return readNumberText(word, value, false) && std::isfinite(value);
}

std::string sourceError(const std::string& fileName, int line, const std::string& message) {
    return fileName + ":" + std::to_string(line) + ": " + message;
}

bool isSafeOutputPath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\\') != std::string::npos ||
        path.find(':') != std::string::npos) {
        return false;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('/', start);
        std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        if (end == std::string::npos) {
            return true;
        }
        start = end + 1;
    }
}
