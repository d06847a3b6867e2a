#include "world/Platform.h"

#include "definitions/TokenList.h"
#include "graphics/SpriteRenderer.h"
#include "world/NamedTexture.h"
#include "world/RoomKeys.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

// Tiles from one corner to the other, both included. Corners are any 32-bit numbers,
// so the difference is taken in 64 bits.
float tileSpan(std::int32_t from, std::int32_t to) {
    const std::int64_t difference = static_cast<std::int64_t>(to) - static_cast<std::int64_t>(from);
    return static_cast<float>((difference < 0 ? -difference : difference) + 1);
}

} // namespace

namespace {

Platform& asPlatform(GameObject& object) {
    return static_cast<Platform&>(object);
}

void readStart(GameObject& object, TokenList& tokens, std::string_view) {
    asPlatform(object).startX = tokens.takeInt();
    asPlatform(object).startY = tokens.takeInt();
}

void readEnd(GameObject& object, TokenList& tokens, std::string_view) {
    asPlatform(object).endX = tokens.takeInt();
    asPlatform(object).endY = tokens.takeInt();
}

void readTexture(GameObject& object, TokenList& tokens, std::string_view key) {
    loadNamedTexture(tokens, key, asPlatform(object).texture);
}

void readTile(GameObject& object, TokenList& tokens, std::string_view key) {
    loadNamedTexture(tokens, key, asPlatform(object).tileTexture);
}

const RoomKey PlatformKeys[] = {
    {"start", KeyValue::Whole, 2, "", {}, readStart, "tile c r", false},
    {"end", KeyValue::Whole, 2, "", {}, readEnd, "tile c r", false},
    {"texture", KeyValue::ImageFile, 1, "", {}, readTexture, "", false},
    {"tile", KeyValue::ImageFile, 1, "", {}, readTile, "", false},
};

} // namespace

std::span<const RoomKey> Platform::roomKeys() {
    return PlatformKeys;
}

void Platform::load(TokenList& tokens) {
    readRoomKeys(*this, tokens, PlatformKeys);
    x = static_cast<float>(std::min(startX, endX));
    y = static_cast<float>(std::max(startY, endY));
    w = tileSpan(startX, endX);
    h = tileSpan(startY, endY);
}

void Platform::draw() {
    texture.draw(x, y, w, h, w, h, 0);
    // The top row's box; layer 3 turns it into a band 0.4 high standing on the top edge.
    tileTexture.draw(x, y - h + 1.0f, w, 1.0f, w, 1.0f, 3);
}

DrawReach Platform::drawReach() {
    if (!theSpriteRenderer)
        return {};
    SpriteRenderer& renderer = *theSpriteRenderer;
    return {DrawReach::Still,
            rectUnion(renderer.quadPixels(x, y, w, h, 0), renderer.quadPixels(x, y - h + 1.0f, w, 1.0f, 3))};
}
