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

#include <array>
#include <type_traits>

ObjectHandle ObjectHandles::handleOf(const GameObject* object) const {
    if (object == nullptr)
        return NoObject;
    if (object == player)
        return ThePlayer;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].get() == object)
            return static_cast<ObjectHandle>(i);
    }
    return NoObject;
}

GameObject* ObjectHandles::objectOf(ObjectHandle handle) const {
    if (handle == ThePlayer)
        return player;
    if (handle < 0 || static_cast<std::size_t>(handle) >= objects.size())
        return nullptr;
    return objects[static_cast<std::size_t>(handle)].get();
}

namespace {

static_assert(describesEveryWord<RingSnapshot>());
static_assert(describesEveryWord<PlayerSnapshot>());
static_assert(describesEveryWord<RobotSnapshot>());
static_assert(describesEveryWord<LiftSnapshot>());
static_assert(describesEveryWord<SearchableSnapshot>());

template <class Part> bool sameLists(const std::vector<Part>& a, const std::vector<Part>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameFields(a[i], b[i]))
            return false;
    }
    return true;
}

// Calls visit(list) for each object list of the snapshot, in the order of ObjectParts.
template <class Snapshot, class Visit> void forEachList(Snapshot& snapshot, Visit&& visit) {
    std::apply([&](auto... parts) { (visit(snapshot.template list<decltype(parts)>()), ...); },
               ObjectParts{});
}

// The place of `Part` in ObjectParts.
template <class Part, std::size_t I = 0> constexpr std::size_t partIndex() {
    if constexpr (std::is_same_v<Part, std::tuple_element_t<I, ObjectParts>>)
        return I;
    else
        return partIndex<Part, I + 1>();
}

using PartCounts = std::array<std::size_t, std::tuple_size_v<ObjectParts>>;

std::uint32_t bit(bool value) {
    return value ? 1u : 0u;
}

// Whether the room holds objects of the kinds the snapshot saved, as many of each.
bool roomMatches(const WorldSnapshot& snapshot) {
    const std::vector<ObjectRef>& objects = world.room->objects();
    if (world.loadedRoom != snapshot.ring.loadedRoom || objects.size() != snapshot.ring.objectCount)
        return false;
    PartCounts counts{};
    for (const ObjectRef& object : objects)
        visitObjectPart(*object, [&](auto part, auto&) { ++counts[partIndex<decltype(part)>()]; });
    bool matches = true;
    forEachList(snapshot, [&](const auto& list) {
        using Part = typename std::remove_cvref_t<decltype(list)>::value_type;
        matches = matches && counts[partIndex<Part>()] == list.size();
    });
    return matches;
}

// Entry points are told apart from the player and the rest of kind None by the table itself: a
// handle there was saved from the table, so it names an entry point of the same file.
EntryPoint* entryPointOf(ObjectHandle handle, const ObjectHandles& handles) {
    if (handle < 0)
        return nullptr;
    GameObject* object = handles.objectOf(handle);
    if (object == nullptr || object->kind() != ObjectKind::None)
        return nullptr;
    return static_cast<EntryPoint*>(object);
}

} // namespace

bool RingSnapshot::operator==(const RingSnapshot& other) const {
    return sameFields(*this, other);
}

bool PlayerSnapshot::operator==(const PlayerSnapshot& other) const {
    return sameFields(*this, other);
}

bool RobotSnapshot::operator==(const RobotSnapshot& other) const {
    return sameFields(*this, other);
}

bool LiftSnapshot::operator==(const LiftSnapshot& other) const {
    return sameFields(*this, other);
}

bool SearchableSnapshot::operator==(const SearchableSnapshot& other) const {
    return sameFields(*this, other);
}

bool WorldSnapshot::operator==(const WorldSnapshot& other) const {
    bool same = sameFields(ring, other.ring) && sameFields(player, other.player);
    forEachList(*this, [&](const auto& list) {
        using Part = typename std::remove_cvref_t<decltype(list)>::value_type;
        same = same && sameLists(list, other.list<Part>());
    });
    return same;
}

std::uint64_t WorldSnapshot::hash() const {
    WordHash h;
    h.addFields(ring);
    h.addFields(player);
    forEachList(*this, [&](const auto& list) { h.addList(list); });
    return h.value;
}

bool saveWorld(WorldSnapshot& snapshot) {
    if (!world.room || !world.player)
        return false;
    const std::vector<ObjectRef>& objects = world.room->objects();
    const ObjectHandles handles(objects, world.player.get());

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

    saveFields(snapshot.player, *world.player, handles);

    forEachList(snapshot, [](auto& list) { list.clear(); });
    for (std::size_t i = 0; i < objects.size(); ++i) {
        GameObject& object = *objects[i];
        for (std::size_t side = 0; side < 2; ++side) {
            if (world.entryPoints[side] == &object)
                ring.entryPoints[side] = static_cast<ObjectHandle>(i);
        }
        visitObjectPart(object, [&](auto part, const auto& live) {
            saveFields(snapshot.list<decltype(part)>().emplace_back(), live, handles);
        });
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
    const ObjectHandles handles(objects, world.player.get());

    const RingSnapshot& ring = snapshot.ring;
    world.currentRoom = ring.currentRoom;
    world.entrySide = ring.entrySide;
    world.roomChangePending = ring.roomChangePending != 0;
    world.curtainTimer = ring.curtainTimer;
    world.quitRequested = ring.quitRequested != 0;
    for (std::size_t side = 0; side < 2; ++side)
        world.entryPoints[side] = entryPointOf(ring.entryPoints[side], handles);
    gameRandom.seed = ring.randomSeed;

    restoreFields(snapshot.player, *world.player, handles);

    PartCounts taken{};
    for (const ObjectRef& object : objects) {
        visitObjectPart(*object, [&](auto part, auto& live) {
            using Part = decltype(part);
            restoreFields(snapshot.list<Part>()[taken[partIndex<Part>()]++], live, handles);
        });
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
