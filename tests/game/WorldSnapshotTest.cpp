// A world put back from a snapshot plays on exactly as the world that was never stopped.
#include "game/WorldSnapshot.h"

#include "actors/Player.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "app/KeyScript.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"
#include "input/Keyboard.h"
#include "sound/Sound.h"
#include "tools/common/Replay.h"
#include "world/Lift.h"
#include "world/Room.h"
#include "world/Searchable.h"
#include "world/World.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Sounds and room files as the replay's events column shows them.
class EventText final : public SoundSink {
  public:
    void playSound(const char* fileName) override { add("sound=", fileName); }
    void stopAllSounds() override { add("stop", ""); }
    void add(const std::string& what, const std::string& name) {
        if (!text.empty())
            text += ',';
        text += what + name;
    }
    std::string text;
};

// The game headless over the bundled rooms, fed by a key script through the keyboard
// and the key commands as the replay tool feeds it.
class BundledGame : public ::testing::Test {
  protected:
    BundledGame() : game(MARROWGAST_SOURCE_DIR, {.loadWorld = false}) {
        world.onRoomFileOpened = [this](const std::string& fileName) { events.add("load=", fileName); };
    }

    bool start(std::size_t roomIndex, int side) {
        initInput(input);
        nextKey = 0;
        return game.loadWorld() && enterRingRoom(roomIndex, side);
    }

    // Queues the script from step `step` on, as if the run had just reached step - 1.
    void seek(std::int64_t step) {
        nextKey = 0;
        while (nextKey < script.events.size() && script.events[nextKey].step < step)
            ++nextKey;
    }

    // One step as the replay runs it; the trace rows of the player and the objects.
    std::string step(std::int64_t step) {
        for (; nextKey < script.events.size() && script.events[nextKey].step <= step; ++nextKey)
            queueKeyEvent(input, script.events[nextKey].code, script.events[nextKey].pressed);
        hooks.pollInput();
        hooks.updateWorld();
        std::string rows;
        appendTraceRow(rows, step, events.text);
        appendObjectRows(rows, step);
        events.text.clear();
        return rows;
    }

    GameSetup game;
    EventText events;
    ScopedSoundSink useEvents{events};
    InputState input;
    GameHooks hooks{input};
    KeyScript script;
    std::size_t nextKey = 0;
};

