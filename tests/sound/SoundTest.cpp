#include "sound/Sound.h"
#include "sound/RecordingSoundSink.h"

#include <gtest/gtest.h>

namespace {

using Request = RecordingSoundSink::Request;

TEST(Sound, RequestsReachTheCurrentSinkInOrderAndNestedSinksPutBackTheOneBefore) {
    RecordingSoundSink outer;
    RecordingSoundSink inner;
    {
        ScopedSoundSink installOuter(outer);
        {
            ScopedSoundSink installInner(inner);
            playSound("res/sound/laser.wav");
            playSound("res/sound/laser.wav");
            stopAllSounds();
            playSound("res/sound/die2.wav");
        }
        playSound("a.wav");
    }
    playSound("res/sound/die3.wav"); // after the scopes: nobody listens
    const std::vector<Request> expected{
        {Request::Kind::Play, "res/sound/laser.wav"},
        {Request::Kind::Play, "res/sound/laser.wav"},
        {Request::Kind::StopAll, ""},
        {Request::Kind::Play, "res/sound/die2.wav"},
    };
    EXPECT_EQ(inner.requests(), expected);
    EXPECT_EQ(outer.requests(), (std::vector<Request>{{Request::Kind::Play, "a.wav"}}));
    EXPECT_EQ(soundGlobals.soundPerformance, nullptr);
}

} // namespace
