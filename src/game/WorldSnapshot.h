#pragma once
#include "actors/Player.h"
#include "actors/Robot.h"
#include "game/SnapshotFields.h"
#include "world/Lift.h"
#include "world/Searchable.h"

#include <array>
#include <cstdint>
#include <tuple>
#include <vector>

// A saved world: everything a fixed step reads and writes, as plain numbers, so that a
// search can put the world back, step it another way, and tell states apart. What a room
// file fixes (sizes, waypoints, patrols, textures, animation images) is not saved: a
// snapshot goes back into the world it was taken from, over the same data files. Each part
// lists its fields once (game/SnapshotFields.h says how).

// The world's own numbers: which ring room is loaded and which one is current (they
// differ behind the curtain of a room change), the side the player comes in by, the
// curtain, the quit flag, the entry-point table and the game's random generator. They live
// in no one object, so saveWorld and restoreWorld take them by hand.
struct RingSnapshot {
    std::uint32_t loadedRoom = 0;
    std::uint32_t currentRoom = 0;
    std::int32_t entrySide = 0;
    std::uint32_t roomChangePending = 0;
    float curtainTimer = 0.0f;
    std::uint32_t quitRequested = 0;
    std::array<ObjectHandle, 2> entryPoints{NoObject, NoObject};
    std::uint32_t randomSeed = 0;
    // How many objects the room holds, so a room read since is noticed.
    std::uint32_t objectCount = 0;
    bool operator==(const RingSnapshot& other) const;

    static constexpr auto fields() {
        using S = RingSnapshot;
        return std::tuple{
            field("loadedRoom", &S::loadedRoom),     field("currentRoom", &S::currentRoom),
            field("entrySide", &S::entrySide),       field("roomChangePending", &S::roomChangePending),
            field("curtainTimer", &S::curtainTimer), field("quitRequested", &S::quitRequested),
            field("entryPoints", &S::entryPoints),   field("randomSeed", &S::randomSeed),
            field("objectCount", &S::objectCount)};
    }
};

struct PlayerSnapshot {
    using Object = Player;
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    float prevX = 0.0f;
    float prevY = 0.0f;
    float jumpTime = 0.0f;
    float jumpLength = 0.0f;
    std::int32_t state = -1;
    std::int32_t facing = 0;
    std::uint32_t keys = 0;
    std::uint32_t prevKeys = 0;
    AnimationPlayback animation;
    bool operator==(const PlayerSnapshot& other) const;

    static constexpr auto fields() {
        using S = PlayerSnapshot;
        return std::tuple{field("x", &S::x, &Player::x),
                          field("y", &S::y, &Player::y),
                          field("w", &S::w, &Player::w),
                          field("h", &S::h, &Player::h),
                          field("prevX", &S::prevX, &Player::prevX),
                          field("prevY", &S::prevY, &Player::prevY),
                          field("jumpTime", &S::jumpTime, &Player::jumpTime),
                          field("jumpLength", &S::jumpLength, &Player::jumpLength),
                          field("state", &S::state, &Player::state),
                          field("facing", &S::facing, &Player::facing),
                          field("keys", &S::keys, &Player::keys),
                          field("prevKeys", &S::prevKeys, &Player::prevKeys),
                          field("animation", &S::animation, &Player::animation)};
    }
};

struct RobotSnapshot {
    using Object = Robot;
    static constexpr ObjectKind Kind = ObjectKind::Robot;
    float x = 0.0f;
    float y = 0.0f;
    float timer = 0.0f;
    std::int32_t behaviour = -1;
    std::int32_t facingRight = 0;
    std::uint32_t patrolPos = 0;
    AnimationPlayback body;
    AnimationPlayback laser;
    bool operator==(const RobotSnapshot& other) const;

    static constexpr auto fields() {
        using S = RobotSnapshot;
        return std::tuple{field("x", &S::x, &Robot::x),
                          field("y", &S::y, &Robot::y),
                          field("timer", &S::timer, &Robot::timer, 3),
                          field("behaviour", &S::behaviour, &Robot::behaviour, 1),
                          field("facingRight", &S::facingRight, &Robot::facingRight, 2),
                          field("patrolPos", &S::patrolPos, &Robot::patrolPos),
                          field("body", &S::body, &Robot::bodyAnimation),
                          field("laser", &S::laser, &Robot::laserAnimation)};
    }
};

struct LiftSnapshot {
    using Object = Lift;
    static constexpr ObjectKind Kind = ObjectKind::Lift;
    float x = 0.0f;
    float y = 0.0f;
    std::int32_t motion = 0;
    std::int32_t targetIndex = 0;
    ObjectHandle rider = NoObject;
    bool operator==(const LiftSnapshot& other) const;