TEST_F(BundledGame, RestoringASnapshotAtRandomStepsReplaysTheSameTrace) {
    const fs::path rooms = fs::path(MARROWGAST_TEST_DATA) / "rooms";
    struct Walk {
        int room;
        int side;
        std::string keys;
        bool dies = false;
    };
    std::vector<Walk> walks;
    for (int room = 1; room <= 4; ++room) {
        // Across the room each way, out into the next room, and a walk west that dies (in room 3
        // the lift stops a walk off the dock, so that one jumps).
        walks.push_back({room, 0, readText(rooms / ("room" + std::to_string(room) + "-right.keys"))});
        walks.push_back({room, 1, readText(rooms / ("room" + std::to_string(room) + "-left.keys"))});
        walks.push_back({room, 1, room == 3 ? "1 left down\n1 space down\n" : "1 left down\n", true});
    }
    constexpr std::int64_t Steps = 1000;
    constexpr int PointsPerWalk = 3;
    const unsigned seed = 14;
    std::mt19937 random(seed);

    for (const Walk& walk : walks) {
        const std::string label = "room " + std::to_string(walk.room) + " side " + std::to_string(walk.side);
        std::string error;
        ASSERT_TRUE(parseKeyScript(walk.keys, label, script, error)) << error;
        std::map<std::int64_t, WorldSnapshot> points;
        while (points.size() < PointsPerWalk)
            points[std::uniform_int_distribution<std::int64_t>(1, Steps - 1)(random)];

        // The run that is never stopped, with a snapshot at every chosen step.
        ASSERT_TRUE(start(static_cast<std::size_t>(walk.room - 1), walk.side)) << label;
        events.text.clear();
        std::vector<std::string> trace(Steps + 1);
        for (std::int64_t s = 1; s <= Steps; ++s) {
            trace[s] = step(s);
            if (auto point = points.find(s); point != points.end()) {
                ASSERT_TRUE(saveWorld(point->second));
            }
        }
        bool sawDeath = false;
        for (const std::string& rows : trace)
            sawDeath = sawDeath || rows.find("sound=res/sound/die") != std::string::npos;

        // The world stands wherever the run ended (often the next room). Each snapshot is put
        // back, the world is led astray (other keys, a death), put back again, and replayed.
        for (const auto& [at, saved] : points) {
            SCOPED_TRACE(label + ", snapshot after step " + std::to_string(at) + ", seed " +
                         std::to_string(seed));
            ASSERT_TRUE(restoreWorld(saved));
            WorldSnapshot again;
            ASSERT_TRUE(saveWorld(again));
            EXPECT_TRUE(again == saved);
            EXPECT_EQ(again.hash(), saved.hash());

            // Every searchable searched and every lift boarded, as a touching player would.
            auto touchAll = [] {
                for (const ObjectRef& object : world.room->objects()) {
                    if (object->kind() == ObjectKind::Searchable || object->kind() == ObjectKind::Lift)
                        object->interactUp(world.player.get()) || object->interactDown(world.player.get());
                }
            };
            touchAll();
            std::uint32_t held = world.player->keys;
            for (int i = 0; i < 40; ++i)
                stepWorld(held,
                          static_cast<std::uint32_t>(random()) & (KeyLeft | KeyRight | KeyUp | KeyJump));
            if (world.player->state != Dying)
                world.player->setState(Dying);
            stepWorld(held, 0);
            touchAll();
            ASSERT_TRUE(saveWorld(again));
            EXPECT_FALSE(again == saved);

            ASSERT_TRUE(restoreWorld(saved));
            events.text.clear();
            seek(at + 1);
            for (std::int64_t s = at + 1; s <= Steps; ++s) {
                ASSERT_EQ(step(s), trace[s]) << "first difference after step " << s;
                if (auto later = points.find(s); later != points.end()) {
                    ASSERT_TRUE(saveWorld(again));
                    EXPECT_TRUE(again == later->second) << "snapshot after step " << s;
                }
            }
        }
        if (walk.dies) {
            EXPECT_TRUE(sawDeath) << label << ": the walk was meant to die";
        }
    }
}

// Every described field of every part counts: changing any one word of it, in the ring, the
// player or any object of a room with robots, lifts and searchables, changes the comparison and
// the hash, and the hash of the state put back is the saved one's.
TEST_F(BundledGame, EveryDescribedFieldOfEveryPartChangesTheHash) {
    ASSERT_TRUE(start(0, 0));
    WorldSnapshot saved;
    ASSERT_TRUE(saveWorld(saved));
    ASSERT_FALSE(saved.robots.empty());
    ASSERT_FALSE(saved.lifts.empty());
    ASSERT_FALSE(saved.searchables.empty());
    const WorldSnapshot copy = saved;
    std::set<std::uint64_t> hashes{saved.hash()};
    int changed = 0;
    auto changeEachWord = [&](auto& part, const std::string& where) {
        using Part = std::remove_cvref_t<decltype(part)>;
        forEachField<Part>([&](const auto& f) {
            auto& member = part.*f.saved;
            for (std::size_t word = 0; word < sizeof member / sizeof(std::uint32_t); ++word) {
                unsigned char* bytes =
                    reinterpret_cast<unsigned char*>(&member) + word * sizeof(std::uint32_t);
                std::uint32_t before = 0;
                std::memcpy(&before, bytes, sizeof before);
                const std::uint32_t after = before ^ (1u << (word % 32));
                std::memcpy(bytes, &after, sizeof after);
                EXPECT_FALSE(saved == copy) << where << "." << f.name << " word " << word;
                EXPECT_TRUE(hashes.insert(saved.hash()).second) << where << "." << f.name << " word " << word;
                std::memcpy(bytes, &before, sizeof before);
                ++changed;
            }
        });
    };
    changeEachWord(saved.ring, "ring");
    changeEachWord(saved.player, "player");
    for (std::size_t i = 0; i < saved.robots.size(); ++i)
        changeEachWord(saved.robots[i], "robot " + std::to_string(i));
    for (std::size_t i = 0; i < saved.lifts.size(); ++i)
        changeEachWord(saved.lifts[i], "lift " + std::to_string(i));
    for (std::size_t i = 0; i < saved.searchables.size(); ++i)
        changeEachWord(saved.searchables[i], "searchable " + std::to_string(i));
    const std::size_t words =
        (sizeof(RingSnapshot) + sizeof(PlayerSnapshot) + saved.robots.size() * sizeof(RobotSnapshot) +
         saved.lifts.size() * sizeof(LiftSnapshot) + saved.searchables.size() * sizeof(SearchableSnapshot)) /
        sizeof(std::uint32_t);
    EXPECT_EQ(static_cast<std::size_t>(changed), words);
    EXPECT_TRUE(saved == copy);
    // A list one object shorter is another state too.
    saved.lifts.pop_back();
    EXPECT_FALSE(saved == copy);
    EXPECT_NE(saved.hash(), copy.hash());
}

