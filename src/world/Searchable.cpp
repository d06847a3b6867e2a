#include "world/Searchable.h"

#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "world/NamedTexture.h"

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

void Searchable::load(TokenList& tokens) {
    while (!tokens.empty()) {
        const std::string key = tokens.takeWord();
        if (key == "texture") {
            if (tokens.hasValues(key, 1))
                loadNamedTexture(tokens, key, texture);
        } else if (key == "position") {
            if (tokens.hasValues(key, 2)) {
                x = static_cast<float>(tokens.takeInt());
                y = static_cast<float>(tokens.takeInt());
            }
        } else if (key == "width") {
            if (tokens.hasValues(key, 1))
                w = static_cast<float>(tokens.takeInt());
        } else if (key == "height") {
            if (tokens.hasValues(key, 1))
                h = static_cast<float>(tokens.takeInt());
        } else if (key == "percentage") {
            if (tokens.hasValues(key, 1))
                percentage = tokens.takeInt();
        } else {
            tokens.unknownKey(key);
        }
    }
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
