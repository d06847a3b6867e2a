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
    std::size_t currentFrame = 0;
    std::int32_t ticksPerFrame = 0;
};

// Named animations read from animation-set files, one of them playing at a time.
// Every animation loops; `finished` is true just after the step in which the playing
// one wrapped from its last frame to its first, so an owner can end a jump or a turn.
class AnimationSet {
  public:
    AnimationSet() = default;
    // `current` points into this set's own map: copies would share it.
    AnimationSet(const AnimationSet&) = delete;
    AnimationSet& operator=(const AnimationSet&) = delete;
    AnimationSet(AnimationSet&&) = default;
    AnimationSet& operator=(AnimationSet&&) = default;

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
    const Animation* playing() const { return current; }
    bool defines(std::string_view name) const { return animations.find(name) != animations.end(); }
    // For tools and tests: the name of the animation playing now; "" before the first play.
    std::string_view playingName() const;

  private:
    void handleLine(TokenList& tokens);

    // Entries are never removed, so `current` stays valid as more files are loaded.
    std::map<std::string, Animation, std::less<>> animations;
    Animation* current = nullptr;
    std::int32_t tick = 0;
};
