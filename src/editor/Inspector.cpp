#include "editor/Inspector.h"

#include "definitions/AsciiCase.h"
#include "definitions/Conversions.h"
#include "definitions/Quoted.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {

// Enough for any data folder worth editing; a folder past it lists its first files.
constexpr std::size_t MostFilesListed = 20000;

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool isImageName(std::string_view name) {
    const std::string lower = lowerCase(name);
    return endsWith(lower, ".png") || endsWith(lower, ".jpg") || endsWith(lower, ".jpeg");
}

bool isSetName(std::string_view name) {
    return endsWith(name, ".set");
}

// A name under res/ as room files write one: forward slashes, never back out of res/.
bool isUnderRes(std::string_view name) {
    if (name.substr(0, 4) != "res/" || name.find('\\') != std::string_view::npos)
        return false;
    for (std::size_t at = 0; at <= name.size();) {
        const std::size_t end = std::min(name.find('/', at), name.size());
        const std::string_view part = name.substr(at, end - at);
        if (part.empty() || part == "." || part == "..")
            return false;
        at = end + 1;
    }
    return true;
}

std::string wordList(std::span<const std::string_view> words) {
    std::string list;
    for (const std::string_view word : words)
        list += (list.empty() ? "" : ", ") + std::string(word);
    return list;
}

// Whole numbers as the game reads them, and only those it reads whole: a 32-bit number.
std::string refusedWhole(const std::string& word) {
    NumberForm form = NumberForm::Clean;
    const std::int32_t read = readInteger(word, &form);
    if (form == NumberForm::NoNumber)
        return quotedText(word) + " is not a whole number";
    if (form != NumberForm::Clean)
        return quotedText(word) + " is not a whole number: the game reads it as " + std::to_string(read);
    const std::string_view digits = std::string_view(word).substr(word.front() == '+' ? 1 : 0);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() ||
        value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return quotedText(word) + " is too large for a room: the game reads it as " + std::to_string(read);
    return {};
}

std::string refusedDecimal(const std::string& word) {
    NumberForm form = NumberForm::Clean;
    const float read = readFloat(word, &form);
    if (form != NumberForm::Clean)
        return quotedText(word) + " is not a number";
    if (!std::isfinite(read))
        return quotedText(word) + " is too large for a room";
    return {};
}

std::string refusedFile(const std::string& word, bool set, const ResourceChoices* choices) {
    const char* const what = set ? "an animation set (.set)" : "an image (.png, .jpg or .jpeg)";
    if (!isUnderRes(word) || !(set ? isSetName(word) : isImageName(word)))
        return quotedText(word) + " is not " + what + " under res/";
    if (choices != nullptr) {
        const std::vector<std::string>& listed = set ? choices->sets : choices->images;
        if (!std::binary_search(listed.begin(), listed.end(), word))
            return quotedText(word) + " is not " + what + " of the data folder";
    }
    return {};
}

std::string refusedWord(const RoomKey& key, const std::string& word, const ResourceChoices* choices) {
    if (word.empty())
        return "a value is empty";
    // The game splits lines at spaces only; any other control byte is taken into the word.
    if (std::any_of(word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
        return quotedText(word) + " holds a space or a control character";
    switch (key.value) {
    case KeyValue::Whole:
        return refusedWhole(word);
    case KeyValue::Decimal:
        return refusedDecimal(word);
    case KeyValue::ImageFile:
    case KeyValue::SetFile:
        return refusedFile(word, key.value == KeyValue::SetFile, choices);
    case KeyValue::Keyword:
    case KeyValue::Behaviours: {
        // The editor writes keywords as the game lists them; behaviours already written in
        // capitals, which the robot reads in any case, may stay so.
        const std::string seen = key.value == KeyValue::Behaviours ? lowerCase(word) : word;
        if (std::find(key.keywords.begin(), key.keywords.end(), seen) == key.keywords.end())
            return quotedText(word) + " is not one of " + wordList(key.keywords);
        return {};
    }
    }
    return {};
}

} // namespace

ResourceChoices listResourceChoices(const std::string& dataDirectory) {
    namespace fs = std::filesystem;
    ResourceChoices choices;
    const fs::path res = fs::path(dataDirectory) / "res";
    std::error_code failed;
    fs::recursive_directory_iterator walk(res, fs::directory_options::skip_permission_denied, failed);
    std::size_t seen = 0;
    for (; !failed && walk != fs::recursive_directory_iterator() && seen < MostFilesListed;
         walk.increment(failed), ++seen) {
        std::error_code notFile;
        if (!walk->is_regular_file(notFile))
            continue;
        const std::string name = "res/" + walk->path().lexically_relative(res).generic_string();
        if (isImageName(name))
            choices.images.push_back(name);
        else if (isSetName(name))
            choices.sets.push_back(name);
    }
    std::sort(choices.images.begin(), choices.images.end());
    std::sort(choices.sets.begin(), choices.sets.end());
    return choices;
}

std::vector<InspectedKey> inspectLine(const ReadLine& read) {
    std::vector<InspectedKey> rows;
    for (const RoomKey& key : read.keys) {
        const std::vector<const GivenKey*> given = read.all(key.name);
        auto row = [&](const GivenKey& g, std::optional<std::size_t> occurrence) {
            InspectedKey r{&key, occurrence, {}, true};
            for (std::size_t i = 0; i < g.values.size(); ++i)
                r.values.push_back(read.value(g, i));
            rows.push_back(std::move(r));
        };
        if (given.empty())
            rows.push_back({&key, std::nullopt, {}, false});
        else if (key.adds)
            for (std::size_t i = 0; i < given.size(); ++i)
                row(*given[i], i);
        else
            row(*given.back(), std::nullopt);
    }
    return rows;
}

std::string refusedValues(const RoomKey& key, std::span<const std::string> values,
                          const ResourceChoices* choices) {
    if (key.value != KeyValue::Behaviours && values.size() != key.count)
        return quotedText(key.name) + " takes " + std::to_string(key.count) +
               (key.count == 1 ? " value" : " values") + ", not " + std::to_string(values.size());
    for (const std::string& word : values) {
        if (std::string why = refusedWord(key, word, choices); !why.empty())
            return why;
    }
    return {};
}

std::optional<std::vector<std::string>> editedList(std::vector<std::string> list, ListEdit edit,
                                                   std::size_t index, std::string_view word) {
    if (edit == ListEdit::Add) {
        list.emplace_back(word);
        return list;
    }
    if (index >= list.size())
        return std::nullopt;
    const auto at = list.begin() + static_cast<std::ptrdiff_t>(index);
    switch (edit) {
    case ListEdit::Remove:
        list.erase(at);
        return list;
    case ListEdit::Up:
        if (index == 0)
            return std::nullopt;
        std::iter_swap(at, at - 1);
        return list;
    case ListEdit::Down:
        if (index + 1 >= list.size())
            return std::nullopt;
        std::iter_swap(at, at + 1);
        return list;
    case ListEdit::Add:
        break;
    }
    return std::nullopt;
}
