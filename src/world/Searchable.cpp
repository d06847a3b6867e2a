#include "world/Searchable.h"

#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "world/NamedTexture.h"
#include "world/RoomKeys.h"

#include <string>

namespace {

// 15 per second.
constexpr float SearchRate = 15.0f * FixedStep;
// Opaque yellow; red is the lowest byte.
constexpr std::uint32_t BarColour = 0xFF00FFFF;

} // namespace

Searchable::Searchable() {
    drawLayer = 2;
}

namespace {

void readPosition(GameObject& object, TokenList& tokens, std::string_view) {
    object.x = static_cast<float>(tokens.takeInt());
    object.y = static_cast<float>(tokens.takeInt());
}

void readWidth(GameObject& object, TokenList& tokens, std::string_view) {
    object.w = static_cast<float>(tokens.takeInt());
}

void readHeight(GameObject& object, TokenList& tokens, std::string_view) {
    object.h = static_cast<float>(tokens.takeInt());
}

void readPercentage(GameObject& object, TokenList& tokens, std::string_view) {
    static_cast<Searchable&>(object).percentage = tokens.takeInt();
}

void readTexture(GameObject& object, TokenList& tokens, std::string_view key) {
    loadNamedTexture(tokens, key, static_cast<Searchable&>(object).texture);
}

const RoomKey SearchableKeys[] = {
    {"position", KeyValue::Whole, 2, "", {}, readPosition, "units x y", false},
    {"width", KeyValue::Whole, 1, "", {}, readWidth, "units", false},
    {"height", KeyValue::Whole, 1, "", {}, readHeight, "units", false},
    {"percentage", KeyValue::Whole, 1, "", {}, readPercentage, "searched at 15 a second", false},
    {"texture", KeyValue::ImageFile, 1, "", {}, readTexture, "", false},
};

} // namespace

std::span<const RoomKey> Searchable::roomKeys() {
    return SearchableKeys;
}

void Searchable::load(TokenList& tokens) {
    readRoomKeys(*this, tokens, SearchableKeys);
    remaining = static_cast<float>(percentage);
}

void Searchable::reset() {
    remaining = static_cast<float>(percentage);
    searcher = nullptr;
}

bool Searchable::interactUp(GameObject* user) {
    if (remaining > 0.0f) {
        searcher = user;
        return true;
    }
    return false;
}

void Searchable::update() {
    // Counted one step late: the player asks after the room's objects have run.
    if (searcher != nullptr) {
        remaining -= SearchRate;
        if (remaining < 0.0f)
            remaining = 0.0f;
    }
    searcher = nullptr;
}

void Searchable::draw() {
    if (remaining > 0.0f)
        texture.draw(x, y, w, h, 1.0f, 1.0f, 2);
    if (searcher != nullptr && theSpriteRenderer) {
        // 5 units wide for 100 still to search, three units above the bottom edge.
        theGraphics.boundTexture = nullptr;
        theSpriteRenderer->drawQuad(x + w, y - 3.0f, 5.0f * remaining * 0.01f, 0.5f, 1.0f, 1.0f, BarColour,
                                    2);
    }
}
