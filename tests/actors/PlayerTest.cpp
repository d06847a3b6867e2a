#include "actors/Player.h"
#include "app/GameSetup.h"
#include "definitions/TokenList.h"
#include "input/KeyCodes.h"
#include "sound/RecordingSoundSink.h"
#include "world/Room.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

// A room object for tests: "box at X Y size W H kind K up U down D", where U and D say
// whether it accepts a ride or search asked for with Up or Down.
class TestBox : public GameObject {
  public:
    int kindNumber = 1;
    bool acceptUp = false;
    bool acceptDown = false;
    int upAsked = 0;
    int downAsked = 0;

    void load(TokenList& t) override {
        while (!t.empty()) {
            const std::string key = t.takeWord();
            if (key == "at" && t.hasValues(key, 2)) {
                x = t.takeFloat();
                y = t.takeFloat();
            } else if (key == "size" && t.hasValues(key, 2)) {
                w = t.takeFloat();
                h = t.takeFloat();
            } else if (key == "kind" && t.hasValues(key, 1)) {
                kindNumber = t.takeInt();
            } else if (key == "up" && t.hasValues(key, 1)) {
                acceptUp = t.takeInt() != 0;
            } else if (key == "down" && t.hasValues(key, 1)) {
                acceptDown = t.takeInt() != 0;
            }
        }
    }
    ObjectKind kind() override { return static_cast<ObjectKind>(kindNumber); }
    bool interactUp(GameObject*) override {
        ++upAsked;
        return acceptUp;
    }
    bool interactDown(GameObject*) override {
        ++downAsked;
        return acceptDown;
    }
};

const char* PlayerSet = "set FaceLeft 1 f.png\nset FaceRight 1 f.png\n"
                        "set RunLeft 4 a.png b.png\nset RunRight 4 a.png b.png\n"
                        "set JumpLeft 10 a.png b.png c.png d.png e.png\n"
                        "set JumpRight 10 a.png b.png c.png d.png e.png\n"
                        "set FallLeft 1 f.png\nset FallRight 1 f.png\n"
                        "set Search 1 s.png\n";

// Writes the player's set file into the directory, for a game set up over it.
std::filesystem::path withPlayerSet(const TempDir& dir, const char* setText) {
    std::filesystem::create_directories(dir.path("res/textures"));
    dir.write("res/textures/player.set", setText);
    return dir.path("");
}

// Each test runs with a player set whose jump lasts 50 steps, long enough for a free jump
// to peak and come down again.
class PlayerWorld : public ::testing::Test {
  protected:
    explicit PlayerWorld(const char* setText = PlayerSet) : setup(withPlayerSet(dir, setText)) {
        registry.registerType("box", makeObject<TestBox>);
    }

    TempDir dir;
    GameSetup setup;
    ObjectRegistry registry;
    Room room{registry};
    RecordingSoundSink sounds;
    ScopedSoundSink useSounds{sounds};
    Player player;

    // Loads a room file, resets the player into it and stands it at (px, py).
    Player& start(const std::string& roomText, float px, float py) {
        room.loadFile(dir.write("room.txt", roomText));
        player.room = &room;
        player.reset();
        player.x = player.prevX = px;
        player.y = player.prevY = py;
        return player;
    }
    void press(int code) { player.handleKey(code, 1); }
    void release(int code) { player.handleKey(code, 0); }
    void steps(int n) {
        for (int i = 0; i < n; ++i)
            player.update();
    }
    std::vector<std::string> soundEvents() const {
        std::vector<std::string> out;
        for (const auto& r : sounds.requests())
            out.push_back(RecordingSoundSink::traceLine(r));
        return out;
    }
    TestBox& box(std::size_t i) { return static_cast<TestBox&>(*room.objects().at(i)); }
};

class PlayerWithInstantJump : public PlayerWorld {
  protected:
    PlayerWithInstantJump() : PlayerWorld("set JumpLeft 0\nset JumpRight 0\nset FaceLeft 1 f.png\n") {}
};

const char* Floor = "box at 0 30 size 40 1 kind 1\n"; // top edge at y 29

