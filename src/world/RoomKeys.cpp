#include "world/RoomKeys.h"

#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"

#include <string>
#include <utility>

const RoomKey* findRoomKey(std::span<const RoomKey> keys, std::string_view name) {
    for (const RoomKey& key : keys) {
        if (key.name == name)
            return &key;
    }
    return nullptr;
}

void readRoomKeys(GameObject& object, TokenList& tokens, std::span<const RoomKey> keys) {
    DefinitionObserver* const observer = tokens.observer;
    // The word right after a behaviour list is read as a key; a listener hears when it is
    // neither a behaviour nor a key, which is most likely a misspelt behaviour.
    bool afterList = false;
    while (!tokens.empty()) {
        const std::string word = tokens.takeWord();
        const bool followsList = std::exchange(afterList, false);
        const RoomKey* key = findRoomKey(keys, word);
        if (key == nullptr) {
            if (followsList && observer != nullptr)
                observer->unknownPatrolWord(word);
            else
                tokens.unknownKey(word);
            continue;
        }
        if (!tokens.hasValues(word, key->count))
            continue;
        const std::size_t before = tokens.size();
        key->read(object, tokens, word);
        afterList = key->value == KeyValue::Behaviours;
        if (observer != nullptr)
            observer->keyRead(word, before - tokens.size());
    }
}
