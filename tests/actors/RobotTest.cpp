#include "actors/Robot.h"

#include "actors/Player.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"
#include "sound/RecordingSoundSink.h"
#include "world/Room.h"
#include "world/World.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The turns last 10 steps (two frames of five); the frames need not exist as images.
const char* BodySet = "set MoveLeft 1 ml.png\n"
                      "set MoveRight 1 mr.png\n"
                      "set TurnRightToLeft 5 t1.png t2.png\n"
                      "set TurnLeftToRight 5 t3.png t4.png\n";
const char* LaserSet = "set Laser 2 l1.png l2.png\n";

constexpr int TurnSteps = 10;

// Swaps the world's player for a fresh one, or for none, and puts the old one back.
class PlayerSwap {
  public:
    explicit PlayerSwap(bool withPlayer = true) : previous(std::move(world.player)) {
        if (withPlayer)
            world.player = std::make_unique<Player>();
    }
    ~PlayerSwap() { world.player = std::move(previous); }
    PlayerSwap(const PlayerSwap&) = delete;
    PlayerSwap& operator=(const PlayerSwap&) = delete;

    Player& player() { return *world.player; }

  private:
    std::unique_ptr<Player> previous;
};

class RobotTest : public ::testing::Test {
  protected:
    RobotTest() {
        registry.registerType("robot", makeObject<Robot>);
        bodyFile = dir.write("robot.set", BodySet);
        laserFile = dir.write("laser.set", LaserSet);
    }

    // Reads a room file of the given text and gives back its first robot.
    Robot& loadRoom(const std::string& text) {
        EXPECT_TRUE(room.loadFile(dir.write("room.txt", text)));
        return robot(0);
    }
    // One robot with both set files and the given keys.
    Robot& loadRobot(const std::string& keys) { return loadRoom(robotLine(keys)); }
    std::string robotLine(const std::string& keys) const {
        return "robot texture " + bodyFile + " laser " + laserFile + " " + keys + "\n";
    }
    Robot& robot(std::size_t i) { return static_cast<Robot&>(*room.objects().at(i)); }

    void steps(int n) {
        for (int i = 0; i < n; ++i)
            room.updateAll();
    }
    std::size_t laserSounds() const {
        std::size_t count = 0;
        for (const auto& request : sounds.requests()) {
            if (request.kind == RecordingSoundSink::Request::Kind::Play &&
                request.fileName == "res/sound/laser.wav")
                ++count;
        }
        return count;
    }

    TempDir dir;
    std::string bodyFile;
    std::string laserFile;
    ObjectRegistry registry;
    Room room{registry};
    RecordingSoundSink sounds;
    ScopedSoundSink useSounds{sounds};
};