TEST_F(PlayerWorld, RunningMovesOnePointOneFivePerStepAndTurnsTheFacing) {
    start(Floor, 10, 29);
    press(KeyCodeRight);
    steps(10);
    EXPECT_NEAR(player.x, 11.5f, 1e-4);
    EXPECT_EQ(player.facing, FacingRight);
    release(KeyCodeRight);
    press(KeyCodeLeft);
    steps(1);
    EXPECT_EQ(player.facing, FacingLeft);
}

TEST_F(PlayerWorld, WalkingOffAnEdgeFallsAndKeepsDriftingWithNoKeyHeld) {
    start("box at 0 30 size 10 1 kind 1\n", 7.9f, 29);
    press(KeyCodeRight);
    int guard = 0;
    while (player.state == Ground && guard++ < 100)
        steps(1);
    ASSERT_EQ(player.state, Fall);
    release(KeyCodeRight);
    const float before = player.x;
    steps(5);
    EXPECT_NEAR(player.x - before, 0.75f, 1e-4);
    EXPECT_EQ(player.state, Fall);
}

TEST_F(PlayerWorld, BothArrowsTogetherOrUpOrDownAloneOnOpenGroundDoNotMove) {
    const struct {
        int first, second;
        int facing;
    } cases[] = {{KeyCodeLeft, KeyCodeRight, FacingRight},
                 {KeyCodeUp, KeyCodeUp, FacingLeft},
                 {KeyCodeDown, KeyCodeDown, FacingLeft}};
    for (const auto& c : cases) {
        start(Floor, 10, 29);
        press(c.first);
        press(c.second);
        steps(20);
        EXPECT_NEAR(player.x, 10.0f, 1e-4) << c.first << " " << c.second;
        EXPECT_EQ(player.y, 29.0f) << c.first << " " << c.second;
        EXPECT_EQ(player.state, Ground) << c.first << " " << c.second;
        EXPECT_EQ(player.facing, c.facing) << c.first << " " << c.second;
    }
}

TEST_F(PlayerWorld, AFreeJumpPeaksAfterTwentySixStepsAboutTwoPointEightUp) {
    start(Floor, 10, 29);
    press(KeyCodeSpace);
    float highest = player.y;
    int peakStep = 0;
    for (int step = 1; step <= 45; ++step) {
        steps(1);
        if (player.y < highest) {
            highest = player.y;
            peakStep = step;
        }
    }
    EXPECT_EQ(peakStep, 26);
    EXPECT_NEAR(29.0f - highest, 2.8f, 0.05f);
    // Holding the bar jumps once: the bit was cleared at take-off.
    EXPECT_EQ(player.keys & KeyJump, 0u);
}

TEST_F(PlayerWorld, EveryPoseFollowsTheFacing) {
    for (const int facing : {FacingLeft, FacingRight}) {
        const std::string side = facing == FacingLeft ? "Left" : "Right";
        const int arrow = facing == FacingLeft ? KeyCodeLeft : KeyCodeRight;
        start(Floor, 10, 29);
        press(arrow);
        steps(1);
        EXPECT_EQ(player.animation.playingName(), "Run" + side);
        steps(4); // a held arrow does not restart the run
        EXPECT_EQ(player.animation.frame(), 1u);
        release(arrow);
        steps(1);
        EXPECT_EQ(player.animation.playingName(), "Face" + side);
        press(arrow); // a new press runs again, though the facing is the same
        steps(1);
        EXPECT_EQ(player.animation.playingName(), "Run" + side);
        press(KeyCodeSpace);
        steps(1);
        EXPECT_EQ(player.animation.playingName(), "Jump" + side);
        while (player.state == Jump)
            steps(1);
        EXPECT_EQ(player.animation.playingName(), "Fall" + side);
        while (player.state != Ground)
            steps(1);
        EXPECT_EQ(player.animation.playingName(), "Run" + side); // landed with the arrow held
    }
}

