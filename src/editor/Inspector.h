#pragma once
#include "editor/RoomDocument.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The files a room line may name, as room files write them ("res/textures/crate.png"), sorted:
// the images the game decodes and the animation sets under the data folder's res/.
struct ResourceChoices {
    std::vector<std::string> images;
    std::vector<std::string> sets;
};

// Lists the data folder's res/ once; an unreadable folder lists what could be read.
ResourceChoices listResourceChoices(const std::string& dataDirectory);

// One row of the inspector: a key of the selected line's type, with its words as written.
struct InspectedKey {
    const RoomKey* key = nullptr;
    // For a key that adds, which time it is given (every time is a row of its own); none for
    // any other key, whose last values are the ones the game keeps.
    std::optional<std::size_t> occurrence;
    // The value words; none when the line lacks the key.
    std::vector<std::string> values;
    bool given = false;
};

// Every key the line's type reads, in the order its type lists them, given or not.
std::vector<InspectedKey> inspectLine(const ReadLine& read);

// Why the game would not read `values` as the key's values (empty when it would): a number that
// is none or does not fit, a file that is not an image or set under res/ (nor, with `choices`,
// one of them), a word that is not one of the key's keywords.
std::string refusedValues(const RoomKey& key, std::span<const std::string> values,
                          const ResourceChoices* choices = nullptr);

// A behaviour list with one change: a word added at the end, or the word at `index` removed or
// moved one place up (earlier) or down; none when there is no such word or place.
enum class ListEdit { Add, Remove, Up, Down };
std::optional<std::vector<std::string>> editedList(std::vector<std::string> list, ListEdit edit,
                                                   std::size_t index, std::string_view word = {});
