#pragma once
#include "world/GameObject.h"
#include "world/RoomKeys.h"

#include <cstdint>
#include <span>

// Where the player is placed when it comes into the room from one side. Draws nothing,
// and the player walks through it.
class EntryPoint : public GameObject {
  public:
    EntryPoint() { updates = false; }
    ~EntryPoint() override;
    // Reads "position" and "side", then takes its side's slot of the world's table,
    // replacing whatever entry point was there.
    void load(TokenList& tokens) override;
    // The keys of an "entrypoint" line.
    static std::span<const RoomKey> roomKeys();
    DrawReach drawReach() override { return {DrawReach::Nowhere, {}}; }

    // 0 "left", 1 "right".
    std::int32_t side = 0;
};
