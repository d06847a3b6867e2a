#include "app/FrameLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

// A counter in microseconds that the scripted message source moves at each pass.
class FakeTicks : public TickSource {
  public:
    std::int64_t now = 5'000'000;
    std::int64_t frequency() override { return 1'000'000; }
    std::int64_t counter() override { return now; }
};

// Each pass takes one scripted entry: how far the clock moves before the pass reads it,
// and the message the pass finds. When the script runs out the window is closed.
struct Pass {
    std::int64_t advanceMicros = 0;
    WindowMessage message = WindowMessage::None;
};

class ScriptedMessages : public MessageSource {
  public:
    explicit ScriptedMessages(FakeTicks& ticks) : ticks(ticks) {}
    std::deque<Pass> script;
    int passes = 0;
    int waits = 0;

    WindowMessage takeMessage() override {
        ++passes;
        if (script.empty())
            return WindowMessage::Close;
        Pass p = script.front();
        script.pop_front();
        ticks.now += p.advanceMicros;
        return p.message;
    }
    void waitWhileInactive() override { ++waits; }

  private:
    FakeTicks& ticks;
};

class RecordingHooks : public FrameHooks {
  public:
    std::vector<std::string> log;
    std::function<int(int)> onUpdate = [](int) { return 0; };
    int updates = 0;

    void pollInput() override { log.push_back("poll"); }
    int updateWorld() override {
        log.push_back("step");
        return onUpdate(++updates);
    }
    void beginFrame() override { log.push_back("begin"); }
    void renderWorld() override { log.push_back("render"); }
    void endFrame() override { log.push_back("frame"); }
    void setKeyboardActive(bool active) override { log.push_back(active ? "keys-on" : "keys-off"); }
    void stopAllSounds() override { log.push_back("silence"); }

    int count(const std::string& what) const {
        int n = 0;
        for (const auto& e : log)
            n += e == what;
        return n;
    }
    // Steps run between the previous frame and the end of frame number `frame` (0-based).
    std::vector<int> stepsPerFrame() const {
        std::vector<int> out;
        int steps = 0;
        for (const auto& e : log) {
            if (e == "step")
                ++steps;
            if (e == "frame") {
                out.push_back(steps);
                steps = 0;
            }
        }
        return out;
    }
};

struct LoopFixture : ::testing::Test {
    FakeTicks ticks;
    ScriptedMessages messages{ticks};
    RecordingHooks hooks;
    Engine engine;

    void SetUp() override { engine.clock.ticks = &ticks; }
    void passes(int n, std::int64_t micros, WindowMessage m = WindowMessage::None) {
        for (int i = 0; i < n; ++i)
            messages.script.push_back({micros, m});
    }
    void run() { runFrameLoop(engine, messages, hooks); }
};

