#include "definitions/AnimationSet.h"
#include "graphics/SpriteRenderer.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// Set files in a scratch directory; the images they name need not exist (a missing
// image is an empty frame).
class SetFiles : public ::testing::Test {
  protected:
    TempDir dir;
    std::string write(const std::string& name, const std::string& text) { return dir.write(name, text); }
};

// The frame after each advance, a star where the advance finished the animation.
std::string trace(AnimationSet& set, const char* name, int advances) {
    set.play(name);
    std::string out;
    for (int i = 0; i < advances; ++i) {
        set.advance();
        out += (i == 0 ? "" : " ") + std::to_string(set.frame()) + (set.finished ? "*" : "");
    }
    return out;
}

TEST_F(SetFiles, FramesChangeAfterTheirTicksAndTheWrapFinishesTheAnimation) {
    const std::string file = write("a.set", "set Walk 2 a.png b.png c.png\nset Idle 4 a.png\n"
                                            "set Zero 0 a.png b.png\nset Word abc a.png b.png\n"
                                            "set Neg -3 a.png b.png\nset Empty 3\nset EmptyZero 0\n");
    const struct {
        const char* name;
        int advances;
        const char* frames;
    } cases[] = {
        {"Walk", 7, "0 1 1 2 2 0* 0"},
        {"Idle", 8, "0 0 0 0* 0 0 0 0*"},
        // Ticks of zero or no number change the frame every advance.
        {"Zero", 3, "1 0* 1"},
        {"Word", 2, "1 0*"},
        {"Neg", 2, "1 0*"},
        // Without images an animation still wraps, so that its owner can move on.
        {"Empty", 3, "0 0 0*"},
        {"EmptyZero", 1, "0*"},
    };
    for (const auto& c : cases) {
        AnimationSet set;
        set.load(file);
        EXPECT_EQ(trace(set, c.name, c.advances), c.frames) << c.name;
    }
}

TEST_F(SetFiles, NothingAdvancesBeforeAPlayAndAPlayHoldsTheFirstFrameButKeepsFinished) {
    AnimationSet set;
    set.load(write("a.set", "set Face 2 a.png b.png\nset One 1 a.png\nset Two 1 a.png b.png\n"));
    set.advance();
    EXPECT_EQ(set.playing(), nullptr);
    EXPECT_FALSE(set.finished);
    // Played every step, an animation never leaves its first frame.
    for (int i = 0; i < 10; ++i) {
        set.advance();
        set.play("Face");
        EXPECT_EQ(set.frame(), 0u);
        EXPECT_FALSE(set.finished);
    }
    set.play("One");
    set.advance();
    ASSERT_TRUE(set.finished);
    set.play("Two");
    EXPECT_TRUE(set.finished);
    set.advance();
    EXPECT_FALSE(set.finished);
}

TEST_F(SetFiles, UnknownNamesAndMissingFilesKeepThePlayingAnimationItsNameAndItsFrame) {
    AnimationSet set;
    set.load(write("a.set", "set Walk 1 a.png b.png c.png\nset Run 1 b.png\n"));
    EXPECT_EQ(set.playingName(), "");
    set.play("Run");
    EXPECT_EQ(set.playingName(), "Run");
    set.play("Walk");
    set.advance();
    for (const char* unknown : {"walk", "Nothing"}) {
        set.play(unknown);
        EXPECT_EQ(set.frame(), 1u) << unknown;
        EXPECT_EQ(set.playingName(), "Walk") << unknown;
    }
    set.load(dir.path("missing.set"));
    set.load(dir.path("")); // a directory
    EXPECT_EQ(set.frame(), 1u);
    EXPECT_TRUE(set.defines("Walk"));
}

TEST_F(SetFiles, LengthIsFramesTimesTicksAndTheFirstDefinitionWinsWithinAndAcrossFiles) {
    AnimationSet set;
    set.load(write("a.set", "set Walk 2 a.png\nset Walk 5 a.png b.png\nset Jump 6 a.png b.png c.png d.png\n"
                            "set Empty 3\n"));
    set.load(write("b.set", "set Walk 7 a.png b.png c.png\nset Run 3 a.png\n"));
    const double step = static_cast<double>(0.016666668f);
    EXPECT_EQ(set.length("Jump"), 24.0 * step);
    EXPECT_EQ(set.length("Walk"), 2.0 * step);
    EXPECT_EQ(set.length("Run"), 3.0 * step);
    EXPECT_EQ(set.length("Empty"), 0.0);
    EXPECT_EQ(set.length("Fall"), -1.0);
}

TEST_F(SetFiles, OnlyLinesStartingWithExactlySetDefineAnimations) {
    AnimationSet set;
    set.load(write("a.set", "Set A 1 a.png\nsets B 1 a.png\n\n   \nset C 1 a.png\nset D\nset\n"));
    EXPECT_FALSE(set.defines("A"));
    EXPECT_FALSE(set.defines("B"));
    EXPECT_TRUE(set.defines("C"));
    EXPECT_FALSE(set.defines("D"));
}

TEST_F(SetFiles, WhileFilesAreSharedEachFileIsReadOnceAndEverySetPlaysOnItsOwn) {
    const std::string walk = write("walk.set", "set Walk 1 a.png b.png c.png\n");
    const std::string run = write("run.set", "set Walk 9 a.png\nset Run 2 a.png\n");
    AnimationSet first;
    AnimationSet second;
    AnimationSet mixed;
    {
        AnimationSetFiles files;
        ASSERT_EQ(AnimationSetFiles::active(), &files);
        first.load(walk);
        // Read once: what the second set gets is what the first read, not the new text.
        write("walk.set", "set Other 1 a.png\n");
        second.load(walk);
        mixed.load(walk);
        mixed.load(run);
        EXPECT_FALSE(second.load(dir.path("missing.set")));
        EXPECT_FALSE(second.load(dir.path("missing.set")));
        EXPECT_EQ(files.filesRead(), 3u);
    }
    EXPECT_EQ(AnimationSetFiles::active(), nullptr);
    EXPECT_EQ(first.contents(), second.contents());
    EXPECT_TRUE(second.defines("Walk"));
    EXPECT_FALSE(second.defines("Other"));
    // A further file gives that set its own contents; the first definition still wins.
    EXPECT_NE(mixed.contents(), first.contents());
    EXPECT_EQ(mixed.length("Walk"), first.length("Walk"));
    EXPECT_TRUE(mixed.defines("Run"));
    EXPECT_FALSE(first.defines("Run"));

    first.play("Walk");
    second.play("Walk");
    first.advance();
    EXPECT_EQ(first.frame(), 1u);
    EXPECT_EQ(second.frame(), 0u);
    second.setPlayback(first.playback());
    EXPECT_EQ(second.playback(), first.playback());
    second.setPlayback({99, 0, 0, 0}); // an animation this set has not: nothing plays
    EXPECT_EQ(second.playback(), AnimationPlayback{});
    // A frame put back that the animation lacks draws nothing; its last one draws.
    std::vector<DrawnQuad> drawn;
    theSpriteRenderer = std::make_unique<SpriteRenderer>();
    theSpriteRenderer->quadLog = &drawn;
    for (const std::uint32_t frame : {3u, 2u}) {
        second.setPlayback({0, 0, frame, 0});
        second.draw(1, 2, 3, 4, 0);
    }
    theSpriteRenderer.reset();
    EXPECT_EQ(drawn.size(), 1u);

    // With no files shared, a set reads the file as it stands now.
    AnimationSet later;
    later.load(walk);
    EXPECT_TRUE(later.defines("Other"));
    EXPECT_NE(later.contents(), first.contents());
}

} // namespace
