#pragma once
#include "graphics/Texture.h"
#include "world/GameObject.h"
#include "world/RoomKeys.h"

#include <cstdint>
#include <span>

// A rectangle of tiles that the player stands on and cannot walk through. It covers
// every tile between its two corner tiles, both included, and never moves.
class Platform : public GameObject {
  public:
    Platform() { updates = false; }
    void load(TokenList& tokens) override;
    // The keys of a "platform" line.
    static std::span<const RoomKey> roomKeys();
    void draw() override;
    DrawReach drawReach() override;
    ObjectKind kind() override { return ObjectKind::Platform; }

    std::int32_t startX = 0;
    std::int32_t startY = 0;
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    // One copy per tile.
    TextureRef texture;
    // A band along the top edge, one copy per tile.
    TextureRef tileTexture;
};
