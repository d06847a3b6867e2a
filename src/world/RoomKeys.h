#pragma once
#include <cstddef>
#include <span>
#include <string_view>

class GameObject;
class TokenList;

// What the words after a key are, as room files write them.
enum class KeyValue {
    // Whole numbers ("12"; "2.75" reads as 2).
    Whole,
    // Numbers with decimals.
    Decimal,
    // An image file under res/.
    ImageFile,
    // An animation-set file under res/.
    SetFile,
    // One of the key's keywords.
    Keyword,
    // Behaviour words, as many as follow: the first word that is none ends the list.
    Behaviours,
};

// One key an object type reads from its room line: each type lists its keys once, and the
// room reader, the room check and anything that shows or edits a room take them from there.
struct RoomKey {
    std::string_view name;
    KeyValue value = KeyValue::Whole;
    // Words after the key; a Behaviours list takes what follows instead.
    std::size_t count = 0;
    // What the game makes of a line without it; empty when the key may be left out.
    std::string_view withoutIt;
    // The words a Keyword key takes.
    std::span<const std::string_view> keywords;
    // Takes the key's values from `tokens` (there are `count` of them) into the object, which
    // is of the type that lists the key.
    void (*read)(GameObject& object, TokenList& tokens, std::string_view key) = nullptr;
    // What the numbers count, as docs/ROOMS.md says it; empty for words.
    std::string_view unit;
    // Each time the key is given adds to what the object has (a lift's stops, a patrol), where
    // any other key given again keeps only its later values.
    bool adds = false;

    bool required() const { return !withoutIt.empty(); }
};

// The key called `name`, or null.
const RoomKey* findRoomKey(std::span<const RoomKey> keys, std::string_view name);

// Reads the rest of a room line into `object` by `keys`: each word is a key followed by its
// values. An unknown key, or a key whose values the line lacks, is told to the list's
// observer and skipped.
void readRoomKeys(GameObject& object, TokenList& tokens, std::span<const RoomKey> keys);