TEST_F(LoopFixture, FastFramesStepRoughlyEverySecondPass) {
    passes(1, 0);
    passes(240, 8'333); // 120 frames per second for two seconds
    run();
    auto perFrame = hooks.stepsPerFrame();
    ASSERT_EQ(perFrame.size(), 241u);
    for (int s : perFrame)
        EXPECT_LE(s, 1);
    // The clock reads 1999 whole milliseconds after 240 passes: 119 steps.
    EXPECT_EQ(hooks.count("step"), 119);
}

TEST_F(LoopFixture, SlowFramesStepTwicePerPass) {
    passes(1, 0);
    passes(60, 33'333); // 30 frames per second for two seconds
    run();
    auto perFrame = hooks.stepsPerFrame();
    EXPECT_EQ(perFrame[0], 0);
    int twos = 0;
    for (size_t i = 1; i < perFrame.size(); ++i) {
        EXPECT_GE(perFrame[i], 1) << "pass " << i;
        EXPECT_LE(perFrame[i], 3) << "pass " << i;
        twos += perFrame[i] == 2;
    }
    EXPECT_GT(twos, 50);
    EXPECT_EQ(hooks.count("step"), 119); // 1999 ms
}

TEST_F(LoopFixture, StallIsCaughtUpWithEveryStepPollingItsOwnInput) {
    passes(1, 0);
    passes(1, 2'000'000);
    run();
    ASSERT_EQ(hooks.stepsPerFrame(), (std::vector<int>{0, 120}));
    // Each step is preceded by its own poll.
    for (size_t i = 0; i < hooks.log.size(); ++i) {
        if (hooks.log[i] == "step") {
            EXPECT_EQ(hooks.log[i - 1], "poll");
        }
    }
}

TEST_F(LoopFixture, InactiveTimeIsNeverCaughtUp) {
    passes(1, 0);
    passes(1, 100'000, WindowMessage::Deactivate);
    passes(50, 100'000); // five seconds away
    passes(1, 50'000, WindowMessage::Activate);
    run();
    EXPECT_EQ(hooks.count("keys-off"), 1);
    EXPECT_EQ(hooks.count("silence"), 1);
    EXPECT_EQ(hooks.count("keys-on"), 1);
    EXPECT_EQ(messages.waits, 51);
    // Nothing stepped or drawn while inactive; on return only the 50 ms since the previous
    // pass counts: three steps.
    EXPECT_EQ(hooks.stepsPerFrame(), (std::vector<int>{0, 3}));
}

TEST_F(LoopFixture, QuitFromTheWorldStopsTheCatchUpAndDrawsOneMoreFrame) {
    hooks.onUpdate = [](int n) { return n == 5 ? 1 : 0; };
    passes(1, 0);
    passes(1, 2'000'000);
    passes(10, 16'000); // never reached
    run();
    EXPECT_EQ(hooks.count("step"), 5);
    EXPECT_EQ(hooks.stepsPerFrame(), (std::vector<int>{0, 5}));
    EXPECT_EQ(hooks.log.back(), "frame");
    EXPECT_EQ(messages.passes, 2);
}

// The first pass draws a frame without a step; a close ends the loop before another.
TEST_F(LoopFixture, CloseEndsTheLoopWithoutAnotherStepOrFrame) {
    passes(1, 0);
    passes(1, 1'000'000, WindowMessage::Close);
    run();
    EXPECT_EQ(hooks.log, (std::vector<std::string>{"begin", "render", "frame"}));
    EXPECT_TRUE(engine.quitLoop);
}

TEST_F(LoopFixture, AQuitRequestedBeforeTheLoopReturnsAtOnce) {
    engine.quitLoop = true;
    passes(3, 16'000);
    run();
    EXPECT_TRUE(hooks.log.empty());
    EXPECT_EQ(messages.passes, 0);
}

TEST_F(LoopFixture, OneMessagePerPassInterleavedWithFrames) {
    passes(1, 0);
    passes(1, 20'000, WindowMessage::Deactivate);
    passes(1, 20'000, WindowMessage::Activate);
    passes(1, 20'000, WindowMessage::Deactivate);
    passes(1, 20'000, WindowMessage::Activate);
    passes(1, 20'000);
    run();
    EXPECT_EQ(hooks.count("frame"), 4); // first pass, two reactivations, the last pass
    EXPECT_EQ(hooks.count("keys-off"), 2);
    EXPECT_EQ(hooks.count("keys-on"), 2);
}

// Play that reaches `startSeconds` behind an inactive window (the game left in the
// background), comes back, then passes every `micros` for three minutes.
class LongRun : public MessageSource, public FrameHooks {
  public:
    LongRun(std::int64_t startSeconds, std::int64_t micros)
        : start(startSeconds * 1'000'000), micros(micros) {
        engine.clock.ticks = &ticks;
        ticks.now = 0;
    }
    Engine engine;
    FakeTicks ticks;
    std::vector<int> stepsPerMinute = std::vector<int>(3, 0);
    int mostStepsInAPass = 0;

    void run() { runFrameLoop(engine, *this, *this); }

    WindowMessage takeMessage() override {
        mostStepsInAPass = std::max(mostStepsInAPass, stepsThisPass);
        stepsThisPass = 0;
        if (passes++ == 0)
            return WindowMessage::Deactivate;
        if (ticks.now < start) {
            ticks.now = std::min(start, ticks.now + 1'000'000'000);
            return WindowMessage::None;
        }
        ticks.now += micros;
        if (passes == 2 || ticks.now == start + micros)
            return WindowMessage::Activate;
        return ticks.now - start > 180'000'000 ? WindowMessage::Close : WindowMessage::None;
    }
    void waitWhileInactive() override {}
    void pollInput() override {}
    int updateWorld() override {
        ++stepsThisPass;
        ++stepsPerMinute[static_cast<size_t>((ticks.now - start - 1) / 60'000'000)];
        return 0;
    }
    void beginFrame() override {}
    void renderWorld() override {}
    void endFrame() override {}
    void setKeyboardActive(bool) override {}
    void stopAllSounds() override {}

  private:
    std::int64_t start;
    std::int64_t micros;
    int passes = 0;
    int stepsThisPass = 0;
};

// The loop's float times lose precision as the clock runs; the game must keep its pace
// after hours and days as in its first minutes.
TEST(LongPlay, KeepsSixtyStepsASecondAfterHoursAndDays) {
    const std::int64_t hour = 3600;
    const std::int64_t starts[] = {0, 5 * hour, 24 * hour, 240 * hour, 4800 * hour};
    const std::int64_t intervals[] = {100, 330, 1'000, 16'700};
    for (std::int64_t startSeconds : starts) {
        for (std::int64_t micros : intervals) {
            LongRun play(startSeconds, micros);
            play.run();
            const std::string where =
                "from " + std::to_string(startSeconds) + " s, passes every " + std::to_string(micros) + " us";
            for (int steps : play.stepsPerMinute) {
                EXPECT_GE(steps, 3599) << where;
                EXPECT_LE(steps, 3601) << where;
            }
            EXPECT_LE(play.mostStepsInAPass, micros <= 1'000 ? 1 : 2) << where;
            // The times stay as fine as in the first half hour.
            EXPECT_LT(play.engine.curTime, ClockShiftAt) << where;
        }
    }
}

// A browser calls one pass per animation frame: called one by one the passes are the loop, and
// only the pass that ends it (here a quit from the world, its last frame drawn) returns false.
TEST_F(LoopFixture, PassesCalledOneByOneAreTheLoop) {
    const auto script = [](ScriptedMessages& m, RecordingHooks& h) {
        m.script = {{0},
                    {20'000},
                    {20'000},
                    {20'000},
                    {500'000, WindowMessage::Deactivate},
                    {500'000},
                    {500'000},
                    {16'000, WindowMessage::Activate},
                    {40'000},
                    {40'000},
                    {40'000},
                    {40'000}};
        h.onUpdate = [](int n) { return n == 6 ? 1 : 0; };
    };
    script(messages, hooks);
    run();

    FakeTicks browserTicks;
    ScriptedMessages browserMessages{browserTicks};
    RecordingHooks browserHooks;
    Engine browser;
    browser.clock.ticks = &browserTicks;
    script(browserMessages, browserHooks);
    int continued = 0;
    while (runFramePass(browser, browserMessages, browserHooks))
        ++continued;
    EXPECT_EQ(browserHooks.log, hooks.log);
    EXPECT_EQ(browserMessages.waits, 3);
    EXPECT_EQ(messages.waits, 3);
    EXPECT_EQ(browserMessages.passes, messages.passes);
    EXPECT_EQ(continued, messages.passes - 1);
    EXPECT_EQ(hooks.log.back(), "frame");
    EXPECT_FALSE(browserMessages.script.empty());
}

} // namespace
