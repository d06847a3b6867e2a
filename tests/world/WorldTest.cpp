#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/Searchable.h"

#include "actors/Random.h"
#include "actors/Robot.h"
#include "graphics/SpriteRenderer.h"

#include "WorldFixture.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Room n has a floor and entry points at x n (left) and 30 + n (right), so where the
// player stands tells which room it is in and by which side it came.
std::string ringRoom(int n) {
    return "platform start 0 30 end 39 30\n"
           "entrypoint position " +
           std::to_string(n) + " 29 side left\nentrypoint position " + std::to_string(30 + n) +
           " 29 side right\n";
}

class WorldRing : public WorldFixture {
  protected:
    void writeRing() {
        for (int n = 1; n <= 4; ++n)
            writeRoom(n, ringRoom(n));
    }
    void expectAt(float px, float py) {
        EXPECT_EQ(player().x, px);
        EXPECT_EQ(player().prevX, px);
        EXPECT_EQ(player().y, py);
        EXPECT_EQ(player().prevY, py);
    }
    // Puts the player at x and runs the step that sees it there.
    void stepAt(float px) {
        player().x = player().prevX = px;
        ASSERT_TRUE(steps(1));
    }
    void curtain() { ASSERT_TRUE(steps(121)); }
};

TEST_F(WorldRing, StartsInRoomOneAtItsLeftEntryPoint) {
    writeRing();
    load();
    EXPECT_EQ(world.roomFiles, (std::vector<std::string>{"res/rooms/room1.txt", "res/rooms/room2.txt",
                                                         "res/rooms/room3.txt", "res/rooms/room4.txt"}));
    EXPECT_EQ(world.currentRoom, 0u);
    EXPECT_EQ(world.room->objects().size(), 3u);
    EXPECT_EQ(player().room, world.room.get());
    EXPECT_EQ(player().state, Ground);
    expectAt(1, 29);
    for (const char* type : {"platform", "robot", "searchable", "lift", "entrypoint"})
        EXPECT_TRUE(objectRegistry().contains(type)) << type;
    EXPECT_TRUE(theSpriteRenderer);
}

TEST_F(WorldRing, TheRingWrapsBothWaysAndArrivesAtTheFarSide) {
    writeRing();
    load();
    stepAt(-2.5f);
    EXPECT_TRUE(world.roomChangePending);
    EXPECT_EQ(world.currentRoom, 3u);
    EXPECT_EQ(world.entrySide, 1);
    curtain();
    EXPECT_FALSE(world.roomChangePending);
    expectAt(34, 29);

    stepAt(40.5f);
    EXPECT_EQ(world.currentRoom, 0u);
    EXPECT_EQ(world.entrySide, 0);
    curtain();
    expectAt(1, 29);

    stepAt(41.0f);
    curtain();
    EXPECT_EQ(world.currentRoom, 1u);
    expectAt(2, 29);
}

// The right edge is x 40; the left one counts the player's right edge, so x -2.
TEST_F(WorldRing, TheEdgesThemselvesAreStillInTheRoom) {
    writeRing();
    load();
    for (const float edge : {40.0f, -2.0f}) {
        stepAt(edge);
        EXPECT_FALSE(world.roomChangePending) << edge;
        EXPECT_EQ(player().x, edge);
        stepAt(std::nextafter(edge, edge > 0.0f ? 41.0f : -3.0f));
        EXPECT_TRUE(world.roomChangePending) << edge;
        curtain();
    }
}

TEST_F(WorldRing, AChangeStopsEverySoundAndTheNewRoomComesInThe121stStep) {
    writeRing();
    load();
    const GameObject* firstFloor = world.room->objects()[0].get();
    sounds.clear();
    stepAt(40.5f);
    ASSERT_EQ(sounds.requests().size(), 1u);
    EXPECT_EQ(sounds.requests()[0].kind, RecordingSoundSink::Request::Kind::StopAll);

    ASSERT_TRUE(steps(120));
    EXPECT_EQ(world.curtainTimer, 30.0f);
    EXPECT_EQ(world.room->objects()[0].get(), firstFloor);
    EXPECT_EQ(player().x, 40.5f);
    ASSERT_TRUE(steps(1));
    EXPECT_FALSE(world.roomChangePending);
    EXPECT_EQ(world.loadedRoom, world.currentRoom); // a room watch sees no change to read
    expectAt(2, 29);
    // The timer keeps its value until the next curtain.
    EXPECT_EQ(world.curtainTimer, 30.25f);
}

