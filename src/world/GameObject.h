#pragma once
#include <cmath>
#include <cstdint>

#include "graphics/QuadLayout.h"

class Room;
class TokenList;

// What an object is to the player, who tells room objects apart by it alone. The numbers are
// kept in object traces.
enum class ObjectKind : std::int32_t { None = 0, Platform = 1, Searchable = 2, Lift = 3, Robot = 4 };

// Where drawing an object can put pixels on the back buffer, so that what never moves can be
// drawn once per room and size and kept.
struct DrawReach {
    enum Kind {
        // Draws nothing.
        Nowhere,
        // Always the same pixels, inside `box`.
        Still,
        // Changes from frame to frame, inside `box`.
        Moving,
        // Changes, and may draw anywhere.
        Anywhere,
    };
    Kind kind = Anywhere;
    PixelRect box;
};

// Everything that lives in a room, and the player: a box in room units (x is the left
// edge, y the bottom edge, y grows downward) with the ten operations the world calls.
// The base versions do nothing, except `overlaps`.
class GameObject {
  public:
    GameObject() = default;
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    virtual ~GameObject() = default;
    // Reads the object's keys from the rest of its room-file line.
    virtual void load(TokenList& tokens);
    virtual void reset();
    virtual void update();
    virtual void draw();
    // The player asks for an action while touching the object with Up or Down held.
    virtual bool interactUp(GameObject* user);
    virtual bool interactDown(GameObject* user);
    // None for an entry point and the player.
    virtual ObjectKind kind();
    // Where `draw` can put pixels, with the room camera set; the base says anywhere, so that
    // an object is drawn every frame unless it says better.
    virtual DrawReach drawReach();
    // A lift tells its rider that the ride has ended.
    virtual void rideFinished();
    // Whether the box (ox, oy, ow, oh) touches this object's box; edges count.
    virtual bool overlaps(float ox, float oy, float ow, float oh);
    // The base `overlaps`, called without the virtual call where the object keeps it (see
    // boxOnly): a room's contact query runs it for every object, several times a step.
    bool boxOverlaps(float ox, float oy, float ow, float oh) const {
        // The width of the box that starts further right (ours on a tie) and the height of
        // the box whose bottom is higher up (the other's on a tie): the boxes meet when that
        // box starts no further on than the other one ends.
        const float wr = x >= ox ? w : ow;
        const bool horizontal = std::fabs(x - ox) + wr <= w + ow;
        const float hs = y < oy ? h : oh;
        const bool vertical = std::fabs(y - oy) + hs <= h + oh;
        return horizontal && vertical;
    }

    float x = 0.0f;
    float y = 0.0f;
    // Each type sets its own size.
    float w = 0.0f;
    float h = 0.0f;
    // Drawing pass: 0 first, 2 second, 1 last; any other value is never drawn.
    std::int32_t drawLayer = 0;
    // The room the object queries; only the player's is set.
    Room* room = nullptr;
    // Live ObjectRef handles; the last one to go deletes the object.
    std::uint32_t refCount = 0;
    // Set by `load` when the line does not make a usable object (a lift with nowhere to
    // stand): the room leaves it out.
    bool rejected = false;
    // False for a type whose `overlaps` is its own.
    bool boxOnly = true;
    // False for a type that keeps the base `update`, which does nothing: the room skips it.
    bool updates = true;
};