// Links are the place in the room's list, ThePlayer or NoObject, and go back to the same object.
TEST_F(BundledGame, LinksAreSavedAsPlacesInTheRoomAndComeBackToTheSameObjects) {
    ASSERT_TRUE(start(0, 0));
    const std::vector<ObjectRef>& objects = world.room->objects();
    const ObjectHandles handles(objects, world.player.get());
    Lift stranger;
    EXPECT_EQ(handles.handleOf(nullptr), NoObject);
    EXPECT_EQ(handles.handleOf(&stranger), NoObject);
    EXPECT_EQ(handles.handleOf(world.player.get()), ThePlayer);
    EXPECT_EQ(handles.objectOf(ThePlayer), world.player.get());
    EXPECT_EQ(handles.objectOf(NoObject), nullptr);
    EXPECT_EQ(handles.objectOf(static_cast<ObjectHandle>(objects.size())), nullptr);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        EXPECT_EQ(handles.handleOf(objects[i].get()), static_cast<ObjectHandle>(i));
        EXPECT_EQ(handles.objectOf(static_cast<ObjectHandle>(i)), objects[i].get());
    }

    // The last searchable searched by the player and the first lift ridden by the last robot.
    Searchable* searchable = nullptr;
    Lift* lift = nullptr;
    std::size_t robotPlace = 0;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->kind() == ObjectKind::Searchable)
            searchable = static_cast<Searchable*>(objects[i].get());
        if (objects[i]->kind() == ObjectKind::Lift && lift == nullptr)
            lift = static_cast<Lift*>(objects[i].get());
        if (objects[i]->kind() == ObjectKind::Robot)
            robotPlace = i;
    }
    ASSERT_NE(searchable, nullptr);
    ASSERT_NE(lift, nullptr);
    searchable->searcher = world.player.get();
    lift->rider = objects[robotPlace].get();
    WorldSnapshot saved;
    ASSERT_TRUE(saveWorld(saved));
    EXPECT_EQ(saved.searchables.back().searcher, ThePlayer);
    EXPECT_EQ(saved.lifts.front().rider, static_cast<ObjectHandle>(robotPlace));
    searchable->searcher = nullptr;
    lift->rider = world.player.get();
    ASSERT_TRUE(restoreWorld(saved));
    EXPECT_EQ(searchable->searcher, world.player.get());
    EXPECT_EQ(lift->rider, objects[robotPlace].get());

    // A snapshot of a room the ring does not hold is refused, and nothing is put back.
    WorldSnapshot elsewhere = saved;
    elsewhere.ring.loadedRoom = static_cast<std::uint32_t>(world.roomFiles.size());
    searchable->searcher = nullptr;
    EXPECT_FALSE(restoreWorld(elsewhere));
    EXPECT_EQ(searchable->searcher, nullptr);
    // One of another room is put back in that room, however like this one it is (here the
    // same file under a second place in the ring).
    world.roomFiles.push_back(world.roomFiles[world.loadedRoom]);
    elsewhere.ring.loadedRoom = static_cast<std::uint32_t>(world.roomFiles.size() - 1);
    EXPECT_TRUE(restoreWorld(elsewhere));
    EXPECT_EQ(world.loadedRoom, elsewhere.ring.loadedRoom);
}

} // namespace
