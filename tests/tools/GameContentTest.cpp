// The images and sounds the game ships: made by the generator from art/, committed under res/,
// and timed the way the actors move.
#include "content/ContentBuilder.h"
#include "definitions/AnimationSet.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

} // namespace
