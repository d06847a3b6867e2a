#include "game/WorldSnapshot.h"

#include "actors/Player.h"
#include "actors/Random.h"
#include "actors/Robot.h"
#include "game/WorldOperations.h"
#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/Room.h"
#include "world/Searchable.h"
#include "world/World.h"

#include <cstring>
#include <type_traits>

namespace {

// Every part is made of 32-bit numbers only, so it has no padding and its bytes are its
// value: comparing and hashing the bytes compares and hashes the numbers' bits.
template <class Part, std::size_t Words> constexpr bool wordsOnly() {
    return std::is_trivially_copyable_v<Part> && sizeof(Part) == Words * sizeof(std::uint32_t) &&
           alignof(Part) == alignof(std::uint32_t);
}
static_assert(wordsOnly<AnimationPlayback, 4>());
static_assert(wordsOnly<RingSnapshot, 10>());
static_assert(wordsOnly<PlayerSnapshot, 16>());
static_assert(wordsOnly<RobotSnapshot, 14>());
static_assert(wordsOnly<LiftSnapshot, 5>());
static_assert(wordsOnly<SearchableSnapshot, 2>());

// The floats are compared by their bits on purpose (the checks above rule out padding).
template <class Part> bool sameBits(const Part* a, const Part* b, std::size_t count) {
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
    return count == 0 || std::memcmp(a, b, count * sizeof(Part)) == 0;
}

template <class Part> bool sameBits(const Part& a, const Part& b) {
    return sameBits(&a, &b, 1);
}

template <class Part> bool sameBits(const std::vector<Part>& a, const std::vector<Part>& b) {
    return a.size() == b.size() && sameBits(a.data(), b.data(), a.size());
}

class WordHash {
  public:
    void add(std::uint32_t word) {
        value = (value ^ word) * 0x100000001B3ull;
        value ^= value >> 29;
    }
    template <class Part> void addParts(const Part* parts, std::size_t count) {
        const std::size_t words = count * sizeof(Part) / sizeof(std::uint32_t);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(parts);
        for (std::size_t i = 0; i < words; ++i) {
            std::uint32_t word = 0;
            std::memcpy(&word, bytes + i * sizeof word, sizeof word);
            add(word);
        }
    }
    template <class Part> void addList(const std::vector<Part>& list) {
        add(static_cast<std::uint32_t>(list.size()));
        addParts(list.data(), list.size());
    }
    std::uint64_t value = 0xCBF29CE484222325ull;
};

std::uint32_t bit(bool value) {
    return value ? 1u : 0u;
}

// The place of `object` in the room's list; the player and nothing have handles of their own.
ObjectHandle handleOf(const GameObject* object, const std::vector<ObjectRef>& objects) {
    if (object == nullptr)
        return NoObject;
    if (object == world.player.get())
        return ThePlayer;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].get() == object)
            return static_cast<ObjectHandle>(i);
    }
    return NoObject;
}

GameObject* objectOf(ObjectHandle handle, const std::vector<ObjectRef>& objects) {
    if (handle == ThePlayer)
        return world.player.get();
    if (handle < 0 || static_cast<std::size_t>(handle) >= objects.size())
        return nullptr;
    return objects[static_cast<std::size_t>(handle)].get();
}

// Whether the room holds objects of the kinds the snapshot saved, as many of each.
bool roomMatches(const WorldSnapshot& snapshot) {
    const std::vector<ObjectRef>& objects = world.room->objects();
    if (world.loadedRoom != snapshot.ring.loadedRoom || objects.size() != snapshot.ring.objectCount)
        return false;
    std::size_t robots = 0;
    std::size_t lifts = 0;
    std::size_t searchables = 0;
    for (const ObjectRef& object : objects) {
        switch (object->kind()) {
        case ObjectKind::Robot:
            ++robots;
            break;
        case ObjectKind::Lift:
            ++lifts;
            break;
        case ObjectKind::Searchable:
            ++searchables;
            break;
        default:
            break;
        }
    }
    return robots == snapshot.robots.size() && lifts == snapshot.lifts.size() &&
           searchables == snapshot.searchables.size();
}

