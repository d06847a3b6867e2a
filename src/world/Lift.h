#pragma once
#include "graphics/Texture.h"
#include "world/GameObject.h"
#include "world/RoomKeys.h"

#include <cstdint>
#include <span>
#include <vector>

// A three-tile platform that carries the player between its stops, one stop per ride.
// Up is the previous stop in the list, down the next one; only y moves.
class Lift : public GameObject {
  public:
    Lift();

    // A lift with no stops, or whose "startpoint" is not one of them, has nowhere to
    // be: it marks itself rejected and the room leaves it out.
    void load(TokenList& tokens) override;
    // The keys of a "lift" line.
    static std::span<const RoomKey> roomKeys();
    void reset() override;
    void update() override;
    void draw() override;
    // Anywhere between its highest and lowest stop.
    DrawReach drawReach() override;
    bool interactUp(GameObject* user) override;
    bool interactDown(GameObject* user) override;
    ObjectKind kind() override { return ObjectKind::Lift; }

    struct Waypoint {
        float x = 0.0f;
        float y = 0.0f;
    };

    // 0 idle, 1 moving up (y decreasing), 2 moving down.
    static constexpr int Idle = 0;
    static constexpr int MovingUp = 1;
    static constexpr int MovingDown = 2;

    // Valid while the room holds this lift; the player outlives every room.
    GameObject* rider = nullptr;
    TextureRef texture;
    TextureRef tileTexture;
    std::vector<Waypoint> waypoints;
    int motion = Idle;
    std::int32_t startIndex = 0;
    std::int32_t targetIndex = 0;

  private:
    bool boardable(const GameObject& user) const;
    void placeAtStart();
};
