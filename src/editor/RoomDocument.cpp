#include "editor/RoomDocument.h"

#include "definitions/AsciiCase.h"
#include "definitions/Conversions.h"
#include "definitions/DefinitionFile.h"
#include "world/ObjectRegistry.h"

#include <algorithm>
#include <utility>

namespace {

// Behaviour words match in any case, as the robot reads them.
bool isKeyword(std::string_view word, std::span<const std::string_view> keywords) {
    const std::string lower = lowerCase(word);
    return std::find(keywords.begin(), keywords.end(), lower) != keywords.end();
}

} // namespace

bool sameValue(const std::string& a, const std::string& b, KeyValue value) {
    if (value == KeyValue::Whole)
        return readInteger(a) == readInteger(b);
    if (value == KeyValue::Decimal)
        return readFloat(a) == readFloat(b);
    return a == b;
}

const GivenKey* ReadLine::last(std::string_view key) const {
    for (std::size_t i = given.size(); i-- > 0;) {
        if (given[i].key->name == key)
            return &given[i];
    }
    return nullptr;
}

std::vector<const GivenKey*> ReadLine::all(std::string_view key) const {
    std::vector<const GivenKey*> found;
    for (const GivenKey& g : given) {
        if (g.key->name == key)
            found.push_back(&g);
    }
    return found;
}