TEST_F(PlayerWorld, TheJumpBoxCrouchesAtMidJumpAndStandsUpAgain) {
    start(Floor, 10, 29);
    press(KeyCodeSpace);
    steps(1);
    EXPECT_EQ(player.state, Jump);
    EXPECT_GT(player.h, 2.9f);
    steps(24);
    EXPECT_NEAR(player.h, 2.0f, 0.05f);
    // The jump animation starts in the take-off step and wraps 50 advances later, in step
    // 51; the fall then puts the height back.
    steps(25);
    EXPECT_EQ(player.state, Jump);
    steps(1);
    EXPECT_NE(player.state, Jump);
    EXPECT_EQ(player.h, 3.0f);
}

TEST_F(PlayerWorld, ASpacePressReleasedInTheAirIsLostButOneHeldOnLandingJumps) {
    for (const bool releasedInTheAir : {true, false}) {
        start(Floor, 10, 20); // dropped from 9 units up
        player.setState(Fall);
        press(KeyCodeSpace);
        steps(3);
        if (releasedInTheAir)
            release(KeyCodeSpace);
        int guard = 0;
        while (player.state != Ground && guard++ < 200)
            steps(1);
        ASSERT_EQ(player.state, Ground);
        steps(1);
        EXPECT_EQ(player.state, releasedInTheAir ? Ground : Jump) << releasedInTheAir;
        if (releasedInTheAir) {
            EXPECT_EQ(player.y, 29.0f);
        }
    }
}

TEST_F(PlayerWorld, KeysHeldDuringAResetAreForgotten) {
    start(Floor, 10, 29);
    press(KeyCodeRight);
    steps(2);
    player.reset();
    EXPECT_EQ(player.keys, 0u);
    steps(2);
    EXPECT_EQ(player.x, 30.0f);
}

TEST_F(PlayerWorld, WalkingIntoAWallStops) {
    start(std::string(Floor) + "box at 15 29 size 2 10 kind 1\n", 10, 29);
    press(KeyCodeRight);
    steps(60);
    // The box's left edge meets the wall at x + 2 = 15; every step that overlaps is undone.
    EXPECT_LE(player.x + player.w, 15.0f + 0.15f);
    EXPECT_GE(player.x, 12.8f);
    EXPECT_EQ(player.state, Ground);
}

