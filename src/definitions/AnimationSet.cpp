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
    const bool added = animations.try_emplace(name, std::move(animation)).second;
    if (observer != nullptr)
        observer->animationRead(name, frames, !added);
}

void AnimationSet::play(std::string_view name) {
    auto found = animations.find(name);
    if (found == animations.end())
        return;
    current = &found->second;
    tick = 0;
    current->currentFrame = 0;
}

std::string_view AnimationSet::playingName() const {
    for (const auto& [name, animation] : animations) {
        if (&animation == current)
            return name;
    }
    return {};
}

void AnimationSet::advance() {
    if (current == nullptr)
        return;
    tick = tick + 1;
    if (tick < current->ticksPerFrame) {
        finished = false;
        return;
    }
    tick = 0;
    current->currentFrame = current->currentFrame + 1;
    // An animation without images still keeps time as if it had one frame, so that a jump
    // or a turn waiting for its wrap still ends.
    const std::size_t count = current->frames.empty() ? 1 : current->frames.size();
    if (current->currentFrame >= count) {
        current->currentFrame = 0;
        finished = true;
        return;
    }
    finished = false;
}

void AnimationSet::draw(float x, float y, float w, float h, int layer) const {
    if (current == nullptr || current->frames.empty())
        return;
    current->frames[current->currentFrame].draw(x, y, w, h, 1.0f, 1.0f, layer);
}

double AnimationSet::length(std::string_view name) const {
    auto found = animations.find(name);
    if (found == animations.end())
        return -1.0;
    const Animation& a = found->second;
    const std::uint32_t ticks =
        static_cast<std::uint32_t>(a.ticksPerFrame) * static_cast<std::uint32_t>(a.frames.size());
    return static_cast<double>(ticks) * static_cast<double>(FixedStep);
}
