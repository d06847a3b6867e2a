#include "editor/RoomDocument.h"

#include "definitions/AsciiCase.h"
#include "definitions/Conversions.h"
#include "definitions/DefinitionFile.h"
#include "definitions/Quoted.h"
#include "world/ObjectRegistry.h"

#include <algorithm>
#include <utility>

namespace {

// Behaviour words match in any case, as the robot reads them.
bool isKeyword(std::string_view word, std::span<const std::string_view> keywords) {
    const std::string lower = lowerCase(word);
    return std::find(keywords.begin(), keywords.end(), lower) != keywords.end();
}

bool holdsWhiteSpace(std::string_view word) {
    return word.find_first_of("\t\r\v\f") != std::string_view::npos;
}

const std::string TabHint = ": words are separated by spaces only, and this one holds a tab";

std::string typeList(const ObjectRegistry& registry) {
    std::string list;
    for (const std::string_view name : registry.names())
        list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

void noteNumber(ReadLine& read, const std::string& word, KeyValue value) {
    NumberForm form = NumberForm::Clean;
    if (value == KeyValue::Whole)
        readInteger(word, &form);
    else if (value == KeyValue::Decimal)
        readDecimal(word, &form);
    if (form == NumberForm::NoNumber)
        read.findings.push_back(quotedText(word) + " is not a number: it reads as 0");
    else if (form == NumberForm::ExtraCharacters)
        read.findings.push_back(quotedText(word) +
                                " is not a plain number: only the number it starts with counts");
}

// The first value of the key as the game keeps it; 0 when the line lacks it.
std::int32_t wholeOf(const ReadLine& read, std::string_view key) {
    const GivenKey* given = read.last(key);
    return given != nullptr ? readInteger(read.value(*given, 0)) : 0;
}

// `swallowedLaser`: the line's patrol ended in "laser" and a word that is no key followed it,
// most likely the "laser" key's file.
void noteMissingKeys(ReadLine& read, bool swallowedLaser) {
    for (const RoomKey& key : read.keys) {
        if (!key.required() || read.last(key.name) != nullptr)
            continue;
        if (key.name == "laser" && swallowedLaser)
            read.findings.emplace_back(
                "the \"laser\" after the patrol is read as a behaviour, not as the \"laser\" "
                "key: put the \"laser\" key before \"patrol\"");
        else
            read.findings.push_back("the " + read.type + " has no " + quotedText(key.name) +
                                    (key.value == KeyValue::SetFile ? " set: " : ": ") +
                                    std::string(key.withoutIt));
    }
    if (read.type == "searchable") {
        if (wholeOf(read, "width") <= 0 || wholeOf(read, "height") <= 0)
            read.findings.emplace_back(R"(the searchable needs a "width" and a "height" above 0)");
        if (const std::int32_t percentage = wholeOf(read, "percentage"); percentage <= 0)
            read.findings.push_back("the searchable's \"percentage\" is " + std::to_string(percentage) +
                                    ": it is never shown and cannot be searched");
    }
    if (read.type != "lift")
        return;
    const std::size_t stops = read.all("waypoint").size();
    const std::int32_t index = wholeOf(read, "startpoint");
    if (stops > 0 && (index < 0 || static_cast<std::size_t>(index) >= stops))
        read.findings.push_back("the lift's \"startpoint\" " + std::to_string(index) + " is not one of its " +
                                std::to_string(stops) + (stops == 1 ? " waypoint" : " waypoints") +
                                " (0 to " + std::to_string(stops - 1) +
                                "): the game leaves it out of the room");
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
    if (text.size() > DefinitionFile::MaxLineLength) {
        read.findings.push_back("the line is longer than " + std::to_string(DefinitionFile::MaxLineLength) +
                                " characters: the rest of it is ignored");
        read.changeable = false;
    }
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
    const std::string& first = read.words[0].text;
    if (!registry.contains(first)) {
        // Lines starting with "#" are the authors' comments.
        if (first.front() == '#')
            return read;
        if (holdsWhiteSpace(first))
            read.findings.push_back("unknown object type " + quotedText(first) + TabHint +
                                    ": the line is ignored");
        else if (registry.contains(lowerCase(first)))
            read.findings.push_back("unknown object type " + quotedText(first) +
                                    ": type words are lower case (" + quotedText(lowerCase(first)) +
                                    "): the line is ignored");
        else
            read.findings.push_back("unknown object type " + quotedText(first) +
                                    " (types: " + typeList(registry) + "): the line is ignored");
        return read;
    }
    read.type = first;
    read.keys = registry.keysOf(first);
    // As the game's key reader walks the words: a key, then its values.
    bool afterList = false;
    bool swallowedLaser = false;
    for (std::size_t i = 1; i < read.words.size();) {
        const std::string& word = read.words[i].text;
        const bool followsList = std::exchange(afterList, false);
        const RoomKey* key = findRoomKey(read.keys, word);
        GivenKey given{key, i, {}};
        ++i;
        if (key == nullptr) {
            if (followsList) {
                const GivenKey& list = read.given.back();
                swallowedLaser = swallowedLaser || (!list.values.empty() &&
                                                    read.value(list, list.values.size() - 1) == "laser");
                read.findings.push_back(
                    quotedText(word) +
                    " is neither a behaviour nor a key: the patrol ends before it and it is skipped");
            } else {
                read.findings.push_back("unknown key " + quotedText(word) +
                                        (holdsWhiteSpace(word)     ? TabHint
                                         : lowerCase(word) != word ? ": keys are lower case"
                                                                   : "") +
                                        ": skipped, and the next word is read as a key");
            }
            continue;
        }
        if (key->value == KeyValue::Behaviours) {
            while (i < read.words.size() && isKeyword(read.words[i].text, key->keywords))
                given.values.push_back(i++);
            afterList = true;
        } else {
            const std::size_t present = read.words.size() - i;
            if (present < key->count) {
                read.findings.push_back(quotedText(word) + " needs " + std::to_string(key->count) +
                                        (key->count == 1 ? " value" : " values") +
                                        " but the line ends after " + std::to_string(present) +
                                        ": it is ignored");
                read.changeable = false;
                break;
            }
            for (std::size_t v = 0; v < key->count; ++v) {
                noteNumber(read, read.words[i].text, key->value);
                given.values.push_back(i++);
            }
        }
        read.given.push_back(std::move(given));
    }
    noteMissingKeys(read, swallowedLaser);
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

std::vector<LineFinding> RoomDocument::findings() const {
    std::vector<LineFinding> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        for (const std::string& message : reads[i].findings)
            found.push_back({static_cast<int>(i + 1), lines[i].text, message});
    }
    return found;
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
