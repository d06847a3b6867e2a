#pragma once
#include "graphics/Texture.h"

class DefinitionObserver;
class TokenList;

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
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

// What one or more set files define, read once and shared by every set that names them:
// the animations in the order they were read, and each name's place among them.
struct AnimationSetContents {
    std::vector<Animation> animations;
    std::vector<std::string> order;
    std::map<std::string, std::size_t, std::less<>> names;
};

// The set files read while it is active (one room load): each distinct file is opened and
// parsed once, and the sets that name it share the result. Only one is active at a time;
// sets loaded with none active, or with an observer, read their file themselves.
class AnimationSetFiles {
  public:
    AnimationSetFiles();
    ~AnimationSetFiles();
    AnimationSetFiles(const AnimationSetFiles&) = delete;
    AnimationSetFiles& operator=(const AnimationSetFiles&) = delete;

    // The active one, or none.
    static AnimationSetFiles* active();
    // How many files were opened while this one was active.
    std::size_t filesRead() const { return opened; }

  private:
    friend class AnimationSet;
    AnimationSetFiles* previous = nullptr;
    // A file that could not be opened is remembered as empty.
    std::map<std::string, std::shared_ptr<const AnimationSetContents>, std::less<>> files;
    std::size_t opened = 0;
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
    bool defines(std::string_view name) const;
    // For tools and tests: the name of the animation playing now; "" before the first play.
    std::string_view playingName() const;

    AnimationPlayback playback() const;
    // Puts back a playback taken from this set (or from one read from the same files).
    void setPlayback(const AnimationPlayback& playback);

    // For tools and tests: the parsed contents, shared with the other sets that read the
    // same files during one room load (none before a file was read).
    const AnimationSetContents* contents() const { return shared.get(); }

  private:
    // Adds what `more` defines that this set does not, in its order.
    void add(const std::shared_ptr<const AnimationSetContents>& more);

    // Animations are only ever added, so an index stays valid as more files are loaded;
    // the contents are never changed once shared (a further file makes a new copy), so a
    // copy of the set plays on its own.
    std::shared_ptr<const AnimationSetContents> shared;
    std::int32_t current = -1;
    std::int32_t tick = 0;
    std::size_t currentFrame = 0;
};
