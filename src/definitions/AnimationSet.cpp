#include "definitions/AnimationSet.h"

#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"

bool AnimationSet::load(const std::string& fileName, DefinitionObserver* observer) {
    DefinitionFile file;
    file.observer = observer;
    if (!file.open(fileName))
        return false;
    TokenList tokens;
    tokens.observer = observer;
    while (!file.atEnd()) {
        file.readLine(tokens);
        handleLine(tokens);
    }
    return true;
}

void AnimationSet::handleLine(TokenList& tokens) {
    if (tokens.empty())
        return;
    DefinitionObserver* const observer = tokens.observer;
    if (tokens.front() != "set") {
        if (observer != nullptr)
            observer->unknownType(tokens.front());
        return;
    }
    tokens.popFront();
    if (!tokens.hasValues("set", 2))
        return;
    std::string name = tokens.takeWord();
    Animation animation;
    animation.ticksPerFrame = tokens.takeInt();
    while (!tokens.empty()) {
        if (observer != nullptr)
            observer->fileNamed("set", tokens.front());
        animation.frames.emplace_back();
        animation.frames.back().loadTexture(tokens.front());
        tokens.popFront();
    }
    const std::size_t frames = animation.frames.size();
    // A later definition of a known name is dropped; its images stay in the cache.
    const bool added = names.try_emplace(name, animations.size()).second;
    if (added)
        animations.push_back(std::move(animation));
    if (observer != nullptr)
        observer->animationRead(name, frames, !added);
}

void AnimationSet::play(std::string_view name) {
    auto found = names.find(name);
    if (found == names.end())
        return;
    current = static_cast<std::int32_t>(found->second);
    tick = 0;
    currentFrame = 0;
}

const Animation* AnimationSet::playing() const {
    return current >= 0 ? &animations[static_cast<std::size_t>(current)] : nullptr;
}

std::string_view AnimationSet::playingName() const {
    for (const auto& [name, index] : names) {
        if (static_cast<std::int32_t>(index) == current)
            return name;
    }
    return {};
}

AnimationPlayback AnimationSet::playback() const {
    AnimationPlayback state;
    state.current = current;
    state.tick = tick;
    state.frame = static_cast<std::uint32_t>(currentFrame);
    state.finished = finished ? 1 : 0;
    return state;
}

void AnimationSet::setPlayback(const AnimationPlayback& state) {
    // An index this set does not have leaves nothing playing rather than a bad reference.
    const bool known = state.current >= 0 && static_cast<std::size_t>(state.current) < animations.size();
    current = known ? state.current : -1;
    tick = state.tick;
    currentFrame = state.frame;
    finished = state.finished != 0;
}

void AnimationSet::advance() {
    const Animation* const playingNow = playing();
    if (playingNow == nullptr)
        return;
    tick = tick + 1;
    if (tick < playingNow->ticksPerFrame) {
        finished = false;
        return;
    }
    tick = 0;
    currentFrame = currentFrame + 1;
    // An animation without images still keeps time as if it had one frame, so that a jump
    // or a turn waiting for its wrap still ends.
    const std::size_t count = playingNow->frames.empty() ? 1 : playingNow->frames.size();
    if (currentFrame >= count) {
        currentFrame = 0;
        finished = true;
        return;
    }
    finished = false;
}

void AnimationSet::draw(float x, float y, float w, float h, int layer) const {
    const Animation* const playingNow = playing();
    // A frame put back from elsewhere that this animation lacks draws nothing.
    if (playingNow == nullptr || currentFrame >= playingNow->frames.size())
        return;
    playingNow->frames[currentFrame].draw(x, y, w, h, 1.0f, 1.0f, layer);
}

double AnimationSet::length(std::string_view name) const {
    auto found = names.find(name);
    if (found == names.end())
        return -1.0;
    const Animation& a = animations[found->second];
    const std::uint32_t ticks =
        static_cast<std::uint32_t>(a.ticksPerFrame) * static_cast<std::uint32_t>(a.frames.size());
    return static_cast<double>(ticks) * static_cast<double>(FixedStep);
}
