#include "world/StillLayer.h"

#include "graphics/Graphics.h"
#include "world/GameObject.h"
#include "world/ObjectRef.h"

void StillLayer::forget() {
    valid = false;
    live.clear();
}

void StillLayer::drawPass(const std::vector<ObjectRef>& objects, std::uint32_t background) {
    DrawingDevice* device = theGraphics.device.get();
    if (device == nullptr) {
        for (const ObjectRef& object : objects) {
            if (object->drawLayer == 0)
                object->draw();
        }
        return;
    }
    FrameBuffer& frame = device->frame();
    if (!valid || background != keptBackground || !frame.copyFrom(kept))
        keep(objects, background);
    for (GameObject* object : live)
        object->draw();
}

void StillLayer::keep(const std::vector<ObjectRef>& objects, std::uint32_t background) {
    DrawingDevice& device = *theGraphics.device;
    device.clear(background);
    live.clear();
    // What the live objects before the next one can reach; made again only with the layer.
    std::vector<PixelRect> reached;
    bool reachedAnywhere = false;
    for (const ObjectRef& object : objects) {
        if (object->drawLayer != 0)
            continue;
        const DrawReach reach = object->drawReach();
        if (reach.kind == DrawReach::Nowhere)
            continue;
        bool free = reach.kind == DrawReach::Still && !reachedAnywhere;
        for (const PixelRect& box : reached) {
            if (!free)
                break;
            free = !rectsMeet(box, reach.box);
        }
        if (free) {
            object->draw();
            continue;
        }
        live.push_back(object.get());
        reached.push_back(reach.box);
        reachedAnywhere = reachedAnywhere || reach.kind == DrawReach::Anywhere;
    }
    valid = kept.resize(device.backBufferWidth(), device.backBufferHeight()) && kept.copyFrom(device.frame());
    keptBackground = background;
}
