#include "game/RoomMeasures.h"

#include "actors/Player.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "world/Room.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

double RoomMeasures::backgroundShare() const {
    return pixels == 0 ? 0.0 : static_cast<double>(backgroundPixels) / static_cast<double>(pixels);
}

std::string RoomMeasures::text() const {
    char share[32];
    std::snprintf(share, sizeof share, "background %.1f%%", backgroundShare() * 100.0);
    if (rows == 0)
        return std::string(share) + ", platform rows none";
    return std::string(share) + ", platform rows " + std::to_string(highestTop) + "-" +
           std::to_string(lowestTop) + " (" + std::to_string(rows) + ")";
}

RoomMeasures measureRoom(Room& room) {
    RoomMeasures measures;
    for (const ObjectRef& object : room.objects()) {
        if (object->kind() != ObjectKind::Platform)
            continue;
        // A top counts where the player standing on it is wholly inside the room: the ceiling's
        // top, at the room's edge, is no floor.
        const float top = object->y - object->h;
        if (top - PlayerHeight < 0.0f || top > RoomHeight)
            continue;
        const int row = static_cast<int>(std::floor(top));
        measures.highestTop = measures.rows == 0 ? row : std::min(measures.highestTop, row);
        measures.lowestTop = measures.rows == 0 ? row : std::max(measures.lowestTop, row);
        measures.rows = measures.lowestTop - measures.highestTop + 1;
    }

    DrawingDevice* device = theGraphics.device.get();
    if (device == nullptr)
        return measures;
    // Outside a loaded world (the check) the measure brings a renderer of its own.
    const bool ownRenderer = !theSpriteRenderer;
    if (ownRenderer) {
        setupSpriteShader();
        theSpriteRenderer = std::make_unique<SpriteRenderer>();
    }
    // The game's frame but for the actors' pass (drawLayer 1: robots, their beams, the player).
    beginFrame();
    setWorldCamera(*theSpriteRenderer);
    device->clear(BackgroundColour);
    for (const std::int32_t layer : {0, 2}) {
        for (const ObjectRef& object : room.objects()) {
            if (object->drawLayer == layer)
                object->draw();
        }
    }
    endFrame();
    if (ownRenderer) {
        theSpriteRenderer.reset();
        releaseSpriteShader();
    }
    const RgbaImage& image = device->frame().image();
    const std::uint8_t red = (BackgroundColour >> 16) & 0xFF;
    const std::uint8_t green = (BackgroundColour >> 8) & 0xFF;
    const std::uint8_t blue = BackgroundColour & 0xFF;
    measures.pixels = static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
    for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
        if (image.pixels[i] == red && image.pixels[i + 1] == green && image.pixels[i + 2] == blue)
            ++measures.backgroundPixels;
    }
    return measures;
}