// Values as written, a patrol that ends at the first word that is no behaviour (read as the
// next key), speed and behaviour words matched ignoring case only in A to Z, an unknown speed
// word taken and ignored, groups cut off by the line's end ignored, extra spaces harmless.
TEST_F(RobotTest, KeysReadAsTheRoomFileWritesThem) {
    using Patrol = std::vector<int>;
    const struct {
        const char* keys;
        float x, y;
        int direction, speed, waypoint1, waypoint2;
        Patrol patrol;
    } cases[] = {
        {"start 3.5 20.25 direction 7 waypoints 12.5 3 20.9 -4 speed slow patrol pause",
         3.5f,
         20.25f,
         7,
         1,
         12,
         20,
         {Robot::Pause}},
        {"patrol pause laser turn speed fast", 0, 0, 0, 3, 0, 0, {Robot::Pause, Robot::Laser, Robot::Turn}},
        {"patrol followplayer direction 1 patrol movetopoint2 donothing movetopoint1",
         0,
         0,
         1,
         2,
         0,
         0,
         {Robot::FollowPlayer, Robot::MoveToPoint2, Robot::DoNothing, Robot::MoveToPoint1}},
        {"speed slow speed warp direction 1", 0, 0, 1, 1, 0, 0, {}},
        {"speed FAST patrol Pause TURN LaSeR FollowPlayer",
         0,
         0,
         0,
         3,
         0,
         0,
         {Robot::Pause, Robot::Turn, Robot::Laser, Robot::FollowPlayer}},
        {"Speed fast", 0, 0, 0, 2, 0, 0, {}},
        {"start 5 6 waypoints 1 2 3", 5, 6, 0, 2, 0, 0, {}},
        {"speed fast speed", 0, 0, 0, 3, 0, 0, {}},
        {"start 5", 0, 0, 0, 2, 0, 0, {}},
        {"  start  4  9   patrol   Pause  turn   speed  fast   ",
         4,
         9,
         0,
         3,
         0,
         0,
         {Robot::Pause, Robot::Turn}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        Robot& r = loadRobot(c.keys);
        ASSERT_EQ(room.objects().size(), 1u);
        EXPECT_EQ(r.x, c.x);
        EXPECT_EQ(r.y, c.y);
        EXPECT_EQ(r.direction, c.direction);
        EXPECT_EQ(r.speedIndex, c.speed);
        EXPECT_EQ(r.waypoint1X, c.waypoint1);
        EXPECT_EQ(r.waypoint2X, c.waypoint2);
        EXPECT_EQ(r.patrol, c.patrol);
        // The finishing step starts the beam's animation.
        EXPECT_EQ(r.laserAnimation.playingName(), "Laser");
    }
    EXPECT_EQ(robotSpeedIndex("LUDICROUS"), 4);
    EXPECT_EQ(robotSpeedIndex("ReallySlow"), 0);
    EXPECT_EQ(robotBehaviourNumber("MOVETOPOINT2"), 2);
    // No folding of other bytes, no prefix matches.
    for (const char* word : {"pause\t", "paus", "p\xC1use"})
        EXPECT_EQ(robotBehaviourNumber(word), -1) << word;
    EXPECT_EQ(robotSpeedIndex("fast."), -1);
}

TEST_F(RobotTest, UnknownKeysAndTheirValuesGoToTheListener) {
    struct Listener : DefinitionObserver {
        std::vector<std::string> keys;
        void unknownKey(std::string_view key) override { keys.emplace_back(key); }
    } listener;
    TokenList tokens;
    tokens.observer = &listener;
    for (const char* word : {"colour", "7", "direction", "1", "Start", "2"})
        tokens.append(word);
    Robot r;
    r.load(tokens);
    EXPECT_EQ(listener.keys, (std::vector<std::string>{"colour", "7", "Start", "2"}));
    EXPECT_EQ(r.direction, 1);
}

TEST_F(RobotTest, ResetReturnsToTheStartAndTheFirstBehaviour) {
    Robot& r = loadRobot("start 10 5 waypoints 0 5 20 5 direction 1 patrol movetopoint1 pause");
    EXPECT_EQ(r.behaviour, Robot::MoveToPoint1);
    EXPECT_EQ(r.facingRight, 0);
    steps(30);
    EXPECT_LT(r.x, 10.0f);
    r.reset();
    EXPECT_EQ(r.x, 10.0f);
    EXPECT_EQ(r.y, 5.0f);
    EXPECT_EQ(r.patrolPos, 0u);
    EXPECT_EQ(r.behaviour, Robot::MoveToPoint1);
    EXPECT_EQ(r.bodyAnimation.playingName(), "MoveLeft");
}

TEST_F(RobotTest, DoNothingAndAnEmptyPatrolShowMoveLeftWhateverTheFacingAndNeverMoveOn) {
    for (const char* keys : {"start 8 5 direction 1 patrol donothing pause", "start 8 5 direction 1"}) {
        Robot& r = loadRobot(keys);
        EXPECT_EQ(r.behaviour, Robot::DoNothing) << keys;
        EXPECT_NE(r.facingRight, 0) << keys;
        EXPECT_EQ(r.bodyAnimation.playingName(), "MoveLeft") << keys;
        steps(600);
        EXPECT_EQ(r.behaviour, Robot::DoNothing) << keys;
        EXPECT_EQ(r.patrolPos, 0u) << keys;
        EXPECT_EQ(r.x, 8.0f) << keys;
    }
}

TEST_F(RobotTest, PauseEndsOnItsHundredAndTwentyFirstStep) {
    Robot& r = loadRobot("patrol pause turn");
    steps(120);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_GT(r.timer, 0.0f);
    steps(1);
    EXPECT_EQ(r.behaviour, Robot::Turn);
}

TEST_F(RobotTest, LaserFiresForOneHundredAndEightyStepsWithOneSound) {
    Robot& r = loadRobot("direction 1 patrol laser pause");
    EXPECT_EQ(r.behaviour, Robot::Laser);
    EXPECT_EQ(r.bodyAnimation.playingName(), "MoveRight");
    EXPECT_EQ(laserSounds(), 1u);
    steps(180);
    EXPECT_EQ(r.behaviour, Robot::Laser);
    steps(1);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_EQ(laserSounds(), 1u);
    // The beam's animation runs all along, not only while firing.
    EXPECT_EQ(r.laserAnimation.playingName(), "Laser");
}

TEST_F(RobotTest, TurnFlipsWhenItsAnimationWrapsAndMovesOn) {
    Robot& r = loadRobot("direction 1 patrol turn pause");
    EXPECT_EQ(r.bodyAnimation.playingName(), "TurnRightToLeft");
    steps(TurnSteps - 1);
    EXPECT_EQ(r.behaviour, Robot::Turn);
    EXPECT_EQ(r.facingRight, 1);
    steps(1);
    EXPECT_EQ(r.facingRight, 0);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_EQ(r.bodyAnimation.playingName(), "MoveLeft");
}

TEST_F(RobotTest, LoneTurnFlipsOnEveryWrapWithoutRestarting) {
    Robot& r = loadRobot("patrol turn");
    for (int wrap = 1; wrap <= 3; ++wrap) {
        steps(TurnSteps - 1);
        EXPECT_EQ(r.facingRight, wrap % 2 == 0 ? 1 : 0) << "wrap " << wrap;
        steps(1);
        EXPECT_EQ(r.facingRight, wrap % 2 == 1 ? 1 : 0) << "wrap " << wrap;
    }
    EXPECT_EQ(r.behaviour, Robot::Turn);
    EXPECT_EQ(r.bodyAnimation.playingName(), "TurnLeftToRight");
}

TEST_F(RobotTest, EqualNeighboursDoNotRunTheEntryAgain) {
    Robot& r = loadRobot("patrol pause pause turn");
    steps(121);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_EQ(r.patrolPos, 1u);
    steps(1);
    EXPECT_EQ(r.behaviour, Robot::Turn);

    // Two lasers in a row fire once for three seconds, then the second ends at once.
    Robot& l = loadRobot("patrol laser laser pause");
    sounds.clear();
    steps(181);
    EXPECT_EQ(l.behaviour, Robot::Laser);
    steps(1);
    EXPECT_EQ(l.behaviour, Robot::Pause);
    EXPECT_EQ(laserSounds(), 0u);
}

TEST_F(RobotTest, TwoRobotsFiringInTheSameStepRequestTwoSounds) {
    loadRoom(robotLine("start 5 10 patrol pause laser") + robotLine("start 25 10 patrol pause laser"));
    ASSERT_EQ(room.objects().size(), 2u);
    steps(120);
    EXPECT_EQ(laserSounds(), 0u);
    steps(1);
    EXPECT_EQ(robot(0).behaviour, Robot::Laser);
    EXPECT_EQ(robot(1).behaviour, Robot::Laser);
    EXPECT_EQ(laserSounds(), 2u);
}

TEST_F(RobotTest, EachSpeedKeywordMovesItsDistancePerStep) {
    const struct {
        const char* word;
        float perStep;
    } speeds[] = {
        {"reallyslow", 0.025f}, {"slow", 0.05f}, {"normal", 0.1f}, {"fast", 0.3f}, {"ludicrous", 0.5f}};
    for (const auto& s : speeds) {
        Robot& r =
            loadRobot(std::string("start 10 5 waypoints 30 5 0 5 speed ") + s.word + " patrol movetopoint1");
        steps(1);
        EXPECT_EQ(r.x, 10.0f + s.perStep) << s.word;
        EXPECT_EQ(r.bodyAnimation.playingName(), "MoveRight") << s.word;
    }
    // Without a speed key the robot walks at "normal".
    Robot& r = loadRobot("start 10 5 waypoints 30 5 0 5 patrol movetopoint2");
    steps(1);
    EXPECT_EQ(r.x, 10.0f - 0.1f);
    EXPECT_EQ(r.bodyAnimation.playingName(), "MoveLeft");
}

TEST_F(RobotTest, WalksToTheWaypointStoppingOnTheFirstStepThatReachesOrPassesIt) {
    // From 0.25 by 0.5 a step: 0.75 ... 2.75, then 3.25 passes 3.
    Robot& r = loadRobot("start 0.25 5 waypoints 0 5 3 5 speed ludicrous patrol movetopoint2 pause");
    steps(5);
    EXPECT_EQ(r.behaviour, Robot::MoveToPoint2);
    EXPECT_EQ(r.x, 2.75f);
    steps(1);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_EQ(r.x, 3.25f);
    EXPECT_LE(r.x - 3.0f, 0.5f);
}

TEST_F(RobotTest, MoveEnteredExactlyAtTheWaypointFacesRightAndTakesOneStep) {
    Robot& r = loadRobot("start 10 5 waypoints 10 5 30 5 patrol movetopoint1 pause");
    EXPECT_EQ(r.facingRight, 1);
    EXPECT_EQ(r.bodyAnimation.playingName(), "MoveRight");
    steps(1);
    EXPECT_EQ(r.x, 10.0f + 0.1f);
    EXPECT_EQ(r.behaviour, Robot::Pause);
}

TEST_F(RobotTest, WithoutWaypointsTheRobotWalksToZeroAndFollowingPinsItThere) {
    PlayerSwap inWorld;
    inWorld.player().x = -10.0f;
    Robot& r = loadRobot("start 2 5 patrol movetopoint1 followplayer");
    EXPECT_EQ(r.facingRight, 0);
    int walked = 0;
    while (r.behaviour == Robot::MoveToPoint1 && walked < 100) {
        steps(1);
        ++walked;
    }
    EXPECT_EQ(r.behaviour, Robot::FollowPlayer);
    EXPECT_LE(r.x, 0.0f);
    EXPECT_GE(walked, 20);
    steps(5);
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.behaviour, Robot::FollowPlayer);
}

