#pragma once
#include "graphics/Texture.h"
#include "world/GameObject.h"
#include "world/RoomKeys.h"

#include <cstdint>
#include <span>

// Something the player searches by holding Up against it. It shows a progress bar while
// searched and vanishes once searched through, until the next reset.
class Searchable : public GameObject {
  public:
    Searchable();

    void load(TokenList& tokens) override;
    // The keys of a "searchable" line.
    static std::span<const RoomKey> roomKeys();
    void reset() override;
    void update() override;
    void draw() override;
    bool interactUp(GameObject* user) override;
    ObjectKind kind() override { return ObjectKind::Searchable; }

    TextureRef texture;
    std::int32_t percentage = 0;
    // What is still to search; 0 means searched through.
    float remaining = 0.0f;
    // Who searched it since the last update; valid while the room holds this object.
    GameObject* searcher = nullptr;
};
