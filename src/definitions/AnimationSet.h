#pragma once
#include "graphics/Texture.h"

class DefinitionObserver;
class TokenList;

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One flip-book animation: whole images shown in turn, each for `ticksPerFrame` steps.
struct Animation {
    std::vector<TextureRef> frames;
    std::int32_t ticksPerFrame = 0;
};

// Where a set's playback stands: which animation plays (its place among the set's
// animations in the order they were read, -1 before the first play), the step within the
// frame, the frame, and the `finished` pulse. Everything `advance` and `draw` read, as
// plain numbers, so it can be saved and put back.
struct AnimationPlayback {
    std::int32_t current = -1;
    std::int32_t tick = 0;
    std::uint32_t frame = 0;
    std::uint32_t finished = 0;
    bool operator==(const AnimationPlayback&) const = default;
};

// Named animations read from animation-set files, one of them playing at a time.
// Every animation loops; `finished` is true just after the step in which the playing
// one wrapped from its last frame to its first, so an owner can end a jump or a turn.
class AnimationSet {
  public:
    // Adds the animations of one set file. A name already defined keeps its first
    // definition; a file that cannot be opened changes nothing (and gives false).
    // `observer` hears about the file's lines; the game passes none.
    bool load(const std::string& fileName, DefinitionObserver* observer = nullptr);
    // Starts the named animation from its first frame (restarting it if it is already
    // playing). An unknown name leaves the current animation playing untouched.
    void play(std::string_view name);
    // One fixed step of playback.
    void advance();
    // The current frame stretched over the box (x left, y bottom, room units).
    void draw(float x, float y, float w, float h, int layer) const;
    // Seconds one cycle of the named animation lasts at 60 steps a second; -1 if unknown.
    double length(std::string_view name) const;

    bool finished = false;

    // For tools and tests: the animation playing now (none before the first play).
    const Animation* playing() const;
    // The frame of the animation playing now.
    std::size_t frame() const { return currentFrame; }
    bool defines(std::string_view name) const { return names.find(name) != names.end(); }
    // For tools and tests: the name of the animation playing now; "" before the first play.
    std::string_view playingName() const;

    AnimationPlayback playback() const;
    // Puts back a playback taken from this set (or from one read from the same files).
    void setPlayback(const AnimationPlayback& playback);

  private:
    void handleLine(TokenList& tokens);

    // In the order they were read; entries are never removed, so an index stays valid as
    // more files are loaded, and a copy of the set plays on its own.
    std::vector<Animation> animations;
    std::map<std::string, std::size_t, std::less<>> names;
    std::int32_t current = -1;
    std::int32_t tick = 0;
    std::size_t currentFrame = 0;
};