    static constexpr auto fields() {
        using S = LiftSnapshot;
        return std::tuple{field("x", &S::x, &Lift::x), field("y", &S::y, &Lift::y),
                          field("motion", &S::motion, &Lift::motion, 2),
                          field("targetIndex", &S::targetIndex, &Lift::targetIndex, 1),
                          field("rider", &S::rider, &Lift::rider)};
    }
};

struct SearchableSnapshot {
    using Object = Searchable;
    static constexpr ObjectKind Kind = ObjectKind::Searchable;
    float remaining = 0.0f;
    ObjectHandle searcher = NoObject;
    bool operator==(const SearchableSnapshot& other) const;

    static constexpr auto fields() {
        using S = SearchableSnapshot;
        return std::tuple{field("remaining", &S::remaining, &Searchable::remaining, 1),
                          field("searcher", &S::searcher, &Searchable::searcher)};
    }
};

// The room objects a snapshot keeps, one list each, in this order.
using ObjectParts = std::tuple<RobotSnapshot, LiftSnapshot, SearchableSnapshot>;

// Calls visit(part, object) with a default part of the object's kind and the object as its
// own type; false for a kind no snapshot keeps (platforms, entry points).
template <class Visit> bool visitObjectPart(GameObject& object, Visit&& visit) {
    const ObjectKind kind = object.kind();
    return std::apply(
        [&](auto... parts) {
            auto visitIf = [&](auto part) {
                using Part = decltype(part);
                if (kind != Part::Kind)
                    return false;
                visit(part, static_cast<typename Part::Object&>(object));
                return true;
            };
            return (visitIf(parts) || ...);
        },
        ObjectParts{});
}

// Robots, lifts and searchables are listed in room order, each kind on its own; platforms
// and entry points never change and are left to the room file.
struct WorldSnapshot {
    RingSnapshot ring;
    PlayerSnapshot player;
    std::vector<RobotSnapshot> robots;
    std::vector<LiftSnapshot> lifts;
    std::vector<SearchableSnapshot> searchables;

    // The list of `Part`s, one of ObjectParts.
    template <class Part> std::vector<Part>& list() { return std::get<std::vector<Part>&>(lists()); }
    template <class Part> const std::vector<Part>& list() const {
        return std::get<const std::vector<Part>&>(lists());
    }

    // Equal when every number has the same bits (so 0 and -0 differ): equal snapshots
    // step on identically under the same keys.
    bool operator==(const WorldSnapshot& other) const;
    // Over the same bits as the comparison.
    std::uint64_t hash() const;

  private:
    // Spelt out: a deduced return type could not be used above, before its definition.
    std::tuple<std::vector<RobotSnapshot>&, std::vector<LiftSnapshot>&, std::vector<SearchableSnapshot>&>
    lists() {
        return std::tie(robots, lifts, searchables);
    }
    std::tuple<const std::vector<RobotSnapshot>&, const std::vector<LiftSnapshot>&,
               const std::vector<SearchableSnapshot>&>
    lists() const {
        return std::tie(robots, lifts, searchables);
    }
};

// Saves the world into `snapshot`, reusing its storage (saving into the same snapshot
// again allocates nothing while the room stays the same). False, with the snapshot
// untouched, before loadWorld.
bool saveWorld(WorldSnapshot& snapshot);
// Puts the world back as `snapshot` saved it. When the room no longer holds the saved
// room's objects (another room was read since), the saved room's file is read again first,
// with what any room read brings (the world's file hook hears it, a robot whose patrol
// starts with "laser" asks for its sound); the player's contact lists do not get the room
// a reset would give them, so the first steps after may allocate. False before loadWorld and
// when the saved room cannot be read back: unchanged if its file cannot be opened, with
// the file read but nothing else put back if it no longer holds the objects saved.
bool restoreWorld(const WorldSnapshot& snapshot);

// One fixed step with the player keys `keys` (KeyLeft, KeyRight, KeyUp, KeyDown, KeyJump)
// held, as the keyboard would report it: every key whose state differs from `heldKeys`
// is pressed or released first (left, right, up, down, space), then the world steps.
// `heldKeys` becomes `keys`. Returns what updateWorld returns. The held keys are the
// driver's, not the world's, so a search keeps them beside each snapshot: the same world
// with the space bar still held will not jump again where one with it released will.
int stepWorld(std::uint32_t& heldKeys, std::uint32_t keys);
