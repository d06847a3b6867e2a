#include "world/StillLayer.h"
#include "world/Lift.h"

#include "graphics/SpriteRenderer.h"
#include "platform/ImageFile.h"

#include "WorldFixture.h"

#include "support/Pixels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// A lift that travels from y 10 to y 25 at x 20 to 23, with platforms around it.
const char* const LiftRoom =
    // Before the lift in the file: drawn under it anyway, so kept.
    "platform start 18 12 end 24 12 texture res/textures/a.png tile res/textures/b.png\n"
    "lift waypoint 20 10 waypoint 20 25 startpoint 0 texture res/textures/c.png tile res/textures/d.png\n"
    // After the lift and in its way: drawn over it, so drawn every frame.
    "platform start 19 18 end 21 18 texture res/textures/b.png tile res/textures/a.png\n"
    // Clear of the lift but over the platform before it: drawn every frame too.
    "platform start 16 18 end 19 18 texture res/textures/d.png tile res/textures/c.png\n"
    // Far away: kept.
    "platform start 2 28 end 10 28 texture res/textures/a.png tile res/textures/d.png\n"
    "entrypoint position 30 5 side left\n";

class StillLayerTest : public WorldFixture {
  protected:
    void SetUp() override {
        drawHeadless(640, 480);
        // Each image has texels of its own, some half transparent, so that the order of
        // drawing shows in the pixels.
        const char* names[] = {"a", "b", "c", "d"};
        for (int n = 0; n < 4; ++n) {
            RgbaImage image;
            image.width = 5;
            image.height = 3;
            for (int i = 0; i < 15; ++i)
                image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(40 * n + i * 9),
                                                         static_cast<std::uint8_t>(i * 17),
                                                         static_cast<std::uint8_t>(250 - 50 * n),
                                                         static_cast<std::uint8_t>(i % 3 == 0 ? 120 : 255)});
            ASSERT_TRUE(
                writePngFile(dir.path(std::string("res/textures/") + names[n] + ".png"), image, true));
        }
        writeRoom(1, LiftRoom);
        load();
    }

    // The frame drawn the long way: the background, then every object in its pass and in
    // file order, then the player.
    RgbaImage everyObjectInOrder() {
        beginFrame();
        theGraphics.device->clear(BackgroundColour);
        setWorldCamera(*theSpriteRenderer);
        for (const std::int32_t layer : {0, 2, 1}) {
            for (const ObjectRef& object : world.room->objects()) {
                if (object->drawLayer == layer)
                    object->draw();
            }
        }
        world.player->draw();
        return backBuffer();
    }

    void expectSameFrames(const char* where) {
        const RgbaImage kept = frame();
        const RgbaImage drawn = everyObjectInOrder();
        ASSERT_EQ(kept.pixels.size(), drawn.pixels.size());
        EXPECT_EQ(differingPixels(kept, drawn), 0) << where;
    }

    Lift& lift() { return object<Lift>(1); }
};

TEST_F(StillLayerTest, PlatformsAfterALiftInTheirWayAreDrawnEveryFrame) {
    frame();
    const std::vector<GameObject*>& live = world.room->stillLayer().liveObjects();
    ASSERT_EQ(live.size(), 3u);
    EXPECT_EQ(live[0], &lift());
    EXPECT_EQ(live[1], world.room->objects()[2].get());
    EXPECT_EQ(live[2], world.room->objects()[3].get());
}

// An object that does not say where it draws may draw anywhere: what comes after it in the
// pass is drawn every frame, however far away.
TEST_F(StillLayerTest, AfterAnObjectThatMayDrawAnywhereEverythingIsDrawnEveryFrame) {
    struct Spark : GameObject {};
    objectRegistry().registerType("spark", makeObject<Spark>);
    writeRoom(1, "spark\n" + std::string(LiftRoom));
    ASSERT_TRUE(world.room->loadFile("res/rooms/room1.txt"));
    frame();
    std::vector<GameObject*> expected;
    for (const ObjectRef& object : world.room->objects())
        expected.push_back(object.get());
    expected.pop_back(); // the entry point draws nothing
    EXPECT_EQ(world.room->stillLayer().liveObjects(), expected);
}

TEST_F(StillLayerTest, EveryPixelIsTheOneTheWholePassDraws) {
    for (const float y : {10.0f, 12.3f, 17.85f, 18.5f, 25.0f}) {
        lift().y = y;
        expectSameFrames("640 x 480");
    }
    // A new size makes the kept layer again at that size.
    ASSERT_TRUE(resetDevice(800, 600, false));
    for (const float y : {11.15f, 18.0f}) {
        lift().y = y;
        expectSameFrames("800 x 600");
    }
    ASSERT_TRUE(resetDevice(1024, 768, false));
    expectSameFrames("1024 x 768");
}

// What a platform says it reaches is the box of the pixels it draws: a smaller box would leave
// old pixels behind, a larger one redraws for nothing.
TEST_F(StillLayerTest, AnObjectReachesExactlyThePixelsItDraws) {
    for (const std::size_t index : {0u, 2u, 3u, 4u}) {
        GameObject& object = *world.room->objects()[index];
        beginFrame();
        theGraphics.device->clear(BackgroundColour);
        const RgbaImage empty = backBuffer();
        setWorldCamera(*theSpriteRenderer);
        object.draw();
        const RgbaImage drawn = backBuffer();
        int left = drawn.width, top = drawn.height, right = 0, bottom = 0;
        for (int i = 0; i < drawn.width * drawn.height; ++i) {
            if (std::equal(&drawn.pixels[i * 4], &drawn.pixels[i * 4 + 4], &empty.pixels[i * 4]))
                continue;
            left = std::min(left, i % drawn.width), right = std::max(right, i % drawn.width + 1);
            top = std::min(top, i / drawn.width), bottom = std::max(bottom, i / drawn.width + 1);
        }
        const PixelRect reach = object.drawReach().box;
        EXPECT_EQ(std::vector({reach.x, reach.y, reach.w, reach.h}),
                  std::vector({left, top, right - left, bottom - top}))
            << "object " << index;
    }
}

TEST_F(StillLayerTest, ARoomReadAgainIsDrawnAsItNowStands) {
    const RgbaImage before = frame();
    writeRoom(1, std::string(LiftRoom) +
                     "platform start 30 20 end 35 22 texture res/textures/c.png tile res/textures/a.png\n");
    ASSERT_TRUE(world.room->loadFile("res/rooms/room1.txt"));
    const RgbaImage after = frame();
    EXPECT_NE(before.pixels, after.pixels);
    expectSameFrames("the room read again");
}

} // namespace
