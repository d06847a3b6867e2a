#include "world/EntryPoint.h"

#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"
#include "world/World.h"

#include <string>

EntryPoint::~EntryPoint() {
    // The world forgets a room's entry points when it reads the next room, but an entry
    // point read into some other room (a tool's) must not stay in the table either.
    for (EntryPoint*& slot : world.entryPoints) {
        if (slot == this)
            slot = nullptr;
    }
}

void EntryPoint::load(TokenList& tokens) {
    while (!tokens.empty()) {
        const std::string key = tokens.takeWord();
        if (key == "position") {
            if (tokens.hasValues(key, 2)) {
                x = tokens.takeFloat();
                y = tokens.takeFloat();
            }
        } else if (key == "side") {
            if (tokens.hasValues(key, 1)) {
                const std::string value = tokens.takeWord();
                if (value == "left")
                    side = 0;
                else if (value == "right")
                    side = 1;
                else if (tokens.observer != nullptr)
                    tokens.observer->unknownKeyword(key, value);
            }
        } else {
            tokens.unknownKey(key);
        }
    }
    world.entryPoints[static_cast<std::size_t>(side)] = this;
}