TEST_F(WorldRing, DeathIsTestedBeforeTheEdgesAndRespawnsInTheSameRoom) {
    writeRing();
    load();
    const GameObject* firstFloor = world.room->objects()[0].get();
    player().x = player().prevX = 41.0f;
    player().y = player().prevY = 33.5f;
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(player().state, Dying);
    EXPECT_FALSE(world.roomChangePending);
    EXPECT_EQ(world.currentRoom, 0u);

    ASSERT_TRUE(steps(120));
    EXPECT_EQ(player().state, Dying);
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(player().state, Ground);
    EXPECT_EQ(world.room->objects()[0].get(), firstFloor);
    expectAt(1, 29);
}

TEST_F(WorldRing, ARespawnUsesTheSideThePlayerLastCameInBy) {
    writeRing();
    load();
    stepAt(-3.0f);
    curtain();
    expectAt(34, 29);
    player().setState(Dying);
    curtain();
    EXPECT_EQ(world.currentRoom, 3u);
    expectAt(34, 29);
}

TEST_F(WorldRing, TheRoomStandsStillBehindTheCurtainAndIsResetAfterIt) {
    writeRoom(1, ringRoom(1) + "lift waypoint 20 10 waypoint 20 20 startpoint 0\n"
                               "searchable position 5 29 width 2 height 3 percentage 100\n");
    load();
    Lift& lift = object<Lift>(3);
    Searchable& crate = object<Searchable>(4);
    GameObject passenger;
    passenger.x = 20.5f;
    passenger.w = 1.0f;
    ASSERT_TRUE(lift.interactDown(&passenger));
    ASSERT_TRUE(steps(10));
    crate.remaining = 42.0f;
    ASSERT_TRUE(crate.interactUp(&passenger));
    player().setState(Dying);
    const float liftY = lift.y;
    const float playerX = player().x;

    ASSERT_TRUE(steps(120));
    EXPECT_EQ(lift.y, liftY);
    EXPECT_EQ(lift.motion, Lift::MovingDown);
    EXPECT_EQ(crate.remaining, 42.0f);
    EXPECT_EQ(crate.searcher, &passenger);
    EXPECT_EQ(player().x, playerX);

    ASSERT_TRUE(steps(1));
    EXPECT_EQ(lift.y, 10.0f);
    EXPECT_EQ(lift.motion, Lift::Idle);
    EXPECT_EQ(lift.rider, nullptr);
    EXPECT_EQ(crate.remaining, 100.0f);
    EXPECT_EQ(crate.searcher, nullptr);
}

TEST_F(WorldRing, AMissingRoomKeepsTheOneJustLeftAndTheRingMovesOn) {
    writeRoom(1, ringRoom(1));
    writeRoom(3, ringRoom(3));
    load();
    const GameObject* firstFloor = world.room->objects()[0].get();
    stepAt(40.5f);
    curtain();
    EXPECT_EQ(world.currentRoom, 1u);
    EXPECT_EQ(world.roomFiles[world.currentRoom], "res/rooms/room2.txt");
    EXPECT_EQ(world.room->objects()[0].get(), firstFloor);
    expectAt(1, 29);

    stepAt(40.5f);
    curtain();
    EXPECT_EQ(world.currentRoom, 2u);
    expectAt(3, 29);
}

TEST_F(WorldRing, AMissingSideBorrowsTheOtherAndNoneAtAllUsesTheStartPosition) {
    writeRoom(1, ringRoom(1));
    writeRoom(2, "entrypoint position 7 12 side right\n");
    writeRoom(3, "platform start 0 30 end 39 30\n");
    load();
    stepAt(40.5f);
    curtain();
    EXPECT_EQ(world.entryPoints[0], nullptr);
    expectAt(7, 12);

    stepAt(40.5f);
    curtain();
    EXPECT_EQ(world.currentRoom, 2u);
    EXPECT_EQ(world.entryPoints[0], nullptr);
    EXPECT_EQ(world.entryPoints[1], nullptr);
    expectAt(30, 29);
    player().setState(Dying);
    curtain();
    expectAt(30, 29);
}

