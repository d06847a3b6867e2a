#include "input/Keyboard.h"
#include "input/KeyCodes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what reaches the key commands and what reaches only the player, in one list,
// so that tests see the order between the two.
class KeyRecorder : public KeyReceiver {
  public:
    struct Delivery {
        bool dispatched; // false: player-only release
        int code;
        int pressed;
        bool operator==(const Delivery&) const = default;
    };
    std::vector<Delivery> deliveries;

    void dispatchKey(int code, int pressed) override { deliveries.push_back({true, code, pressed}); }
    void releaseHeldKey(int code) override { deliveries.push_back({false, code, 0}); }

    std::vector<Delivery> take() {
        std::vector<Delivery> taken;
        taken.swap(deliveries);
        return taken;
    }
};

using Delivery = KeyRecorder::Delivery;

Delivery dispatched(int code, int pressed) {
    return {true, code, pressed};
}
Delivery releasedForPlayer(int code) {
    return {false, code, 0};
}

class Keyboard : public ::testing::Test {
  protected:
    InputState input;
    KeyRecorder recorder;
    void SetUp() override { initInput(input); }
};

TEST_F(Keyboard, DeliversEveryBufferedEventInOrderToTheFirstPollOnly) {
    queueKeyEvent(input, KeyCodeRight, 1);
    queueKeyEvent(input, KeyCodeSpace, 1);
    queueKeyEvent(input, KeyCodeRight, 0);
    queueKeyEvent(input, 0x1E, 1);  // a key without a command still goes through
    setKeyboardActive(input, true); // already active: the buffer stays

    pollInput(input, recorder); // first step of a catch-up
    EXPECT_EQ(recorder.take(),
              (std::vector<Delivery>{dispatched(KeyCodeRight, 1), dispatched(KeyCodeSpace, 1),
                                     dispatched(KeyCodeRight, 0), dispatched(0x1E, 1)}));

    pollInput(input, recorder); // the next step of the same pass
    EXPECT_TRUE(recorder.take().empty());

    // More than a burst of typing in one poll: all of it arrives, in order.
    std::vector<Delivery> expected;
    for (int i = 0; i < 300; ++i) {
        const int code = i % 2 == 0 ? KeyCodeLeft : KeyCodeUp;
        const int pressed = (i / 2) % 2 == 0 ? 1 : 0;
        queueKeyEvent(input, code, pressed);
        expected.push_back(dispatched(code, pressed));
    }
    pollInput(input, recorder);
    EXPECT_EQ(recorder.take(), expected);
}

TEST_F(Keyboard, KeysHeldAcrossFocusLossAreReleasedForThePlayerOnlyAndEventsWhileAwayAreDropped) {
    queueKeyEvent(input, KeyCodeRight, 1);
    queueKeyEvent(input, KeyCodeEscape, 1);
    queueKeyEvent(input, KeyCodeF12, 1);
    queueKeyEvent(input, KeyCodeSpace, 1);
    queueKeyEvent(input, KeyCodeSpace, 0); // let go before focus left: owed nothing
    pollInput(input, recorder);
    recorder.take();

    // The releases SDL sends as the focus goes land in the buffer and are dropped with it, and
    // so is a press that was buffered, never delivered: no release is owed for it.
    queueKeyEvent(input, KeyCodeRight, 0);
    queueKeyEvent(input, KeyCodeEscape, 0);
    queueKeyEvent(input, KeyCodeLeft, 1);
    setKeyboardActive(input, false);
    queueKeyEvent(input, KeyCodeUp, 1);
    pollInput(input, recorder); // nothing, even if someone polls while inactive
    EXPECT_TRUE(recorder.take().empty());

    setKeyboardActive(input, true);
    queueKeyEvent(input, KeyCodeDown, 1); // new events come after the owed releases
    pollInput(input, recorder);
    EXPECT_EQ(recorder.take(),
              (std::vector<Delivery>{releasedForPlayer(KeyCodeEscape), releasedForPlayer(KeyCodeF12),
                                     releasedForPlayer(KeyCodeRight), dispatched(KeyCodeDown, 1)}));

    // Owed once only.
    pollInput(input, recorder);
    EXPECT_TRUE(recorder.take().empty());
}

TEST_F(Keyboard, StartingAgainForgetsWhatWasHeldAndWhatWasOwed) {
    queueKeyEvent(input, KeyCodeRight, 1);
    pollInput(input, recorder);
    setKeyboardActive(input, false); // Right is owed its release
    initInput(input);
    queueKeyEvent(input, KeyCodeUp, 1);
    pollInput(input, recorder);
    initInput(input); // Up was held
    queueKeyEvent(input, KeyCodeLeft, 1);
    pollInput(input, recorder);
    setKeyboardActive(input, false);
    setKeyboardActive(input, true);
    recorder.take();
    pollInput(input, recorder);
    EXPECT_EQ(recorder.take(), std::vector<Delivery>{releasedForPlayer(KeyCodeLeft)});
}

// A command that takes the focus away in the middle of a batch (a display change)
// drops the rest of the batch, and the keys already pressed are owed their release.
class DeactivatingRecorder : public KeyRecorder {
  public:
    InputState* input = nullptr;
    void dispatchKey(int code, int pressed) override {
        KeyRecorder::dispatchKey(code, pressed);
        if (code == KeyCodeF12 && pressed == 0)
            setKeyboardActive(*input, false);
    }
};

TEST_F(Keyboard, FocusLostDuringABatchDropsTheRestOfIt) {
    DeactivatingRecorder deactivating;
    deactivating.input = &input;
    queueKeyEvent(input, KeyCodeUp, 1);
    queueKeyEvent(input, KeyCodeF12, 0);
    queueKeyEvent(input, KeyCodeLeft, 1);
    pollInput(input, deactivating);
    EXPECT_EQ(deactivating.take(),
              (std::vector<Delivery>{dispatched(KeyCodeUp, 1), dispatched(KeyCodeF12, 0)}));
    setKeyboardActive(input, true);
    pollInput(input, deactivating);
    EXPECT_EQ(deactivating.take(), (std::vector<Delivery>{releasedForPlayer(KeyCodeUp)}));
}

TEST(KeyboardBeforeCreation, DoesNothingAndDeliversNothing) {
    InputState input;
    KeyRecorder recorder;
    setKeyboardActive(input, false);
    setKeyboardActive(input, true);
    queueKeyEvent(input, KeyCodeRight, 1);
    pollInput(input, recorder);
    EXPECT_TRUE(recorder.deliveries.empty());
    EXPECT_FALSE(input.acquired);
}

TEST_F(Keyboard, CodesOutsideTheKeyRangeAreDropped) {
    queueKeyEvent(input, -1, 1);
    queueKeyEvent(input, KeyCodeCount, 1);
    queueKeyEvent(input, KeyCodeCount - 1, 1);
    queueKeyEvent(input, 0, 1);
    pollInput(input, recorder);
    EXPECT_EQ(recorder.take(), (std::vector<Delivery>{dispatched(KeyCodeCount - 1, 1), dispatched(0, 1)}));
}

} // namespace
