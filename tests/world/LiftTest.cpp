#include "world/Lift.h"

#include "input/KeyCodes.h"

#include "WorldFixture.h"

#include <vector>

namespace {

// Something that rides a lift and notes where it stood when the ride ended.
class Rider : public GameObject {
  public:
    Rider(float atX, float width) {
        x = atX;
        w = width;
        h = 3.0f;
    }
    void rideFinished() override { finishedAt.push_back(y); }
    std::vector<float> finishedAt;
};

// Stops at y 5, 15 and 25, listed from the top down, at x 10.
void loadThreeStops(Lift& lift, int start) {
    TokenList tokens =
        tokensOf("waypoint 10 5 waypoint 10 15 waypoint 10 25 startpoint " + std::to_string(start));
    lift.load(tokens);
}

// Steps until the lift stops; the number of the step in which it arrived.
int stepsToArrive(Lift& lift) {
    for (int step = 1; step <= 1000; ++step) {
        lift.update();
        if (lift.motion == Lift::Idle)
            return step;
    }
    return -1;
}

// Up from 19 the 54th step lands exactly on 10, and down from 0 the 60th: a lift stops in the
// step that passes its stop, as it does where the steps never land on it.
TEST(Lift, StopsInTheStepThatPassesItsStopThoughAnEarlierOneLandsOnIt) {
    Lift lift;
    TokenList stops = tokensOf("waypoint 10 0 waypoint 10 10 waypoint 10 19 startpoint 2");
    lift.load(stops);
    Rider rider(10.5f, 2.0f);
    ASSERT_TRUE(lift.interactUp(&rider));
    EXPECT_EQ(lift.motion, Lift::MovingUp);
    EXPECT_EQ(stepsToArrive(lift), 55);
    EXPECT_EQ(lift.y, 10.0f);
    // Put on the final top edge before being told, then let go.
    EXPECT_EQ(rider.finishedAt, std::vector<float>{9.0f});
    EXPECT_EQ(lift.rider, nullptr);

    Lift down;
    TokenList downStops = tokensOf("waypoint 10 0 waypoint 10 10 startpoint 0");
    down.load(downStops);
    ASSERT_TRUE(down.interactDown(&rider));
    EXPECT_EQ(stepsToArrive(down), 61);
    EXPECT_EQ(down.y, 10.0f);
    EXPECT_EQ(rider.finishedAt.back(), 9.0f);
}

TEST(Lift, CarriesItsRiderOnItsTopEdgeEveryStep) {
    Lift lift;
    loadThreeStops(lift, 1);
    Rider rider(11.0f, 1.0f);
    ASSERT_TRUE(lift.interactDown(&rider));
    lift.update();
    EXPECT_EQ(lift.y, 15.0f + 10.0f * 0.016666668f);
    EXPECT_EQ(rider.y, lift.y - 1.0f);
    EXPECT_EQ(rider.x, 11.0f);
    EXPECT_TRUE(rider.finishedAt.empty());
}

TEST(Lift, RefusesWhileBusyAtTheEndStopsAndToAnyoneNotStrictlyInside) {
    Lift lift;
    loadThreeStops(lift, 1);
    Rider flushLeft(10.0f, 2.0f);
    Rider flushRight(11.0f, 2.0f);
    Rider inside(10.001f, 2.0f);
    EXPECT_FALSE(lift.interactUp(&flushLeft));
    EXPECT_FALSE(lift.interactDown(&flushRight));
    EXPECT_EQ(lift.motion, Lift::Idle);

    ASSERT_TRUE(lift.interactUp(&inside));
    Rider other(11.0f, 1.0f);
    EXPECT_FALSE(lift.interactDown(&other));
    stepsToArrive(lift);
    EXPECT_EQ(lift.targetIndex, 0);
    EXPECT_FALSE(lift.interactUp(&inside));

    Lift bottom;
    loadThreeStops(bottom, 2);
    EXPECT_FALSE(bottom.interactDown(&inside));

    Lift single;
    TokenList tokens = tokensOf("waypoint 10 5");
    single.load(tokens);
    EXPECT_FALSE(single.interactUp(&inside));
    EXPECT_FALSE(single.interactDown(&inside));
}

TEST(Lift, ResetStopsAtTheStartAndForgetsTheRiderUntold) {
    Lift lift;
    loadThreeStops(lift, 2);
    Rider rider(10.5f, 2.0f);
    ASSERT_TRUE(lift.interactUp(&rider));
    for (int i = 0; i < 20; ++i)
        lift.update();
    lift.reset();
    EXPECT_EQ(lift.y, 25.0f);
    EXPECT_EQ(lift.targetIndex, 2);
    EXPECT_EQ(lift.motion, Lift::Idle);
    EXPECT_EQ(lift.rider, nullptr);
    lift.update();
    EXPECT_TRUE(rider.finishedAt.empty());
}

TEST(Lift, ABadlyOrderedStopSnapsInOneStep) {
    // Up means the previous stop even when it lies lower down.
    Lift lift;
    TokenList tokens = tokensOf("waypoint 3 28 waypoint 3 10 startpoint 1");
    lift.load(tokens);
    Rider rider(4.0f, 1.0f);
    ASSERT_TRUE(lift.interactUp(&rider));
    EXPECT_EQ(stepsToArrive(lift), 1);
    EXPECT_EQ(lift.y, 28.0f);
}

// The player holding Up on the bottom stop of a lift in a room being played.
class LiftRide : public WorldFixture {};

TEST_F(LiftRide, HoldingUpRidesStopToStopAndBoardsAgainInTheArrivalStep) {
    writeRoom(1, "lift waypoint 10 5 waypoint 10 15 waypoint 10 25 startpoint 2\n"
                 "entrypoint position 10.5 24 side left\n");
    load();
    Lift& lift = object<Lift>(0);
    Player& p = player();
    p.handleKey(KeyCodeUp, 1);

    ASSERT_TRUE(steps(1));
    EXPECT_EQ(p.state, RideLift);
    EXPECT_EQ(lift.rider, &p);
    EXPECT_EQ(lift.y, 25.0f);

    ASSERT_TRUE(steps(60));
    EXPECT_EQ(lift.motion, Lift::MovingUp);
    EXPECT_GT(lift.y, 15.0f);
    // Arrival: released on the top edge, and at once carried on towards y 5.
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(lift.y, 15.0f);
    EXPECT_EQ(p.y, 14.0f);
    EXPECT_EQ(p.state, RideLift);
    EXPECT_EQ(lift.rider, &p);
    EXPECT_EQ(lift.targetIndex, 0);
    EXPECT_EQ(lift.motion, Lift::MovingUp);

    // From 15 the steps of 1/6 land on 5 one step sooner.
    ASSERT_TRUE(steps(59));
    EXPECT_EQ(lift.motion, Lift::MovingUp);
    ASSERT_TRUE(steps(1));
    EXPECT_EQ(lift.y, 5.0f);
    EXPECT_EQ(p.y, 4.0f);
    EXPECT_EQ(p.state, Ground);
    EXPECT_EQ(lift.rider, nullptr);
}

} // namespace
