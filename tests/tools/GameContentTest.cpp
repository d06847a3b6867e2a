// The images and sounds the game ships: made by the generator from art/, committed under res/,
// and timed the way the actors move.
#include "actors/Player.h"
#include "actors/Robot.h"
#include "app/GameSetup.h"
#include "content/ContentBuilder.h"
#include "definitions/AnimationSet.h"
#include "graphics/QuadLayout.h"
#include "support/TempDir.h"
#include "world/Lift.h"
#include "world/Platform.h"
#include "world/Room.h"
#include "world/World.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;
const fs::path Root = MARROWGAST_SOURCE_DIR;

std::vector<std::uint8_t> fileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(GeneratedContent, RegeneratingGivesTheCommittedFilesByteForByte) {
    TempDir out;
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(buildContent(Root, out.path(""), written, error)) << error;
    ASSERT_FALSE(written.empty());
    for (const std::string& path : written) {
        ASSERT_TRUE(fs::exists(Root / path)) << path << " is made but not committed";
        EXPECT_TRUE(fileBytes(Root / path) == fileBytes(fs::path(out.path(path)))) << path << " differs";
    }
    // Nothing under res/ is an image or sound that the generator no longer makes.
    const std::set<std::string> made(written.begin(), written.end());
    for (const auto& entry : fs::recursive_directory_iterator(Root / "res")) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".png" || extension == ".jpg" || extension == ".wav") {
            EXPECT_TRUE(made.count(fs::relative(entry.path(), Root).generic_string()))
                << entry.path() << " is not made by the generator";
        }
    }
}

TEST(GameArt, AnimationTimingsFitTheMovesTheyShow) {
    AnimationSet player;
    player.load((Root / "res/textures/player.set").string());
    // A free jump peaks 26 steps after take-off and is back at its height after 52 to 54: the
    // jump animation hands over to the fall about then.
    for (const char* jump : {"JumpLeft", "JumpRight"}) {
        const double seconds = player.length(jump);
        EXPECT_GE(seconds, 50 * 0.016666668 - 1e-6) << jump;
        EXPECT_LE(seconds, 54 * 0.016666668 + 1e-6) << jump;
    }
    for (const char* robot : {"res/textures/robot_a.set", "res/textures/robot_b.set"}) {
        AnimationSet body;
        body.load((Root / robot).string());
        EXPECT_NEAR(body.length("TurnRightToLeft"), 0.5, 0.1) << robot;
        EXPECT_NEAR(body.length("TurnLeftToRight"), 0.5, 0.1) << robot;
    }
}

// The bounding box of the largest group of side-by-side texels whose alpha is at least 128:
// the body, which a stray texel is not.
PixelRect bodyBox(const RgbaImage& image) {
    const int w = image.width, h = image.height;
    std::vector<bool> seen(static_cast<std::size_t>(w * h));
    PixelRect best;
    int bestSize = 0;
    for (int start = 0; start < w * h; ++start) {
        std::vector<std::pair<int, int>> open{{start % w, start / w}};
        PixelRect box;
        int size = 0;
        while (!open.empty()) {
            const auto [x, y] = open.back();
            open.pop_back();
            const auto i = static_cast<std::size_t>(y * w + x);
            if (x < 0 || y < 0 || x >= w || y >= h || seen[i] || image.pixels[i * 4 + 3] < 128)
                continue;
            seen[i] = true;
            ++size;
            box = rectUnion(box, {x, y, 1, 1});
            open.insert(open.end(), {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}});
        }
        if (size > bestSize) {
            bestSize = size;
            best = box;
        }
    }
    return best;
}

// Every frame of the set, named for messages.
void collectFrames(const AnimationSet& set, const std::string& owner,
                   std::map<const Texture*, std::string>& frames) {
    ASSERT_NE(set.contents(), nullptr) << owner;
    for (std::size_t a = 0; a < set.contents()->animations.size(); ++a) {
        const std::vector<TextureRef>& images = set.contents()->animations[a].frames;
        for (std::size_t f = 0; f < images.size(); ++f) {
            const std::string name =
                owner + " " + set.contents()->order[a] + " frame " + std::to_string(f + 1);
            ASSERT_FALSE(images[f].empty()) << name << " is not loaded";
            frames.emplace(images[f].get(), name);
        }
    }
}

// The art of the ring as its rooms use it. The boxes that kill when they touch are the boxes
// the frames are stretched over: in every frame of the player and of every robot the body
// spans at least 90% of the image's width and 95% of its height, so a death by touch shows
// the two touching. And no platform is drawn with an image a lift is drawn with.
TEST(GameArt, BodiesFillTheirBoxesAndLiftsLookLikeNothingElse) {
    GameSetup setup(Root, GameSetup::Headless{.width = 640, .height = 480});
    ASSERT_TRUE(setup.ok()) << setup.error();
    std::map<const Texture*, std::string> frames;
    collectFrames(world.player->animation, "the player's", frames);
    EXPECT_EQ(frames.size(), 40u);
    std::set<const Texture*> liftImages;
    std::vector<std::pair<const Texture*, std::string>> platformImages;
    for (int room = 1; room <= 4; ++room) {
        ASSERT_TRUE(setup.enterStartRoom({room, 0})) << setup.error();
        const std::vector<ObjectRef>& objects = world.room->objects();
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const std::string where = "room " + std::to_string(room) + " object " + std::to_string(i + 1);
            if (const auto* robot = dynamic_cast<const Robot*>(&*objects[i]))
                collectFrames(robot->bodyAnimation, where, frames);
            if (const auto* lift = dynamic_cast<const Lift*>(&*objects[i])) {
                ASSERT_FALSE(lift->texture.empty() || lift->tileTexture.empty()) << where;
                liftImages.insert({lift->texture.get(), lift->tileTexture.get()});
            }
            if (const auto* platform = dynamic_cast<const Platform*>(&*objects[i])) {
                platformImages.emplace_back(platform->texture.get(), where + "'s body");
                platformImages.emplace_back(platform->tileTexture.get(), where + "'s top band");
            }
        }
    }
    EXPECT_GE(frames.size(), 40u + 11);
    for (const auto& [texture, name] : frames) {
        const PixelRect body = bodyBox(texture->image);
        EXPECT_GE(body.w * 10, texture->image.width * 9) << name << ": body " << body.w << " wide";
        EXPECT_GE(body.h * 20, texture->image.height * 19) << name << ": body " << body.h << " high";
    }
    EXPECT_GE(liftImages.size(), 2u);
    for (const auto& [image, where] : platformImages)
        EXPECT_EQ(liftImages.count(image), 0u) << where << " uses a lift's image";
}

} // namespace