TEST_F(WorldRing, QuitIsReturnedWhilePlayingAndBehindTheCurtain) {
    writeRing();
    load();
    world.quitRequested = true;
    EXPECT_NE(updateWorld(), 0);
    player().setState(Dying);
    EXPECT_NE(updateWorld(), 0);
    EXPECT_EQ(world.curtainTimer, 0.25f);
    world.quitRequested = false;
    EXPECT_EQ(updateWorld(), 0);
}

TEST_F(WorldRing, AMissingFirstRoomFailsStartUpWithOneMessageAndLeavesTheWorldNew) {
    std::string error;
    EXPECT_FALSE(loadWorld(error));
    EXPECT_NE(error.find("res/rooms/room1.txt"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_FALSE(world.room);
    EXPECT_FALSE(world.player);
    EXPECT_FALSE(theSpriteRenderer);
    EXPECT_TRUE(world.roomFiles.empty());

    writeRing();
    error.clear();
    EXPECT_TRUE(loadWorld(error)) << error;
    expectAt(1, 29);
}

TEST_F(WorldRing, EachLoadedWorldStartsTheRandomSequenceAgainAndShutdownLeavesItNew) {
    writeRing();
    load();
    player().setState(Dying);
    curtain();
    player().setState(Dying);
    EXPECT_NE(gameRandom.seed, 1u);
    shutdownWorld();
    EXPECT_FALSE(world.room);
    EXPECT_FALSE(world.player);
    EXPECT_FALSE(theSpriteRenderer);
    EXPECT_TRUE(world.roomFiles.empty());
    EXPECT_EQ(world.curtainTimer, 0.0f);
    EXPECT_EQ(world.entryPoints[0], nullptr);

    sounds.clear();
    load();
    player().setState(Dying);
    ASSERT_EQ(sounds.requests().size(), 2u);
    EXPECT_EQ(sounds.requests()[1].fileName, "res/sound/die1.wav");
}

// The rooms the game ships: each must load, give both entry points and hold the player up
// where it arrives and something to search; together they show every behaviour, every speed,
// a lift of two stops and one of three or more, and every robot can fire.
TEST_F(WorldRing, TheShippedRoomsMakeARingToStandIn) {
    setUpOver(MARROWGAST_SOURCE_DIR);
    load();
    std::set<int> behaviours;
    std::set<int> speeds;
    std::set<std::size_t> stops;
    for (int room = 0; room < 4; ++room) {
        SCOPED_TRACE(world.roomFiles[world.currentRoom]);
        EXPECT_EQ(world.currentRoom, static_cast<std::size_t>(room));
        ASSERT_NE(world.entryPoints[0], nullptr);
        ASSERT_NE(world.entryPoints[1], nullptr);
        int searchables = 0;
        for (const ObjectRef& object : world.room->objects()) {
            if (object->kind() == ObjectKind::Lift)
                stops.insert(static_cast<Lift&>(*object).waypoints.size());
            if (object->kind() == ObjectKind::Searchable)
                ++searchables;
            if (object->kind() == ObjectKind::Robot) {
                const Robot& robot = static_cast<Robot&>(*object);
                EXPECT_TRUE(robot.laserAnimation.defines("Laser"));
                EXPECT_TRUE(robot.bodyAnimation.defines("MoveLeft"));
                behaviours.insert(robot.patrol.begin(), robot.patrol.end());
                speeds.insert(robot.speedIndex);
            }
        }
        EXPECT_GE(searchables, 1);
        for (int side = 1; side >= 0; --side) {
            const float arrivalY = player().y;
            ASSERT_TRUE(steps(30));
            EXPECT_EQ(player().state, Ground) << "side " << 1 - side;
            EXPECT_EQ(player().y, arrivalY);
            world.entrySide = side;
            player().setState(Dying);
            ASSERT_TRUE(steps(121));
            EXPECT_EQ(player().x, world.entryPoints[side]->x);
        }
        stepAt(40.5f);
        ASSERT_TRUE(steps(121));
    }
    EXPECT_EQ(world.currentRoom, 0u);
    EXPECT_EQ(behaviours, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(speeds, (std::set<int>{0, 1, 2, 3, 4}));
    ASSERT_FALSE(stops.empty());
    EXPECT_EQ(*stops.begin(), 2u);
    EXPECT_GE(*stops.rbegin(), 3u);
}

} // namespace