// Entry points are told apart from the player and the rest of kind None by the table itself: a
// handle there was saved from the table, so it names an entry point of the same file.
EntryPoint* entryPointOf(ObjectHandle handle, const std::vector<ObjectRef>& objects) {
    if (handle < 0)
        return nullptr;
    GameObject* object = objectOf(handle, objects);
    if (object == nullptr || object->kind() != ObjectKind::None)
        return nullptr;
    return static_cast<EntryPoint*>(object);
}

} // namespace

bool RingSnapshot::operator==(const RingSnapshot& other) const {
    return sameBits(*this, other);
}

bool PlayerSnapshot::operator==(const PlayerSnapshot& other) const {
    return sameBits(*this, other);
}

bool RobotSnapshot::operator==(const RobotSnapshot& other) const {
    return sameBits(*this, other);
}

bool LiftSnapshot::operator==(const LiftSnapshot& other) const {
    return sameBits(*this, other);
}

bool SearchableSnapshot::operator==(const SearchableSnapshot& other) const {
    return sameBits(*this, other);
}

bool WorldSnapshot::operator==(const WorldSnapshot& other) const {
    return sameBits(ring, other.ring) && sameBits(player, other.player) && sameBits(robots, other.robots) &&
           sameBits(lifts, other.lifts) && sameBits(searchables, other.searchables);
}

std::uint64_t WorldSnapshot::hash() const {
    WordHash h;
    h.addParts(&ring, 1);
    h.addParts(&player, 1);
    h.addList(robots);
    h.addList(lifts);
    h.addList(searchables);
    return h.value;
}

bool saveWorld(WorldSnapshot& snapshot) {
    if (!world.room || !world.player)
        return false;
    const std::vector<ObjectRef>& objects = world.room->objects();

    RingSnapshot& ring = snapshot.ring;
    ring.loadedRoom = static_cast<std::uint32_t>(world.loadedRoom);
    ring.currentRoom = static_cast<std::uint32_t>(world.currentRoom);
    ring.entrySide = world.entrySide;
    ring.roomChangePending = bit(world.roomChangePending);
    ring.curtainTimer = world.curtainTimer;
    ring.quitRequested = bit(world.quitRequested);
    ring.entryPoints = {NoObject, NoObject};
    ring.randomSeed = gameRandom.seed;
    ring.objectCount = static_cast<std::uint32_t>(objects.size());

    const Player& player = *world.player;
    PlayerSnapshot& p = snapshot.player;
    p.x = player.x;
    p.y = player.y;
    p.w = player.w;
    p.h = player.h;
    p.prevX = player.prevX;
    p.prevY = player.prevY;
    p.jumpTime = player.jumpTime;
    p.jumpLength = player.jumpLength;
    p.state = player.state;
    p.facing = player.facing;
    p.keys = player.keys;
    p.prevKeys = player.prevKeys;
    p.animation = player.animation.playback();

    snapshot.robots.clear();
    snapshot.lifts.clear();
    snapshot.searchables.clear();
    for (std::size_t i = 0; i < objects.size(); ++i) {
        GameObject& object = *objects[i];
        for (std::size_t side = 0; side < 2; ++side) {
            if (world.entryPoints[side] == &object)
                ring.entryPoints[side] = static_cast<ObjectHandle>(i);
        }
        switch (object.kind()) {
        case ObjectKind::Robot: {
            const Robot& robot = static_cast<const Robot&>(object);
            RobotSnapshot& r = snapshot.robots.emplace_back();
            r.x = robot.x;
            r.y = robot.y;
            r.timer = robot.timer;
            r.behaviour = robot.behaviour;
            r.facingRight = robot.facingRight;
            r.patrolPos = static_cast<std::uint32_t>(robot.patrolPos);
            r.body = robot.bodyAnimation.playback();
            r.laser = robot.laserAnimation.playback();
            break;
        }
        case ObjectKind::Lift: {
            const Lift& lift = static_cast<const Lift&>(object);
            LiftSnapshot& l = snapshot.lifts.emplace_back();
            l.x = lift.x;
            l.y = lift.y;
            l.motion = lift.motion;
            l.targetIndex = lift.targetIndex;
            l.rider = handleOf(lift.rider, objects);
            break;
        }
        case ObjectKind::Searchable: {
            const Searchable& searchable = static_cast<const Searchable&>(object);
            SearchableSnapshot& s = snapshot.searchables.emplace_back();
            s.remaining = searchable.remaining;
            s.searcher = handleOf(searchable.searcher, objects);
            break;
        }
        default:
            break;
        }
    }
    return true;
}

