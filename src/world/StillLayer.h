#pragma once
#include "graphics/FrameBuffer.h"

#include <cstdint>
#include <vector>

class GameObject;
class ObjectRef;

// The first drawing pass of a room, with what never moves drawn once per room and size and
// kept: a frame starts from the kept copy and draws only the rest of the pass, in list order.
// An object that never moves is kept only when nothing drawn live before it in the pass can
// reach its pixels, so every pixel is the one the whole pass would draw; where a lift comes
// before a platform it overlaps, that platform and whatever overlaps it later are drawn live.
class StillLayer {
  public:
    // The room's objects changed: the next frame draws the layer again.
    void forget();
    // The background, then every object of drawLayer 0 of `objects` as the pass draws them.
    void drawPass(const std::vector<ObjectRef>& objects, std::uint32_t background);

    // Objects drawn every frame; the rest come from the kept copy. For the room author's check.
    const std::vector<GameObject*>& liveObjects() const { return live; }

  private:
    void keep(const std::vector<ObjectRef>& objects, std::uint32_t background);

    FrameBuffer kept;
    bool valid = false;
    std::uint32_t keptBackground = 0;
    // Valid while the room holds its objects; `forget` runs whenever they change.
    std::vector<GameObject*> live;
};
