#include "world/EntryPoint.h"

#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"
#include "world/RoomKeys.h"
#include "world/World.h"

#include <iterator>
#include <string>

EntryPoint::~EntryPoint() {
    // The world forgets a room's entry points when it reads the next room, but an entry
    // point read into some other room (a tool's) must not stay in the table either.
    for (EntryPoint*& slot : world.entryPoints) {
        if (slot == this)
            slot = nullptr;
    }
}

namespace {

// Matched exactly, by their place: 0 "left", 1 "right".
constexpr std::string_view SideWords[] = {"left", "right"};

void readPosition(GameObject& object, TokenList& tokens, std::string_view) {
    object.x = tokens.takeFloat();
    object.y = tokens.takeFloat();
}

void readSide(GameObject& object, TokenList& tokens, std::string_view key) {
    const std::string value = tokens.takeWord();
    for (std::size_t side = 0; side < std::size(SideWords); ++side) {
        if (value == SideWords[side]) {
            static_cast<EntryPoint&>(object).side = static_cast<std::int32_t>(side);
            return;
        }
    }
    if (tokens.observer != nullptr)
        tokens.observer->unknownKeyword(key, value);
}

const RoomKey EntryPointKeys[] = {
    {"position", KeyValue::Decimal, 2, "", {}, readPosition, "units x y", false},
    {"side", KeyValue::Keyword, 1, "", SideWords, readSide, "", false},
};

} // namespace

std::span<const RoomKey> EntryPoint::roomKeys() {
    return EntryPointKeys;
}

void EntryPoint::load(TokenList& tokens) {
    readRoomKeys(*this, tokens, EntryPointKeys);
    world.entryPoints[static_cast<std::size_t>(side)] = this;
}