TEST_F(RobotTest, FollowingMovesAFixedTenthWhateverTheSpeed) {
    PlayerSwap inWorld;
    inWorld.player().x = 30.0f;
    Robot& r = loadRobot("start 10 5 waypoints 0 5 35 5 speed ludicrous patrol followplayer");
    EXPECT_EQ(r.facingRight, 1);
    float expected = 10.0f;
    for (int i = 0; i < 5; ++i) {
        steps(1);
        expected += 0.1f;
        EXPECT_EQ(r.x, expected);
    }
}

TEST_F(RobotTest, FollowingTurnsWhenThePlayerIsPassedAndTheTurnMovesThePatrolOn) {
    PlayerSwap inWorld;
    // Equal x counts as the player being to the right.
    inWorld.player().x = 10.0f;
    Robot& r = loadRobot("start 10 5 waypoints 0 5 30 5 patrol followplayer pause");
    EXPECT_EQ(r.facingRight, 1);
    steps(1);
    EXPECT_EQ(r.behaviour, Robot::Turn);
    EXPECT_EQ(r.patrolPos, 0u);
    EXPECT_EQ(r.bodyAnimation.playingName(), "TurnRightToLeft");
    const float stoppedAt = r.x;
    steps(TurnSteps);
    EXPECT_EQ(r.x, stoppedAt);
    EXPECT_EQ(r.facingRight, 0);
    EXPECT_EQ(r.behaviour, Robot::Pause);
    EXPECT_EQ(r.patrolPos, 1u);
}

