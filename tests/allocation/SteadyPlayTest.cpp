// Its own binary: this file's program counts every operator new (bench/AllocationCounter.cpp),
// which the ordinary test binary must not do.
#include "AllocationCounter.h"

#include "actors/Player.h"
#include "app/GameHooks.h"
#include "app/GameSetup.h"
#include "game/WorldOperations.h"
#include "input/KeyCodes.h"
#include "input/Keyboard.h"
#include "sound/Sound.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace {

// The player walks right for two seconds with two jumps, then left the same way.
void queueWalkKeys(InputState& input, int step) {
    const int phase = (step - 1) % 240;
    switch (phase) {
    case 0:
        queueKeyEvent(input, KeyCodeRight, 1);
        break;
    case 119:
        queueKeyEvent(input, KeyCodeRight, 0);
        break;
    case 120:
        queueKeyEvent(input, KeyCodeLeft, 1);
        break;
    case 239:
        queueKeyEvent(input, KeyCodeLeft, 0);
        break;
    case 30:
    case 90:
    case 150:
    case 210:
        queueKeyEvent(input, KeyCodeSpace, 1);
        break;
    case 31:
    case 91:
    case 151:
    case 211:
        queueKeyEvent(input, KeyCodeSpace, 0);
        break;
    default:
        break;
    }
}

// The game headless in one ring room of a data root, as the game runs it, with a drawing
// device when `drawing`; all put back at the end.
class SteadyPlay : public ::testing::Test {
  protected:
    void SetUp() override {}
    void TearDown() override { setup.reset(); }

    void enter(const std::filesystem::path& root, std::size_t room, bool drawing) {
        setup.emplace(root, GameSetup::Headless{
                                .width = drawing ? 640 : 0, .height = drawing ? 480 : 0, .sound = &silence});
        ASSERT_TRUE(setup->ok()) << setup->error();
        initInput(input);
        if (room != 0) {
            ASSERT_TRUE(enterRingRoom(room, 0));
        }
        world.onRoomFileOpened = [this](const std::string&) { roomRead = true; };
    }

    // Allocations made by `steps` steps from `first` on, leaving out the steps that read a
    // room file (a room change reads and builds a room; that is no steady play).
    std::uint64_t allocationsInSteps(int first, int steps) {
        GameHooks hooks(input);
        std::uint64_t counted = 0;
        for (int step = first; step < first + steps; ++step) {
            roomRead = false;
            const std::uint64_t before = allocationCount();
            queueWalkKeys(input, step);
            hooks.pollInput();
            hooks.updateWorld();
            if (!roomRead)
                counted += allocationCount() - before;
        }
        return counted;
    }

    InputState input;
    SilentSoundSink silence;
    std::optional<GameSetup> setup;
    bool roomRead = false;
};

const std::filesystem::path Roots[] = {
    std::filesystem::path(MARROWGAST_SOURCE_DIR),
    std::filesystem::path(MARROWGAST_TEST_DATA) / "replay/ring",
};

TEST_F(SteadyPlay, StepsAllocateNothingOnceEveryRoomIsUnderWay) {
    for (const std::filesystem::path& root : Roots) {
        for (std::size_t room = 0; room < 4; ++room) {
            SCOPED_TRACE(root.string() + " room " + std::to_string(room + 1));
            enter(root, room, false);
            if (HasFatalFailure())
                return;
            EXPECT_EQ(allocationsInSteps(1, 1440), 0u);
            TearDown();
            SetUp();
        }
    }
}

TEST_F(SteadyPlay, FramesAllocateNothingOnceTheirImagesAreOnTheDevice) {
    for (const std::filesystem::path& root : Roots) {
        for (std::size_t room = 0; room < 4; ++room) {
            SCOPED_TRACE(root.string() + " room " + std::to_string(room + 1));
            enter(root, room, true);
            if (HasFatalFailure())
                return;
            GameHooks hooks(input);
            hooks.beginFrame();
            hooks.renderWorld();
            hooks.endFrame();
            const std::uint64_t before = allocationCount();
            for (int frame = 0; frame < 5; ++frame) {
                hooks.beginFrame();
                hooks.renderWorld();
                hooks.endFrame();
            }
            EXPECT_EQ(allocationCount() - before, 0u);
            TearDown();
            SetUp();
        }
    }
}

// The counter itself: a test that could not fail would prove nothing.
TEST(AllocationCounter, CountsEveryNew) {
    const std::uint64_t before = allocationCount();
    void* one = ::operator new(16);
    void* two = ::operator new[](32);
    ::operator delete[](two);
    ::operator delete(one);
    EXPECT_EQ(allocationCount() - before, 2u);
}

} // namespace
