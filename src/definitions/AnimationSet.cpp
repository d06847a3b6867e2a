#include "definitions/AnimationSet.h"

#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"

namespace {

AnimationSetFiles* activeFiles = nullptr;

// Reads one set file's lines into `contents`; a later definition of a name already read
// is dropped (its images stay in the cache).
void readLine(TokenList& tokens, AnimationSetContents& contents) {
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
    const bool added = contents.names.try_emplace(name, contents.animations.size()).second;
    if (added) {
        contents.animations.push_back(std::move(animation));
        contents.order.push_back(name);
    }
    if (observer != nullptr)
        observer->animationRead(name, frames, !added);
}

std::shared_ptr<const AnimationSetContents> readFile(const std::string& fileName,
                                                     DefinitionObserver* observer) {
    DefinitionFile file;
    file.observer = observer;
    if (!file.open(fileName))
        return nullptr;
    auto contents = std::make_shared<AnimationSetContents>();
    TokenList tokens;
    tokens.observer = observer;
    while (!file.atEnd()) {
        file.readLine(tokens);
        readLine(tokens, *contents);
    }
    return contents;
}

} // namespace

AnimationSetFiles::AnimationSetFiles() : previous(activeFiles) {
    activeFiles = this;
}

AnimationSetFiles::~AnimationSetFiles() {
    activeFiles = previous;
}

AnimationSetFiles* AnimationSetFiles::active() {
    return activeFiles;
}

bool AnimationSet::load(const std::string& fileName, DefinitionObserver* observer) {
    AnimationSetFiles* const files = observer == nullptr ? activeFiles : nullptr;
    std::shared_ptr<const AnimationSetContents> contents;
    if (files != nullptr) {
        auto found = files->files.find(fileName);
        if (found == files->files.end()) {
            files->opened = files->opened + 1;
            found = files->files.emplace(fileName, readFile(fileName, nullptr)).first;
        }
        contents = found->second;
    } else {
        contents = readFile(fileName, observer);
    }
    if (!contents)
        return false;
    add(contents);
    return true;
}

void AnimationSet::add(const std::shared_ptr<const AnimationSetContents>& more) {
    if (!shared) {
        shared = more;
        return;
    }
    auto merged = std::make_shared<AnimationSetContents>(*shared);
    for (std::size_t i = 0; i < more->animations.size(); i++) {
        const std::string& name = more->order[i];
        if (merged->names.try_emplace(name, merged->animations.size()).second) {
            merged->animations.push_back(more->animations[i]);
            merged->order.push_back(name);
        }
    }
    shared = std::move(merged);
}

bool AnimationSet::defines(std::string_view name) const {
    return shared && shared->names.find(name) != shared->names.end();
}

void AnimationSet::play(std::string_view name) {
    if (!shared)
        return;
    auto found = shared->names.find(name);
    if (found == shared->names.end())
        return;
    current = static_cast<std::int32_t>(found->second);
    tick = 0;
    currentFrame = 0;
}

const Animation* AnimationSet::playing() const {
    return current >= 0 && shared ? &shared->animations[static_cast<std::size_t>(current)] : nullptr;
}

std::string_view AnimationSet::playingName() const {
    if (current < 0 || !shared)
        return {};
    return shared->order[static_cast<std::size_t>(current)];
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
    const bool known =
        state.current >= 0 && shared && static_cast<std::size_t>(state.current) < shared->animations.size();
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
    if (!shared)
        return -1.0;
    auto found = shared->names.find(name);
    if (found == shared->names.end())
        return -1.0;
    const Animation& a = shared->animations[found->second];
    const std::uint32_t ticks =
        static_cast<std::uint32_t>(a.ticksPerFrame) * static_cast<std::uint32_t>(a.frames.size());
    return static_cast<double>(ticks) * static_cast<double>(FixedStep);
}