TEST_F(RobotTest, FollowingClampsToTheSpanLowerBoundFirst) {
    PlayerSwap inWorld;
    inWorld.player().x = 100.0f;
    Robot& r = loadRobot("start 29.95 5 waypoints 5 5 30 5 patrol followplayer");
    steps(3);
    EXPECT_EQ(r.x, 30.0f);
    EXPECT_EQ(r.behaviour, Robot::FollowPlayer);

    // Waypoints the wrong way round: the second one wins.
    Robot& reversed = loadRobot("start 15 5 waypoints 20 5 10 5 patrol followplayer");
    steps(1);
    EXPECT_EQ(reversed.x, 10.0f);
}

TEST_F(RobotTest, FollowingWithoutAPlayerKeepsTheFacingAndNeverTurns) {
    PlayerSwap noPlayer(false);
    Robot& r = loadRobot("start 10 5 waypoints 0 5 12 5 direction 1 patrol followplayer pause");
    EXPECT_EQ(r.facingRight, 1);
    steps(60);
    EXPECT_EQ(r.x, 12.0f);
    EXPECT_EQ(r.behaviour, Robot::FollowPlayer);
}

TEST_F(RobotTest, BeamCountsOnlyWhileFiringAndOnTheFacingSide) {
    // Right: the beam covers x 12 to 15 and y 18.25 to 19 in front of a body at 10 to 12.
    Robot& r = loadRobot("start 10 20 direction 1 patrol laser pause");
    EXPECT_TRUE(r.overlaps(13.0f, 18.5f, 1.0f, 0.1f));
    EXPECT_TRUE(r.overlaps(15.0f, 19.0f, 1.0f, 0.5f)); // touching the far end and the bottom
    EXPECT_FALSE(r.overlaps(15.01f, 19.0f, 1.0f, 0.5f));
    EXPECT_FALSE(r.overlaps(13.0f, 19.6f, 1.0f, 0.5f)); // below the beam, beside the body
    EXPECT_FALSE(r.overlaps(7.0f, 18.5f, 2.0f, 0.1f));  // behind the robot
    EXPECT_TRUE(r.overlaps(11.0f, 19.6f, 0.5f, 0.5f));  // the body still counts

    steps(181);
    ASSERT_EQ(r.behaviour, Robot::Pause);
    EXPECT_FALSE(r.overlaps(13.0f, 18.5f, 1.0f, 0.1f));
    EXPECT_TRUE(r.overlaps(11.0f, 19.6f, 0.5f, 0.5f));

    Robot& left = loadRobot("start 10 20 patrol laser");
    EXPECT_TRUE(left.overlaps(7.0f, 18.5f, 1.0f, 0.1f));
    EXPECT_FALSE(left.overlaps(13.0f, 18.5f, 1.0f, 0.1f));
}

TEST_F(RobotTest, PlayerInFrontOfTheRobotDiesOnlyWhileItFires) {
    PlayerSwap inWorld;
    Player& player = inWorld.player();
    Robot& r = loadRobot("start 10 20 direction 1 patrol pause laser pause");
    player.room = &room;
    player.reset();
    // Clear of the body (which ends at x 12) but across the beam's height.
    auto stepBoth = [&] {
        player.x = player.prevX = 12.5f;
        player.y = player.prevY = 19.5f;
        room.updateAll();
        player.update();
    };
    for (int i = 0; i < 120; ++i) {
        stepBoth();
        ASSERT_NE(player.state, Dying) << "step " << i + 1;
    }
    stepBoth();
    EXPECT_EQ(r.behaviour, Robot::Laser);
    EXPECT_EQ(player.state, Dying);

    for (int i = 0; i < 181; ++i)
        room.updateAll();
    ASSERT_EQ(r.behaviour, Robot::Pause);
    player.setState(Ground);
    stepBoth();
    EXPECT_NE(player.state, Dying);
}

} // namespace
