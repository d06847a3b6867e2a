// Deaths by touch, played from the key scripts under tests/data/touch in small rooms drawn with
// the shipped art: in the frame drawn at the step of death, the player's sprite and the robot's
// touch or overlap on the screen.
#include "actors/Player.h"
#include "actors/Robot.h"
#include "app/GameSetup.h"
#include "app/KeyCommands.h"
#include "app/KeyScript.h"
#include "bench/DeviceModel.h"
#include "game/WorldOperations.h"
#include "graphics/Graphics.h"
#include "graphics/QuadLayout.h"
#include "support/ReadText.h"
#include "support/TempDir.h"
#include "world/Room.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
const fs::path Touch = fs::path(MARROWGAST_TEST_DATA) / "touch";

// The screen pixels where the quad shows texels of alpha 128 or more, as the device draws it.
PixelRect opaqueOnScreen(DrawnQuad quad, int width, int height) {
    RgbaImage mask = quad.texture->image;
    for (std::size_t i = 0; i < mask.pixels.size(); i += 4)
        std::fill_n(&mask.pixels[i], 4, mask.pixels[i + 3] >= 128 ? 255 : 0);
    const Texture solid(std::move(mask));
    quad.texture = &solid;
    quad.colour = 0xFFFFFFFF;
    std::string problem;
    const RgbaImage frame = model::drawFrame({quad}, 0xFF000000, width, height, problem);
    EXPECT_TRUE(problem.empty()) << problem;
    PixelRect box;
    for (int i = 0; i < width * height; ++i) {
        if (frame.pixels[static_cast<std::size_t>(i) * 4] == 255)
            box = rectUnion(box, {i % width, i / width, 1, 1});
    }
    return box;
}

// The quad drawn into the object's box, on the actors' layer; one without a texture if none.
DrawnQuad quadOf(const std::vector<DrawnQuad>& quads, const GameObject& o) {
    const auto drawn = std::find_if(quads.begin(), quads.end(), [&](const DrawnQuad& q) {
        return q.texture && q.layer == 1 && q.x == o.x && q.y == o.y && q.w == o.w && q.h == o.h;
    });
    return drawn != quads.end() ? *drawn : DrawnQuad{};
}

struct TouchDeath {
    int room;
    int side;
    const char* keys;
    const char* what;
};

// Each room is copied, with the shipped images and sets, into a scratch data folder as room N
// of its ring.
TEST(TouchDeath, TheFrameOfTheDeathShowsTheSpritesTouching) {
    TempDir data;
    fs::create_directories(data.path("res/rooms"));
    fs::copy(fs::path(MARROWGAST_SOURCE_DIR) / "res/textures", data.path("res/textures"),
             fs::copy_options::recursive);
    for (int room = 1; room <= 4; ++room) {
        const std::string name = "room" + std::to_string(room) + ".txt";
        fs::copy_file(Touch / name, data.path("res/rooms/" + name));
    }
    const TouchDeath deaths[] = {
        {1, 0, "walk-right.keys", "running east into a standing dome robot"},
        {1, 1, "walk-left.keys", "running west into a standing dome robot"},
        {2, 0, "walk-right.keys", "running east into a standing tracked robot"},
        {2, 1, "walk-left.keys", "running west into a standing tracked robot"},
        {3, 0, "stand.keys", "a tracked robot patrolling into the player's back"},
        {4, 0, "stand.keys", "a dome robot patrolling into the player's face"},
    };
    for (const TouchDeath& death : deaths) {
        KeyScript script;
        std::string error;
        ASSERT_TRUE(parseKeyScript(readText(Touch / death.keys), death.keys, script, error)) << error;
        for (const auto& [width, height] : {std::pair{640, 480}, std::pair{1024, 768}}) {
            const std::string where = std::string(death.what) + " at " + std::to_string(width);
            GameSetup setup(data.path(""), GameSetup::Headless{.width = width, .height = height});
            ASSERT_TRUE(setup.ok() && setup.enterStartRoom({death.room, death.side})) << setup.error();
            int step = 0;
            while (world.player->state != Dying && step < 600) {
                ++step;
                for (const ScriptedKey& key : script.events) {
                    if (key.step == step)
                        dispatchKey(key.code, key.pressed);
                }
                updateWorld();
            }
            ASSERT_EQ(world.player->state, Dying) << where << ": nobody died in " << step << " steps";
            const auto robot =
                std::find_if(world.room->objects().begin(), world.room->objects().end(),
                             [](const ObjectRef& o) { return o->kind() == ObjectKind::Robot; });
            ASSERT_NE(robot, world.room->objects().end()) << where;

            std::vector<DrawnQuad> quads;
            theSpriteRenderer->quadLog = &quads;
            beginFrame();
            renderWorld();
            theSpriteRenderer->quadLog = nullptr;
            const DrawnQuad playerQuad = quadOf(quads, *world.player), robotQuad = quadOf(quads, **robot);
            ASSERT_TRUE(playerQuad.texture && robotQuad.texture) << where << ": a sprite is not drawn";
            const PixelRect player = opaqueOnScreen(playerQuad, width, height);
            const PixelRect body = opaqueOnScreen(robotQuad, width, height);
            // Side by side counts: grown by a pixel, the player's sprite shares one with the robot's.
            EXPECT_TRUE(rectsMeet({player.x - 1, player.y - 1, player.w + 2, player.h + 2}, body))
                << where << " at step " << step << ": the player is drawn over columns " << player.x << " to "
                << player.x + player.w - 1 << ", the robot over " << body.x << " to " << body.x + body.w - 1;
        }
    }
}

} // namespace
