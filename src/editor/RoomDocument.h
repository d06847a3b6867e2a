#pragma once
#include "world/RoomKeys.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ObjectRegistry;

// One line of a room file as written: its text and the break after it ("\n", "\r\n", or ""
// for a last line without one). Joined back, a document's lines are its file byte for byte.
struct RoomLine {
    std::string text;
    std::string ending;
    bool operator==(const RoomLine&) const = default;
};

// A word of a line as the game splits it, and where it stands in the line's text.
struct LineWord {
    std::size_t offset = 0;
    std::string text;
};

// One key read from an object line: the index of the key's word and of its value words.
struct GivenKey {
    const RoomKey* key = nullptr;
    std::size_t word = 0;
    std::vector<std::size_t> values;
};

// What the game reads from one line. `keys` is empty for a line that names no object type.
struct ReadLine {
    std::vector<LineWord> words;
    std::string type;
    std::span<const RoomKey> keys;
    std::vector<GivenKey> given;
    // Cut at the line limit, or ending inside a key's values: the editor changes such a line
    // only by deleting it, since an added word could land where the game no longer reads.
    bool changeable = true;

    bool isObject() const { return !type.empty(); }
    // The key's values as the game keeps them: the last time it is given (or every time, for
    // "waypoint"), as words; none when the line lacks it.
    const GivenKey* last(std::string_view key) const;
    std::vector<const GivenKey*> all(std::string_view key) const;
    const std::string& value(const GivenKey& key, std::size_t i) const { return words[key.values[i]].text; }
};

// Splits `text` into the words the game reads from it, by the object types of `registry`.
ReadLine readRoomLine(std::string_view text, const ObjectRegistry& registry);

// A room file kept line by line, exactly as written, with what the game reads from each line.
class RoomDocument {
  public:
    explicit RoomDocument(const ObjectRegistry& registry);

    // Replaces the lines with those of `bytes`, split where the game splits them.
    void setText(std::string_view bytes);
    // The whole file: every line and its break, as they stand.
    std::string text() const;

    std::size_t size() const { return lines.size(); }
    const RoomLine& line(std::size_t index) const { return lines[index]; }
    const ReadLine& read(std::size_t index) const { return reads[index]; }

    // The break the file uses most ("\n" when it has none, or as many of each).
    std::string usualEnding() const;

    // Line edits; each keeps what the game reads from the line up to date.
    void replace(std::size_t index, RoomLine line);
    void insert(std::size_t index, RoomLine line);
    void erase(std::size_t index);

    const ObjectRegistry& registry() const { return *types; }

  private:
    const ObjectRegistry* types;
    std::vector<RoomLine> lines;
    std::vector<ReadLine> reads;
};

// Whether two value words of a key of that kind mean the same to the game.
bool sameValue(const std::string& a, const std::string& b, KeyValue value);

// Cut from `text`: the `occurrence`-th time the key is given (the last time when none), its
// word and its values, and the spaces after them (before them, at the end of the line). Nothing
// when the line cannot be changed or lacks it.
std::optional<std::string> withoutKey(std::string_view text, const ReadLine& read, std::string_view key,
                                      std::optional<std::size_t> occurrence = std::nullopt);

// `text` with the values of one key changed: the `occurrence`-th time the key is given
// (counted from 0; the last time when none), its value words replaced by `values` where they
// differ from what they read as, every other byte kept; a behaviour list of another length has
// its words rewritten. A key the line lacks is added at its end. Nothing when the line cannot be changed or
// the key is not one of its type's.
std::optional<std::string> withKeyValues(std::string_view text, const ReadLine& read, std::string_view key,
                                         std::span<const std::string> values,
                                         std::optional<std::size_t> occurrence = std::nullopt);
