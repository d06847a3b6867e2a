#include "content/ContentBuilder.h"
#include "content/ImageRecipe.h"
#include "content/PixelArt.h"
#include "content/Synth.h"
#include "platform/ImageFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* const TinyPalette = "# test colours\n. 0 0 0 0\nK 10 20 30\nR 200 0 0\nh 0 0 255 128\n";

// A source tree with a palette, one map file and the given recipes.
struct SourceTree {
    TempDir dir;
    explicit SourceTree(const std::string& images, const std::string& maps = "map dot\nR.\n.K\n",
                        const std::string& sounds = "sound res/s.wav 22050\nsine for 0.01\n") {
        std::filesystem::create_directories(dir.path("art"));
        dir.write("art/palette.txt", TinyPalette);
        dir.write("art/test.art", maps);
        dir.write("art/images.txt", "palette art/palette.txt\nmaps art/test.art\n" + images);
        dir.write("art/sounds.txt", sounds);
    }
    bool build(std::vector<ImageOutput>& outputs, std::string& error) {
        return buildImages(dir.path(""), "art/images.txt", outputs, error);
    }
};

TEST(PixelArt, PalettesAndMapsRefuseTyposWithTheirLine) {
    Palette palette;
    std::string error;
    ASSERT_TRUE(parsePalette(TinyPalette, "p.txt", palette, error)) << error;
    EXPECT_EQ(palette.at('h').a, 128);
    EXPECT_EQ(palette.at('K').b, 30);

    const std::pair<const char*, const char*> badPalettes[] = {
        {"x 1 2 256\n", "p.txt:1:"},        {"x 1 2\n", "p.txt:1:"},      {"\nxy 1 2 3\n", "p.txt:2:"},
        {"x 1 2 3\nx 4 5 6\n", "p.txt:2:"}, {"x 0x10 2 3\n", "p.txt:1:"}, {"# 1 2 3\n", ""}};
    for (const auto& [text, where] : badPalettes) {
        Palette other;
        error.clear();
        const bool accepted = parsePalette(text, "p.txt", other, error);
        if (*where == '\0') {
            EXPECT_TRUE(accepted) << text; // a comment line, not a symbol
        } else {
            EXPECT_FALSE(accepted) << text;
            EXPECT_EQ(error.rfind(where, 0), 0u) << error;
        }
    }

    const std::pair<const char*, const char*> badMaps[] = {
        {"map a\nRR\nR\n", "m.art:3:"}, {"map a\nRZ\n", "m.art:2:"},  {"map a\nR\n\nmap a\nK\n", "m.art:4:"},
        {"RR\n", "m.art:1:"},           {"map a\n\nR\n", "m.art:1:"}, {"map\nR\n", "m.art:1:"}};
    for (const auto& [text, where] : badMaps) {
        MapLibrary maps;
        error.clear();
        EXPECT_FALSE(parseMaps(text, "m.art", palette, maps, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << error;
    }

    MapLibrary maps;
    ASSERT_TRUE(parseMaps("# two maps\nmap a\nRK\r\nKR  \n\nmap b\nh\n", "m.art", palette, maps, error))
        << error;
    EXPECT_EQ(maps.at("a").width, 2);
    EXPECT_EQ(maps.at("a").height, 2);
    EXPECT_EQ(maps.at("b").rows, std::vector<std::string>{"h"});
}

TEST(ImageRecipes, FaultsAreReportedWithTheirLineAndNothingIsWritten) {
    const std::pair<const char*, const char*> faults[] = {
        {"png res/a.png 2 2\ndraw dot 1 1\n", "art/images.txt:4:"},     // does not fit
        {"png res/a.png 2 2\ndraw nothing 0 0\n", "art/images.txt:4:"}, // unknown map
        {"draw dot 0 0\n", "art/images.txt:3:"},                        // no image yet
        {"png ../a.png 2 2\n", "art/images.txt:3:"},                    // leaves the output
        {"png /tmp/a.png 2 2\n", "art/images.txt:3:"},
        {"png res/a.jpg 2 2\n", "art/images.txt:3:"},                    // wrong extension
        {"png res/a.png 2 2\npng res/a.png 2 2\n", "art/images.txt:4:"}, // made twice
        {"png res/a.png 0 2\n", "art/images.txt:3:"},
        {"png res/a.png 99999 2\n", "art/images.txt:3:"},
        {"jpeg res/a.jpg 2 2 101\n", "art/images.txt:3:"},
        {"jpeg res/a.jpg 2 2 90\ndraw dot 0 0\n", "art/images.txt:"}, // JPEG cannot keep holes
        {"mirror res/b.png res/a.png\n", "art/images.txt:3:"},
        {"png res/a.png 2 2\ndraw dot 0 0 sideways\n", "art/images.txt:4:"},
        {"paint res/a.png\n", "art/images.txt:3:"},
        {"maps art/missing.art\n", "art/images.txt:3:"},
    };
    for (const auto& [recipe, where] : faults) {
        SourceTree tree(recipe);
        std::vector<std::string> written;
        std::string error;
        EXPECT_FALSE(buildContent(tree.dir.path(""), tree.dir.path("out"), written, error)) << recipe;
        EXPECT_EQ(error.rfind(where, 0), 0u) << recipe << " gave: " << error;
        EXPECT_TRUE(written.empty());
        EXPECT_FALSE(std::filesystem::exists(tree.dir.path("out"))) << recipe;
    }
}

TEST(SoundRecipes, ParseVoicesAndRefuseBadOnes) {
    std::vector<SoundRecipe> sounds;
    std::string error;
    ASSERT_TRUE(
        parseSounds("# c\nsound res/a.wav 44100\nsaw at 0.5 for 0.25 from 100 to 200 volume 0.3 attack 0.01 "
                    "release 0.1 vibrato 5 0.2 seed 9\nsquare for 1 duty 0.25\n",
                    "s.txt", sounds, error))
        << error;
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].rate, 44100);
    ASSERT_EQ(sounds[0].voices.size(), 2u);
    const Voice& saw = sounds[0].voices[0];
    EXPECT_EQ(saw.wave, Wave::Saw);
    EXPECT_EQ(saw.at, 0.5);
    EXPECT_EQ(saw.length, 0.25);
    EXPECT_EQ(saw.to, 200.0);
    EXPECT_EQ(saw.vibratoDepth, 0.2);
    EXPECT_EQ(saw.seed, 9u);
    EXPECT_EQ(sounds[0].voices[1].duty, 0.25);

    const std::pair<const char*, const char*> faults[] = {
        {"sine for 1\n", "s.txt:1:"},
        {"sound a.wav 8000\nsine for 1\n", "s.txt:1:"},
        {"sound ../a.wav 22050\nsine for 1\n", "s.txt:1:"},
        {"sound a.ogg 22050\nsine for 1\n", "s.txt:1:"},
        {"sound a.wav 22050\nsine from 3\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1 volume\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1 vibrato 3\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1 volume 2\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1 volume 0.5x\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1 loud 1\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine for 1e9\n", "s.txt:2:"},
        {"sound a.wav 22050\nsine at 9.5 for 1\n", "s.txt:2:"},
        {"sound a.wav 22050\nhum for 1\n", "s.txt:2:"},
        {"sound a.wav 22050\nsound a.wav 22050\n", "s.txt:2:"},
        {"sound a.wav 22050\n", "s.txt:"},
    };
    for (const auto& [text, where] : faults) {
        std::vector<SoundRecipe> other;
        error.clear();
        EXPECT_FALSE(parseSounds(text, "s.txt", other, error)) << text;
        EXPECT_EQ(error.rfind(where, 0), 0u) << text << " gave: " << error;
    }
}

} // namespace