ReadLine readRoomLine(std::string_view text, const ObjectRegistry& registry) {
    ReadLine read;
    // The game reads no further than the line limit and the first zero byte.
    if (text.size() > DefinitionFile::MaxLineLength)
        read.changeable = false;
    std::string_view seen = text.substr(0, DefinitionFile::MaxLineLength);
    seen = seen.substr(0, seen.find('\0'));
    for (std::size_t i = 0; i < seen.size();) {
        if (seen[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t end = std::min(seen.find(' ', i), seen.size());
        read.words.push_back({i, std::string(seen.substr(i, end - i))});
        i = end;
    }
    if (read.words.empty())
        return read;
    // A line of no type (an author's comment, a mistake) is the game's to ignore and the
    // check's to point out.
    const std::string& first = read.words[0].text;
    if (!registry.contains(first))
        return read;
    read.type = first;
    read.keys = registry.keysOf(first);
    // As the game's key reader walks the words: a key, then its values.
    for (std::size_t i = 1; i < read.words.size();) {
        const std::string& word = read.words[i].text;
        const RoomKey* key = findRoomKey(read.keys, word);
        GivenKey given{key, i, {}};
        ++i;
        // An unknown word is skipped and the next read as a key, as the game reads it.
        if (key == nullptr)
            continue;
        if (key->value == KeyValue::Behaviours) {
            while (i < read.words.size() && isKeyword(read.words[i].text, key->keywords))
                given.values.push_back(i++);
        } else {
            const std::size_t present = read.words.size() - i;
            if (present < key->count) {
                read.changeable = false;
                break;
            }
            for (std::size_t v = 0; v < key->count; ++v)
                given.values.push_back(i++);
        }
        read.given.push_back(std::move(given));
    }
    return read;
}

RoomDocument::RoomDocument(const ObjectRegistry& registry) : types(&registry) {}

void RoomDocument::setText(std::string_view bytes) {
    lines.clear();
    reads.clear();
    // As the game splits lines: at "\n", a "\r" right before it belonging to the break.
    while (!bytes.empty()) {
        const std::size_t feed = bytes.find('\n');
        RoomLine line;
        if (feed == std::string_view::npos) {
            line.text = std::string(bytes);
            bytes = {};
        } else {
            const bool crlf = feed > 0 && bytes[feed - 1] == '\r';
            line.text = std::string(bytes.substr(0, crlf ? feed - 1 : feed));
            line.ending = crlf ? "\r\n" : "\n";
            bytes.remove_prefix(feed + 1);
        }
        reads.push_back(readRoomLine(line.text, *types));
        lines.push_back(std::move(line));
    }
}

std::string RoomDocument::text() const {
    std::string bytes;
    for (const RoomLine& line : lines)
        bytes += line.text + line.ending;
    return bytes;
}

std::string RoomDocument::usualEnding() const {
    const auto crlf =
        std::count_if(lines.begin(), lines.end(), [](const RoomLine& l) { return l.ending == "\r\n"; });
    const auto lf =
        std::count_if(lines.begin(), lines.end(), [](const RoomLine& l) { return l.ending == "\n"; });
    return crlf > lf ? "\r\n" : "\n";
}

void RoomDocument::replace(std::size_t index, RoomLine line) {
    reads[index] = readRoomLine(line.text, *types);
    lines[index] = std::move(line);
}

void RoomDocument::insert(std::size_t index, RoomLine line) {
    const auto at = static_cast<std::ptrdiff_t>(index);
    reads.insert(reads.begin() + at, readRoomLine(line.text, *types));
    lines.insert(lines.begin() + at, std::move(line));
}

void RoomDocument::erase(std::size_t index) {
    const auto at = static_cast<std::ptrdiff_t>(index);
    reads.erase(reads.begin() + at);
    lines.erase(lines.begin() + at);
}

std::optional<std::string> withKeyValues(std::string_view text, const ReadLine& read, std::string_view key,
                                         std::span<const std::string> values,
                                         std::optional<std::size_t> occurrence) {
    const RoomKey* described = findRoomKey(read.keys, key);
    if (!read.isObject() || !read.changeable || described == nullptr)
        return std::nullopt;
    const std::vector<const GivenKey*> given = read.all(key);
    std::string changed(text);
    if (given.empty() || (occurrence && *occurrence >= given.size())) {
        // A new key at the end of the line, where nothing can swallow it: the line ends in
        // no key's values, and the keys the editor adds are no behaviour words.
        if (!changed.empty() && changed.back() != ' ')
            changed += ' ';
        changed += std::string(key);
        for (const std::string& value : values)
            changed += ' ' + value;
        return changed;
    }
    const GivenKey& target = *given[occurrence.value_or(given.size() - 1)];
    if (target.values.size() != values.size()) {
        if (described->value != KeyValue::Behaviours)
            return std::nullopt;
        // A list of another length: its words rewritten, from the key word to its last word.
        const LineWord& keyWord = read.words[target.word];
        const std::size_t from = keyWord.offset + keyWord.text.size();
        const std::size_t to = target.values.empty() ? from
                                                     : read.words[target.values.back()].offset +
                                                           read.words[target.values.back()].text.size();
        std::string list;
        for (const std::string& value : values)
            list += ' ' + value;
        changed.replace(from, to - from, list);
        return changed;
    }
    // From the last word back, so that the offsets before it stay true.
    for (std::size_t i = values.size(); i-- > 0;) {
        const LineWord& word = read.words[target.values[i]];
        if (!sameValue(word.text, values[i], described->value))
            changed.replace(word.offset, word.text.size(), values[i]);
    }
    return changed;
}

std::optional<std::string> withoutKey(std::string_view text, const ReadLine& read, std::string_view key,
                                      std::optional<std::size_t> occurrence) {
    if (!read.isObject() || !read.changeable)
        return std::nullopt;
    const std::vector<const GivenKey*> given = read.all(key);
    if (given.empty() || (occurrence && *occurrence >= given.size()))
        return std::nullopt;
    const GivenKey& target = *given[occurrence.value_or(given.size() - 1)];
    const LineWord& last = read.words[target.values.empty() ? target.word : target.values.back()];
    std::size_t from = read.words[target.word].offset;
    std::size_t to = last.offset + last.text.size();
    const std::size_t after = text.find_first_not_of(' ', to);
    if (after != std::string_view::npos)
        to = after;
    else
        from = text.find_last_not_of(' ', from - 1) + 1;
    std::string changed(text);
    changed.erase(from, to - from);
    return changed;
}
