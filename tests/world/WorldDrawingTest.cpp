#include "world/Searchable.h"

#include "app/DisplayMode.h"
#include "platform/ImageFile.h"
#include "platform/SdlDrawingDevice.h"

#include "WorldFixture.h"

#include <array>
#include <cstdint>
#include <ostream>

namespace {

struct Colour {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Colour&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

const Colour Background{0, 0, 63};
const Colour Black{0, 0, 0};
const Colour White{255, 255, 255};
const Colour Stone{200, 0, 0};
const Colour Grass{0, 200, 0};
const Colour Metal{120, 120, 120};
const Colour MetalBand{0, 0, 200};
const Colour Crate{200, 100, 0};
const Colour CrateRight{150, 50, 0};
const Colour CrateLow{100, 50, 0};
const Colour Yellow{255, 255, 0};

Colour at(const RgbaImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4u];
    return {p[0], p[1], p[2]};
}

// At 640 × 480 one room unit is 16 pixels.
class WorldDrawing : public WorldFixture {
  protected:
    void SetUp() override {
        drawHeadless(640, 480);
        solid("stone.png", Stone);
        solid("grass_band.png", Grass);
        solid("metal.png", Metal);
        solid("metal_band.png", MetalBand);
        texels("crate.png", {Crate, CrateRight, CrateLow, CrateLow});
        writeRoom(
            1,
            "platform start 2 20 end 7 22 texture res/textures/stone.png tile res/textures/grass_band.png\n"
            "lift waypoint 20 25 texture res/textures/metal.png tile res/textures/metal_band.png\n"
            "searchable position 30 20 width 2 height 3 percentage 100 texture res/textures/crate.png\n"
            "entrypoint position 12 10 side left\n");
        load();
    }

    void solid(const std::string& name, Colour c) { texels(name, {c, c, c, c}); }

    // A 2 × 2 image: top left, top right, bottom left, bottom right.
    void texels(const std::string& name, const std::array<Colour, 4>& colours) {
        RgbaImage image;
        image.width = 2;
        image.height = 2;
        for (const Colour& c : colours)
            image.pixels.insert(image.pixels.end(),
                                {static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                                 static_cast<std::uint8_t>(c.b), 255});
        ASSERT_TRUE(writePngFile(dir.path("res/textures/" + name), image, true));
    }

    Searchable& crate() { return object<Searchable>(2); }
};

// Each object's body and band on their tiles, and the player over the room (its images
// are missing, so it is a white box: x 12 to 14, y 7 to 10, lifted 0.2).
TEST_F(WorldDrawing, PlatformLiftAndPlayerStandOnTheirTiles) {
    const struct {
        int x, y;
        Colour colour;
    } pixels[] = {
        // Platform body: x 2 to 8, y 19 to 22; band 0.4 high on the top edge, y 18.6 to 19.
        {32, 304, Stone},
        {127, 351, Stone},
        {31, 320, Background},
        {128, 320, Background},
        {64, 352, Background},
        {32, 298, Grass},
        {127, 303, Grass},
        {64, 297, Background},
        // Lift body: x 20 to 23, y 24 to 25; band y 23.6 to 24.
        {320, 384, Metal},
        {367, 399, Metal},
        {368, 390, Background},
        {320, 378, MetalBand},
        {367, 383, MetalBand},
        {340, 377, Background},
        {340, 400, Background},
        {200, 130, White},
        {190, 130, Background},
    };
    const RgbaImage image = frame();
    for (const auto& p : pixels)
        EXPECT_EQ(at(image, p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(WorldDrawing, SearchableAndItsBarWhileSearchedAndNothingOnceSearchedThrough) {
    RgbaImage image = frame();
    // Layer 2 lifts the box 0.4: x 30 to 32, y 16.6 to 19.6, the image shown once over it.
    EXPECT_EQ(at(image, 480, 266), Crate);
    EXPECT_EQ(at(image, 494, 288), Crate);
    EXPECT_EQ(at(image, 497, 288), CrateRight);
    EXPECT_EQ(at(image, 494, 291), CrateLow);
    EXPECT_EQ(at(image, 511, 313), CrateLow);
    EXPECT_EQ(at(image, 495, 265), Background);
    EXPECT_EQ(at(image, 495, 314), Background);
    EXPECT_EQ(at(image, 550, 262), Background);

    ASSERT_TRUE(crate().interactUp(&player()));
    image = frame();
    // The bar: x 32 to 37, y 16.1 to 16.6, for 100 still to search.
    EXPECT_EQ(at(image, 512, 258), Yellow);
    EXPECT_EQ(at(image, 591, 265), Yellow);
    EXPECT_EQ(at(image, 592, 262), Background);
    EXPECT_EQ(at(image, 550, 257), Background);
    EXPECT_EQ(at(image, 550, 266), Background);

    crate().remaining = 50.0f;
    image = frame();
    EXPECT_EQ(at(image, 551, 262), Yellow);
    EXPECT_EQ(at(image, 552, 262), Background);

    crate().remaining = 0.0f;
    crate().searcher = nullptr;
    image = frame();
    EXPECT_EQ(at(image, 495, 290), Background);
}

TEST_F(WorldDrawing, CurtainBarsGrowFromBothEdgesAndMeetInThe60thStep) {
    player().setState(Dying);
    ASSERT_TRUE(steps(1));
    RgbaImage image = frame();
    // The room is still drawn behind a curtain that has only just started.
    EXPECT_EQ(at(image, 64, 330), Stone);
    EXPECT_EQ(at(image, 320, 0), Black);
    EXPECT_EQ(at(image, 320, 8), Background);

    ASSERT_TRUE(steps(58));
    image = frame();
    // t = 14.75: the bars, lifted 0.2, reach y 14.55 and 15.05.
    EXPECT_EQ(at(image, 320, 232), Black);
    EXPECT_EQ(at(image, 320, 233), Background);
    EXPECT_EQ(at(image, 320, 240), Background);
    EXPECT_EQ(at(image, 320, 241), Black);

    ASSERT_TRUE(steps(1));
    image = frame();
    for (int y = 0; y <= 476; y += 4) {
        EXPECT_EQ(at(image, 320, y), Black) << y;
    }
    EXPECT_EQ(at(image, 64, 330), Black);
    EXPECT_EQ(at(image, 320, 236), Black);
    EXPECT_EQ(at(image, 320, 237), Black);
}

TEST_F(WorldDrawing, TheScreenshotShowsTheCurtain) {
    player().setState(Dying);
    ASSERT_TRUE(steps(30));
    theDisplay.screenshotRequested = true;
    frame();
    EXPECT_FALSE(theDisplay.screenshotRequested);
    RgbaImage shot;
    ASSERT_TRUE(readImageFile(ScreenshotFileName, shot));
    ASSERT_EQ(shot.width, 640);
    EXPECT_EQ(at(shot, 320, 50), Black);
    EXPECT_EQ(at(shot, 320, 240), Background);
}

} // namespace
