#include <gtest/gtest.h>

#include "app/GameSetup.h"
#include "bench/DeviceModel.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "support/Pixels.h"
#include "world/Room.h"

#include <string>
#include <vector>

namespace {

// One frame as the game draws it, written down quad by quad; the still layer is drawn afresh
// so that every quad of the frame is seen.
RgbaImage drawnFrame(std::vector<DrawnQuad>& quads) {
    quads.clear();
    world.room->stillLayer().forget();
    theSpriteRenderer->quadLog = &quads;
    beginFrame();
    renderWorld();
    theSpriteRenderer->quadLog = nullptr;
    RgbaImage image;
    EXPECT_TRUE(theGraphics.device->readBackBuffer(image));
    return image;
}

std::string firstDifference(const RgbaImage& game, const RgbaImage& device) {
    for (std::size_t i = 0; i + 3 < game.pixels.size() && i + 3 < device.pixels.size(); i += 4) {
        for (int c = 0; c < 4; ++c) {
            if (game.pixels[i + c] != device.pixels[i + c]) {
                const auto pixel = static_cast<int>(i / 4);
                return "first at (" + std::to_string(pixel % game.width) + ", " +
                       std::to_string(pixel / game.width) + ") channel " + std::to_string(c) + ": " +
                       std::to_string(game.pixels[i + c]) + " drawn, " +
                       std::to_string(device.pixels[i + c]) + " by the device";
            }
        }
    }
    return "sizes differ";
}

// Every room of the ring at every window size, as it is entered and later with robots, beams
// and lifts under way, is pixel for pixel what the device draws; the kept layer of platforms
// gives the same frame again.
TEST(FrameModel, EveryRoomAtEverySizeIsWhatTheDeviceDraws) {
    int partlyTransparentQuads = 0;
    for (const auto& [width, height] : {std::pair{640, 480}, std::pair{800, 600}, std::pair{1024, 768}}) {
        GameSetup setup(MARROWGAST_SOURCE_DIR, GameSetup::Headless{.width = width, .height = height});
        ASSERT_TRUE(setup.ok()) << setup.error();
        for (int room = 1; room <= 4; ++room) {
            ASSERT_TRUE(setup.enterStartRoom({room, 0})) << setup.error();
            for (const int steps : {0, 130}) {
                for (int s = 0; s < steps; ++s) {
                    updateWorld();
                }
                std::vector<DrawnQuad> quads;
                const RgbaImage game = drawnFrame(quads);
                std::string problem;
                const RgbaImage device = model::drawFrame(quads, BackgroundColour, width, height, problem);
                ASSERT_TRUE(problem.empty()) << problem;
                const std::string where = "room " + std::to_string(room) + " at " + std::to_string(width) +
                                          " after " + std::to_string(steps) + " steps";
                EXPECT_EQ(differingPixels(game, device), 0) << where << ", " << firstDifference(game, device);
                // The next frame starts from the kept platforms.
                beginFrame();
                renderWorld();
                RgbaImage again;
                ASSERT_TRUE(theGraphics.device->readBackBuffer(again));
                EXPECT_EQ(differingPixels(again, device), 0) << where << " from the kept layer";
                for (const DrawnQuad& quad : quads) {
                    partlyTransparentQuads += quad.texture && !isOpaque(quad.texture->image) ? 1 : 0;
                }
            }
        }
    }
    // The frames blend: players, robots and beams have edges that are neither clear nor solid.
    EXPECT_GT(partlyTransparentQuads, 24);
}

} // namespace
