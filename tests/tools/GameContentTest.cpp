// The images and sounds the game ships: made by the generator from art/, committed under res/,
// and shaped the way the actors and rooms use them.
#include "content/ContentBuilder.h"
#include "definitions/AnimationSet.h"
#include "definitions/DefinitionFile.h"
#include "platform/ImageFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// name -> (ticks, frame files) of one set file, read as the game reads it.
std::map<std::string, std::pair<int, std::vector<std::string>>> readSet(const std::string& file) {
    std::map<std::string, std::pair<int, std::vector<std::string>>> animations;
    DefinitionFile definitions;
    if (!definitions.open((Root / file).string()))
        return animations;
    TokenList tokens;
    while (!definitions.atEnd()) {
        definitions.readLine(tokens);
        if (tokens.empty() || tokens.takeWord() != "set")
            continue;
        const std::string name = tokens.takeWord();
        const int ticks = tokens.takeInt();
        std::vector<std::string> frames;
        while (!tokens.empty())
            frames.push_back(tokens.takeWord());
        animations.emplace(name, std::make_pair(ticks, frames));
    }
    return animations;
}

RgbaImage image(const std::string& path) {
    RgbaImage result;
    EXPECT_TRUE(readImageFile((Root / path).string(), result)) << path;
    return result;
}

bool hasTransparentAndOpaquePixels(const RgbaImage& picture) {
    bool clear = false;
    bool solid = false;
    for (std::size_t i = 3; i < picture.pixels.size(); i += 4) {
        clear = clear || picture.pixels[i] == 0;
        solid = solid || picture.pixels[i] == 255;
    }
    return clear && solid;
}

bool mirrors(const RgbaImage& a, const RgbaImage& b) {
    if (a.width != b.width || a.height != b.height)
        return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!std::equal(&a.pixels[(y * a.width + x) * 4], &a.pixels[(y * a.width + x) * 4 + 4],
                            &b.pixels[(y * a.width + (a.width - 1 - x)) * 4]))
                return false;
    return true;
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

struct SetExpectation {
    const char* file;
    std::vector<std::string> names;
    int width;
    int height;
};

TEST(GameArt, AnimationSetsDefineEveryNameTheActorsPlayWithFramesOfTheirSize) {
    const SetExpectation sets[] = {
        {"res/textures/player.set",
         {"FaceLeft", "FaceRight", "RunLeft", "RunRight", "JumpLeft", "JumpRight", "FallLeft", "FallRight",
          "Search"},
         32,
         48},
        {"res/textures/robot_a.set", {"MoveLeft", "MoveRight", "TurnRightToLeft", "TurnLeftToRight"}, 32, 28},
        {"res/textures/robot_b.set", {"MoveLeft", "MoveRight", "TurnRightToLeft", "TurnLeftToRight"}, 32, 28},
        {"res/textures/laser.set", {"Laser"}, 48, 12},
    };
    for (const SetExpectation& expected : sets) {
        const auto animations = readSet(expected.file);
        std::vector<std::string> names;
        for (const auto& [name, animation] : animations)
            names.push_back(name);
        std::vector<std::string> wanted = expected.names;
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(names, wanted) << expected.file;
        for (const auto& [name, animation] : animations) {
            EXPECT_GE(animation.first, 1) << name;
            ASSERT_FALSE(animation.second.empty()) << name;
            for (const std::string& frame : animation.second) {
                RgbaImage picture = image(frame);
                EXPECT_EQ(picture.width, expected.width) << frame;
                EXPECT_EQ(picture.height, expected.height) << frame;
                EXPECT_TRUE(hasTransparentAndOpaquePixels(picture)) << frame << " should be a cut-out sprite";
            }
        }
    }
    // The two robots look different.
    EXPECT_NE(fileBytes(Root / "res/textures/robot_a/move_right_1.png"),
              fileBytes(Root / "res/textures/robot_b/move_right_1.png"));
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
    const auto playerSet = readSet("res/textures/player.set");
    EXPECT_GE(playerSet.at("RunLeft").second.size(), 6u);
    EXPECT_GE(playerSet.at("RunRight").second.size(), 6u);
    for (const char* robot : {"res/textures/robot_a.set", "res/textures/robot_b.set"}) {
        AnimationSet body;
        body.load((Root / robot).string());
        EXPECT_NEAR(body.length("TurnRightToLeft"), 0.5, 0.1) << robot;
        EXPECT_NEAR(body.length("TurnLeftToRight"), 0.5, 0.1) << robot;
    }
}

