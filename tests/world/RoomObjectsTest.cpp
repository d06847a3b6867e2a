#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/Platform.h"
#include "world/Searchable.h"

#include "definitions/DefinitionObserver.h"

#include "WorldFixture.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace {

template <class T> void loadLine(T& object, const std::string& line) {
    TokenList tokens = tokensOf(line);
    object.load(tokens);
}

struct BoxOf {
    float x, y, w, h;
};

void expectBox(const GameObject& object, BoxOf box) {
    EXPECT_EQ(object.x, box.x);
    EXPECT_EQ(object.y, box.y);
    EXPECT_EQ(object.w, box.w);
    EXPECT_EQ(object.h, box.h);
}

class RejectionLog : public DefinitionObserver {
  public:
    void objectRejected(std::string_view type) override { rejected.emplace_back(type); }
    std::vector<std::string> rejected;
};

using RoomObjects = WorldFixture;

// The box covers both corner tiles in either order, over the whole number range, and a
// group cut off by the line end reads nothing.
TEST_F(RoomObjects, PlatformBoxCoversBothCornerTiles) {
    const struct {
        const char* line;
        BoxOf box;
    } cases[] = {
        {"start 4 18 end 10 20", {4, 20, 7, 3}},
        {"start 10 20 end 4 18", {4, 20, 7, 3}},
        {"start 0 30 end 39 30", {0, 30, 40, 1}},
        {"start 5 10 end 5 10", {5, 10, 1, 1}},
        {"start -2147483648 2147483647 end 2147483647 -2147483648",
         {-2147483648.0f, 2147483648.0f, 4294967296.0f, 4294967296.0f}},
        {"start 3 7 bogus end 9", {0, 7, 4, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Platform platform;
        loadLine(platform, c.line);
        expectBox(platform, c.box);
    }
}

TEST_F(RoomObjects, EntryPointFillsItsSideSlotAndTheLastOneWins) {
    EntryPoint right;
    loadLine(right, "position 2.5 29 side right");
    EXPECT_EQ(world.entryPoints[1], &right);
    EXPECT_EQ(right.x, 2.5f);
    EXPECT_EQ(right.y, 29.0f);
    EXPECT_EQ(world.entryPoints[0], nullptr);

    EntryPoint noSide;
    loadLine(noSide, "position 1 2");
    EXPECT_EQ(world.entryPoints[0], &noSide);

    // Side words match exactly; anything else leaves the side as it was.
    EntryPoint oddWord;
    loadLine(oddWord, "side right side Left side sideways");
    EXPECT_EQ(oddWord.side, 1);
    EXPECT_EQ(world.entryPoints[1], &oddWord);

    EntryPoint cut;
    loadLine(cut, "side left position 7");
    EXPECT_EQ(world.entryPoints[0], &cut);
    EXPECT_EQ(cut.x, 0.0f);
}

TEST_F(RoomObjects, AnEntryPointThatGoesEmptiesItsSlot) {
    {
        EntryPoint left;
        loadLine(left, "side left");
        EntryPoint right;
        loadLine(right, "side right");
        EntryPoint shadowed;
        loadLine(shadowed, "side left");
        EXPECT_EQ(world.entryPoints[0], &shadowed);
    }
    EXPECT_EQ(world.entryPoints[0], nullptr);
    EXPECT_EQ(world.entryPoints[1], nullptr);
}

TEST_F(RoomObjects, LiftStartsAtItsStartStopWhateverTheOtherStopsSay) {
    Lift lift;
    loadLine(lift, "waypoint 10 5 waypoint 99 15 waypoint 4 25 startpoint 1 texture none.png");
    EXPECT_FALSE(lift.rejected);
    ASSERT_EQ(lift.waypoints.size(), 3u);
    expectBox(lift, {99, 15, 3, 1});
    EXPECT_EQ(lift.targetIndex, 1);
    EXPECT_EQ(lift.kind(), ObjectKind::Lift);

    Lift cutStop;
    loadLine(cutStop, "waypoint 10 5 waypoint 8");
    EXPECT_EQ(cutStop.waypoints.size(), 1u);
}

TEST_F(RoomObjects, LiftsWithNowhereToStandAreLeftOutOfTheRoom) {
    writeRoom(1, "lift startpoint 0\n"
                 "lift waypoint 1 5 waypoint 1 9 startpoint 2\n"
                 "lift waypoint 1 5 startpoint -1\n"
                 "platform start 0 30 end 39 30\n"
                 "lift waypoint 20 12\n");
    ObjectRegistry registry;
    registerObjectTypes(registry);
    Room room(registry);
    RejectionLog log;
    room.observer = &log;
    ASSERT_TRUE(room.loadFile("res/rooms/room1.txt"));
    ASSERT_EQ(room.objects().size(), 2u);
    EXPECT_EQ(room.objects()[0]->kind(), ObjectKind::Platform);
    EXPECT_EQ(room.objects()[1]->kind(), ObjectKind::Lift);
    EXPECT_EQ(room.objects()[1]->y, 12.0f);
    EXPECT_EQ(log.rejected, (std::vector<std::string>{"lift", "lift", "lift"}));
}

TEST_F(RoomObjects, SearchableReadsWholeNumbersAndLacksNoSize) {
    Searchable crate;
    loadLine(crate, "position 30 20 width 2 height 3 percentage 40 texture none.png");
    expectBox(crate, {30, 20, 2, 3});
    EXPECT_EQ(crate.remaining, 40.0f);
    EXPECT_EQ(crate.drawLayer, 2);
    EXPECT_EQ(crate.kind(), ObjectKind::Searchable);

    Searchable sizeless;
    loadLine(sizeless, "position 3.9 7 percentage");
    expectBox(sizeless, {3, 7, 0, 0});
    EXPECT_EQ(sizeless.remaining, 0.0f);
}

} // namespace
