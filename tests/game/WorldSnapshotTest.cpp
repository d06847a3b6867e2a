// A world put back from a snapshot plays on exactly as the world that was never stopped.
#include "game/WorldSnapshot.h"

#include "actors/Player.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "input/KeyCodes.h"
#include "input/Keyboard.h"
#include "sound/Sound.h"
#include "tools/common/KeyScript.h"
#include "tools/common/Replay.h"
#include "world/Room.h"
#include "world/World.h"

#include "support/ReadText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
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

} // namespace