TEST(GameArt, LeftFacingFramesMirrorTheRightFacingOnes) {
    const std::pair<const char*, std::pair<const char*, const char*>> pairs[] = {
        {"res/textures/player.set", {"RunLeft", "RunRight"}},
        {"res/textures/player.set", {"JumpLeft", "JumpRight"}},
        {"res/textures/player.set", {"FallLeft", "FallRight"}},
        {"res/textures/player.set", {"FaceLeft", "FaceRight"}},
        {"res/textures/robot_a.set", {"MoveLeft", "MoveRight"}},
        {"res/textures/robot_b.set", {"MoveLeft", "MoveRight"}},
        {"res/textures/robot_a.set", {"TurnLeftToRight", "TurnRightToLeft"}},
        {"res/textures/robot_b.set", {"TurnLeftToRight", "TurnRightToLeft"}},
    };
    for (const auto& [file, names] : pairs) {
        const auto set = readSet(file);
        const auto& left = set.at(names.first).second;
        const auto& right = set.at(names.second).second;
        ASSERT_EQ(left.size(), right.size()) << names.first;
        for (std::size_t i = 0; i < left.size(); ++i)
            EXPECT_TRUE(mirrors(image(left[i]), image(right[i]))) << left[i] << " / " << right[i];
    }
}

TEST(GameArt, TexturesHaveTheSizesTheRoomsDrawThemAt) {
    const std::tuple<const char*, int, int, bool> textures[] = {
        {"res/textures/stone.png", 16, 16, true},     {"res/textures/wood.jpg", 16, 16, true},
        {"res/textures/metal.png", 16, 16, true},     {"res/textures/grass_band.png", 16, 8, false},
        {"res/textures/metal_band.png", 16, 8, true}, {"res/textures/crate.png", 32, 32, true},
        {"res/textures/cabinet.png", 32, 48, true},   {"res/textures/bookshelf.png", 48, 48, true},
    };
    for (const auto& [path, width, height, opaque] : textures) {
        RgbaImage picture = image(path);
        EXPECT_EQ(picture.width, width) << path;
        EXPECT_EQ(picture.height, height) << path;
        bool allOpaque = true;
        for (std::size_t i = 3; i < picture.pixels.size(); i += 4)
            allOpaque = allOpaque && picture.pixels[i] == 255;
        EXPECT_EQ(allOpaque, opaque) << path;
    }
    const std::vector<std::uint8_t> wood = fileBytes(Root / "res/textures/wood.jpg");
    ASSERT_GE(wood.size(), 3u);
    EXPECT_TRUE(wood[0] == 0xFF && wood[1] == 0xD8 && wood[2] == 0xFF) << "wood.jpg is a JPEG";
}

TEST(GameSounds, FourShortDistinctSixteenBitMonoWavs) {
    std::set<std::vector<std::uint8_t>> distinct;
    for (const char* name : {"die1", "die2", "die3", "laser"}) {
        const std::vector<std::uint8_t> bytes = fileBytes(Root / "res/sound" / (std::string(name) + ".wav"));
        ASSERT_GT(bytes.size(), 44u) << name;
        auto word = [&](std::size_t at) {
            return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                              bytes[at + 3] << 24);
        };
        auto half = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF") << name;
        EXPECT_EQ(half(20), 1) << name;
        EXPECT_EQ(half(22), 1) << name;
        EXPECT_EQ(half(34), 16) << name;
        const std::uint32_t rate = word(24);
        EXPECT_TRUE(rate == 22050 || rate == 44100) << name;
        const std::uint32_t samples = word(40) / 2;
        EXPECT_EQ(bytes.size(), 44u + samples * 2u) << name;
        EXPECT_LT(samples, rate * 3 / 2) << name << " lasts 1.5 s or more";
        int loudest = 0;
        for (std::uint32_t i = 0; i < samples; ++i)
            loudest = std::max(loudest, std::abs(static_cast<std::int16_t>(half(44 + i * 2))));
        EXPECT_GT(loudest, 8000) << name << " is too quiet";
        distinct.insert(bytes);
    }
    EXPECT_EQ(distinct.size(), 4u);
}

} // namespace
