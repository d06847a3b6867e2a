#include "sound/Sound.h"
#include "sound/RecordingSoundSink.h"

#include <gtest/gtest.h>

namespace {

using Request = RecordingSoundSink::Request;

TEST(Sound, RequestsReachTheCurrentSinkInOrder) {
    RecordingSoundSink recorder;
    {
        ScopedSoundSink installed(recorder);
        playSound("res/sound/laser.wav");
        playSound("res/sound/laser.wav");
        stopAllSounds();
        playSound("res/sound/die2.wav");
    }
    playSound("res/sound/die3.wav"); // after the scope: nobody listens
    const std::vector<Request> expected{
        {Request::Kind::Play, "res/sound/laser.wav"},
        {Request::Kind::Play, "res/sound/laser.wav"},
        {Request::Kind::StopAll, ""},
        {Request::Kind::Play, "res/sound/die2.wav"},
    };
    EXPECT_EQ(recorder.requests(), expected);
    EXPECT_EQ(soundGlobals.soundPerformance, nullptr);
}

TEST(Sound, NestedSinksPutBackTheOneBefore) {
    RecordingSoundSink outer;
    RecordingSoundSink inner;
    ScopedSoundSink installOuter(outer);
    {
        ScopedSoundSink installInner(inner);
        stopAllSounds();
    }
    playSound("a.wav");
    EXPECT_EQ(inner.requests().size(), 1u);
    ASSERT_EQ(outer.requests().size(), 1u);
    EXPECT_EQ(outer.requests()[0].fileName, "a.wav");
}

} // namespace