bool restoreWorld(const WorldSnapshot& snapshot) {
    if (!world.room || !world.player || snapshot.ring.loadedRoom >= world.roomFiles.size())
        return false;
    if (!roomMatches(snapshot)) {
        if (!world.room->loadFile(world.roomFiles[snapshot.ring.loadedRoom]))
            return false;
        world.loadedRoom = snapshot.ring.loadedRoom;
        // A file that changed on disk since the snapshot was taken cannot take it back.
        if (!roomMatches(snapshot))
            return false;
    }
    const std::vector<ObjectRef>& objects = world.room->objects();

    const RingSnapshot& ring = snapshot.ring;
    world.currentRoom = ring.currentRoom;
    world.entrySide = ring.entrySide;
    world.roomChangePending = ring.roomChangePending != 0;
    world.curtainTimer = ring.curtainTimer;
    world.quitRequested = ring.quitRequested != 0;
    for (std::size_t side = 0; side < 2; ++side)
        world.entryPoints[side] = entryPointOf(ring.entryPoints[side], objects);
    gameRandom.seed = ring.randomSeed;

    Player& player = *world.player;
    const PlayerSnapshot& p = snapshot.player;
    player.x = p.x;
    player.y = p.y;
    player.w = p.w;
    player.h = p.h;
    player.prevX = p.prevX;
    player.prevY = p.prevY;
    player.jumpTime = p.jumpTime;
    player.jumpLength = p.jumpLength;
    player.state = p.state;
    player.facing = p.facing;
    player.keys = p.keys;
    player.prevKeys = p.prevKeys;
    player.animation.setPlayback(p.animation);

    std::size_t robot = 0;
    std::size_t lift = 0;
    std::size_t searchable = 0;
    for (const ObjectRef& ref : objects) {
        GameObject& object = *ref;
        switch (object.kind()) {
        case ObjectKind::Robot: {
            Robot& o = static_cast<Robot&>(object);
            const RobotSnapshot& r = snapshot.robots[robot++];
            o.x = r.x;
            o.y = r.y;
            o.timer = r.timer;
            o.behaviour = r.behaviour;
            o.facingRight = r.facingRight;
            o.patrolPos = r.patrolPos;
            o.bodyAnimation.setPlayback(r.body);
            o.laserAnimation.setPlayback(r.laser);
            break;
        }
        case ObjectKind::Lift: {
            Lift& o = static_cast<Lift&>(object);
            const LiftSnapshot& l = snapshot.lifts[lift++];
            o.x = l.x;
            o.y = l.y;
            o.motion = l.motion;
            o.targetIndex = l.targetIndex;
            o.rider = objectOf(l.rider, objects);
            break;
        }
        case ObjectKind::Searchable: {
            Searchable& o = static_cast<Searchable&>(object);
            const SearchableSnapshot& s = snapshot.searchables[searchable++];
            o.remaining = s.remaining;
            o.searcher = objectOf(s.searcher, objects);
            break;
        }
        default:
            break;
        }
    }
    return true;
}

int stepWorld(std::uint32_t& heldKeys, std::uint32_t keys) {
    if (world.player) {
        for (const auto& key : PlayerKeys) {
            const bool wanted = (keys & key.bit) != 0;
            if (wanted != ((heldKeys & key.bit) != 0))
                world.player->handleKey(key.code, wanted ? 1 : 0);
        }
    }
    heldKeys = keys;
    return updateWorld();
}