// A box stands on a platform whose top lies less than a quarter unit above its feet, and a
// box moving up stops with its head at the underside when its feet are at or below the
// platform's bottom; otherwise the step across is undone. Each edge is tried exactly and one
// float further, with the player running right so that an undone step shows in x.
TEST_F(PlayerWorld, TheSupportRuleDecidesOnBothSidesOfItsEdges) {
    enum Outcome { Landed, Bumped, Pushed };
    const struct {
        const char* what;
        float prevY; // the player's y a step ago: below 20 falls, above rises
        bool pastTheEdge;
        Outcome outcome;
    } cases[] = {
        {"top a quarter above the feet", 19.9f, false, Pushed},
        {"top just under a quarter above", 19.9f, true, Landed},
        {"rising, feet at the bottom", 20.3f, false, Bumped},
        {"rising, feet just above the bottom", 20.3f, true, Pushed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Where the step takes the player with nothing in the way.
        start("", 10, 20);
        player.prevY = c.prevY;
        press(KeyCodeRight);
        steps(1);
        const float freeX = player.x;
        const float freeY = player.y;

        start("box at 0 0 size 40 1 kind 1\n", 10, 20);
        const bool falling = c.prevY < 20.0f;
        const float edge = falling ? freeY + 0.75f : freeY; // the box's bottom y
        box(0).y = c.pastTheEdge ? std::nextafter(edge, 40.0f) : edge;
        player.prevY = c.prevY;
        press(KeyCodeRight);
        steps(1);
        switch (c.outcome) {
        case Landed:
            EXPECT_EQ(player.y, box(0).y - 1.0f);
            EXPECT_EQ(player.x, freeX);
            break;
        case Bumped:
            EXPECT_EQ(player.y, box(0).y + 3.0f);
            EXPECT_EQ(player.x, freeX);
            break;
        case Pushed:
            EXPECT_EQ(player.y, freeY);
            EXPECT_EQ(player.x, 10.0f);
            break;
        }
    }
}

TEST_F(PlayerWorld, FallingBelowTheRoomDies) {
    start("", 10, 29);
    int guard = 0;
    while (player.state != Dying && guard++ < 200)
        steps(1);
    ASSERT_EQ(player.state, Dying);
    EXPECT_GT(player.y, player.h + 30.0f);
    EXPECT_LE(player.y - 0.2f, player.h + 30.0f);

    // Feet exactly at the box's height below the room's bottom still live; a float lower dies.
    start("", 10, 32.9f);
    steps(1);
    const float feet = player.y;
    for (const bool lower : {false, true}) {
        start("", 10, 32.9f);
        player.h = (lower ? std::nextafter(feet, 0.0f) : feet) - 30.0f;
        steps(1);
        ASSERT_EQ(player.y, feet);
        EXPECT_EQ(player.state == Dying, lower) << lower;
    }
}

TEST_F(PlayerWorld, TouchingARobotDiesInTheSameStepWithOneDeathSound) {
    start(std::string(Floor) + "box at 12 29 size 2 1.75 kind 4\n", 10.1f, 29);
    press(KeyCodeRight);
    steps(1);
    EXPECT_EQ(player.state, Dying);
    EXPECT_EQ(soundEvents(), (std::vector<std::string>{"stop", "sound=res/sound/die1.wav"}));
}

TEST_F(PlayerWorld, DeathSoundsFollowTheUnseededGenerator) {
    start("", 10, 29);
    for (int death = 0; death < 6; ++death) {
        player.setState(Dying);
        player.setState(Ground);
    }
    std::vector<std::string> played;
    for (const auto& e : soundEvents())
        if (e != "stop")
            played.push_back(e.substr(std::string("sound=res/sound/").size()));
    EXPECT_EQ(played, (std::vector<std::string>{"die1.wav", "die2.wav", "die1.wav", "die3.wav", "die2.wav",
                                                "die2.wav"}));
}

TEST_F(PlayerWorld, UpAndDownAgainstALiftThatRefusesUpAskDown) {
    start(std::string(Floor) + "box at 9 29 size 3 1 kind 3 up 0 down 1\n", 9.5f, 28);
    press(KeyCodeUp);
    press(KeyCodeDown);
    steps(1);
    EXPECT_EQ(box(1).upAsked, 1);
    EXPECT_EQ(box(1).downAsked, 1);
    EXPECT_EQ(player.state, RideLift);
    // Riding ends through the lift; the lift's speed is not carried over.
    player.y = 20.0f;
    player.rideFinished();
    EXPECT_EQ(player.state, Ground);
    EXPECT_EQ(player.prevY, 20.0f);
}

TEST_F(PlayerWorld, NoLiftRideWhileRunning) {
    start(std::string(Floor) + "box at 9 29 size 3 1 kind 3 up 1 down 1\n", 9.5f, 28);
    press(KeyCodeUp);
    press(KeyCodeLeft);
    steps(1);
    EXPECT_EQ(box(1).upAsked, 0);
    EXPECT_NE(player.state, RideLift);
}

TEST_F(PlayerWorld, SearchingLastsWhileUpIsHeldAndTheObjectAccepts) {
    start(std::string(Floor) + "box at 10 29 size 2 2 kind 2 up 1\n", 10, 29);
    press(KeyCodeUp);
    steps(1);
    EXPECT_EQ(player.state, Search);
    steps(5);
    EXPECT_EQ(box(1).upAsked, 6);
    release(KeyCodeUp);
    steps(1);
    EXPECT_EQ(player.state, Ground);
}

TEST_F(PlayerWithInstantJump, AJumpAnimationWithNoLengthKeepsTheBoxFullHigh) {
    start(Floor, 10, 29);
    press(KeyCodeSpace);
    steps(1);
    EXPECT_EQ(player.h, 3.0f);
    EXPECT_TRUE(std::isfinite(player.y));
}

} // namespace
