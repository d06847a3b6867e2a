#include "content/ContentBuilder.h"
#include "content/ImageRecipe.h"
#include "content/PixelArt.h"
#include "content/Synth.h"
#include "content/WavFile.h"
#include "platform/ImageFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const char* const TinyPalette = "# test colours\n. 0 0 0 0\nK 10 20 30\nR 200 0 0\nh 0 0 255 128\n";

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const std::uint8_t* pixelAt(const RgbaImage& image, int x, int y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
}

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

TEST(PixelArt, DrawingLayersMapsOverEachOtherAndMirrors) {
    Palette palette;
    MapLibrary maps;
    std::string error;
    ASSERT_TRUE(parsePalette(TinyPalette, "p", palette, error));
    ASSERT_TRUE(parseMaps("map base\nRRR\nRRR\nRRR\nmap top\n.K.\nhhh\n", "m", palette, maps, error))
        << error;

    RgbaImage canvas = blankImage(4, 3);
    drawMap(canvas, maps.at("base"), palette, 0, 0, false);
    drawMap(canvas, maps.at("top"), palette, 1, 1, false);
    EXPECT_EQ(pixelAt(canvas, 1, 1)[0], 200); // transparent symbol leaves the red below
    EXPECT_EQ(pixelAt(canvas, 2, 1)[0], 10);  // opaque symbol replaces it
    const std::uint8_t* blended = pixelAt(canvas, 1, 2);
    EXPECT_EQ(blended[3], 255);
    EXPECT_NEAR(blended[0], 100, 1);
    EXPECT_NEAR(blended[2], 128, 1);
    const std::uint8_t* overNothing = pixelAt(canvas, 3, 2);
    EXPECT_EQ(overNothing[2], 255);
    EXPECT_EQ(overNothing[3], 128); // half-transparent over empty keeps its own alpha
    EXPECT_EQ(pixelAt(canvas, 3, 0)[3], 0);

    RgbaImage mirrored = mirroredImage(canvas);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 4; ++c)
                EXPECT_EQ(pixelAt(mirrored, x, y)[c], pixelAt(canvas, 3 - x, y)[c]);

    RgbaImage flipped = blankImage(3, 3);
    drawMap(flipped, maps.at("top"), palette, 0, 0, true);
    EXPECT_EQ(pixelAt(flipped, 1, 0)[0], 10);
    EXPECT_FALSE(isOpaque(flipped));
    drawMap(flipped, maps.at("base"), palette, 0, 0, true);
    EXPECT_TRUE(isOpaque(flipped));
}

TEST(ImageRecipes, BuildImagesInOrderWithMirrors) {
    SourceTree tree("png res/a.png 3 2\ndraw dot 1 0\nmirror res/b.png res/a.png\njpeg res/c.jpg 2 2 90\n"
                    "draw full 0 0\n",
                    "map dot\nR.\n.K\n\nmap full\nRK\nKR\n");
    std::vector<ImageOutput> outputs;
    std::string error;
    ASSERT_TRUE(tree.build(outputs, error)) << error;
    ASSERT_EQ(outputs.size(), 3u);
    EXPECT_EQ(outputs[0].path, "res/a.png");
    EXPECT_EQ(pixelAt(outputs[0].image, 1, 0)[0], 200);
    EXPECT_EQ(pixelAt(outputs[0].image, 0, 0)[3], 0);
    EXPECT_EQ(pixelAt(outputs[1].image, 1, 0)[0], 200); // mirrored: x 1 goes to 3 - 1 - 1
    EXPECT_EQ(pixelAt(outputs[1].image, 0, 1)[0], 10);
    EXPECT_EQ(outputs[2].format, ImageFormat::Jpeg);
    EXPECT_EQ(outputs[2].quality, 90);
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

TEST(ContentBuilder, WritesImagesThenSoundsAndIsRepeatable) {
    SourceTree tree("png res/t/a.png 2 2\ndraw dot 0 0\npng res/t/solid.png 1 1\ndraw one 0 0\n",
                    "map dot\nR.\n.K\n\nmap one\nR\n",
                    "sound res/s/beep.wav 22050\nsquare for 0.05 from 440 to 880 volume 0.5\n");
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(buildContent(tree.dir.path(""), tree.dir.path("one"), written, error)) << error;
    EXPECT_EQ(written, (std::vector<std::string>{"res/t/a.png", "res/t/solid.png", "res/s/beep.wav"}));
    ASSERT_TRUE(buildContent(tree.dir.path(""), tree.dir.path("two"), written, error)) << error;
    for (const std::string& path : written) {
        EXPECT_EQ(fileBytes(tree.dir.path("one/" + path)), fileBytes(tree.dir.path("two/" + path))) << path;
    }
    RgbaImage image;
    ASSERT_TRUE(readImageFile(tree.dir.path("one/res/t/a.png"), image));
    EXPECT_EQ(pixelAt(image, 1, 0)[3], 0);
    EXPECT_EQ(pixelAt(image, 1, 1)[0], 10);
    // Every temporary was renamed into place.
    for (const auto& entry : std::filesystem::directory_iterator(tree.dir.path("one/res/t")))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();

    // An image and a sound may not claim the same file.
    SourceTree clash("png res/x.png 1 1\n", "map dot\nR\n", "sound res/x.png 22050\nsine for 0.1\n");
    EXPECT_FALSE(buildContent(clash.dir.path(""), clash.dir.path("out"), written, error));
}

TEST(JpegWriter, WritesTheSameBytesEveryTimeAndDecodesBackClose) {
    RgbaImage image = blankImage(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * 16 + x) * 4];
            p[0] = static_cast<std::uint8_t>(x < 8 ? 200 : 40);
            p[1] = static_cast<std::uint8_t>(y * 10);
            p[2] = 90;
            p[3] = 255;
        }
    TempDir dir;
    ASSERT_TRUE(writeJpegFile(dir.path("a.jpg"), image, 95));
    ASSERT_TRUE(writeJpegFile(dir.path("b.jpg"), image, 95));
    EXPECT_EQ(fileBytes(dir.path("a.jpg")), fileBytes(dir.path("b.jpg")));
    RgbaImage decoded;
    ASSERT_TRUE(readImageFile(dir.path("a.jpg"), decoded));
    ASSERT_EQ(decoded.width, 16);
    ASSERT_EQ(decoded.height, 16);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        EXPECT_NEAR(decoded.pixels[i], image.pixels[i], 24) << i;

    EXPECT_FALSE(writeJpegFile(dir.path("c.jpg"), image, 0));
    EXPECT_FALSE(writeJpegFile(dir.path("d.jpg"), RgbaImage{}, 90));
    EXPECT_FALSE(writeJpegFile(dir.path("no/such/dir/e.jpg"), image, 90));
    EXPECT_FALSE(std::filesystem::exists(dir.path("c.jpg")));
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

int signChanges(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
    int changes = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++changes;
    return changes;
}

TEST(Synth, PitchEnvelopeAndMixFollowTheRecipe) {
    for (double phase = -1.0; phase < 2.0; phase += 0.01)
        EXPECT_NEAR(sineOfPhase(phase), std::sin(phase * 2.0 * 3.14159265358979323846), 1e-6) << phase;

    SoundRecipe tone{"t.wav", 22050, {}};
    Voice square;
    square.wave = Wave::Square;
    square.length = 1.0;
    square.from = square.to = 441.0;
    square.volume = 0.5;
    square.attack = 0.1;
    square.release = 0.2;
    tone.voices.push_back(square);
    std::vector<std::int16_t> samples = synthesize(tone);
    ASSERT_EQ(samples.size(), 22050u);
    EXPECT_NEAR(signChanges(samples, 0, samples.size()), 882, 3);
    EXPECT_EQ(samples.front(), 0);                   // the attack starts from silence
    EXPECT_EQ(samples.back(), 0);                    // and the release ends in it
    EXPECT_NEAR(std::abs(samples[11025]), 16384, 1); // full volume in the middle: half scale
    EXPECT_LT(std::abs(samples[1102]), 16384 / 2 + 200);

    // A sweep doubles its crossings from the first tenth to the last.
    SoundRecipe sweep{"s.wav", 22050, {}};
    Voice saw;
    saw.wave = Wave::Sine;
    saw.length = 1.0;
    saw.from = 200.0;
    saw.to = 400.0;
    sweep.voices.push_back(saw);
    std::vector<std::int16_t> swept = synthesize(sweep);
    EXPECT_NEAR(signChanges(swept, 0, 2205), 2 * 21, 3);
    EXPECT_NEAR(signChanges(swept, 19845, 22050), 2 * 39, 3);

    // Voices add up, are clipped at full scale, and a late voice lengthens the sound.
    SoundRecipe loud{"l.wav", 22050, {square, square, square}};
    loud.voices[2].at = 1.0;
    std::vector<std::int16_t> mixed = synthesize(loud);
    EXPECT_EQ(mixed.size(), 44100u);
    EXPECT_EQ(mixed[11025], 32767 * (mixed[11025] > 0 ? 1 : -1));

    // Noise follows its seed: the same seed repeats, another differs.
    Voice noise;
    noise.wave = Wave::Noise;
    noise.length = 0.1;
    noise.from = noise.to = 5000.0;
    SoundRecipe a{"a.wav", 22050, {noise}};
    SoundRecipe b = a;
    b.voices[0].seed = 2;
    EXPECT_EQ(synthesize(a), synthesize(a));
    EXPECT_NE(synthesize(a), synthesize(b));
}

TEST(WavFile, HeaderDescribesSixteenBitMonoPcm) {
    std::vector<std::uint8_t> bytes = encodeWav({0, 1, -1, 32767, -32768}, 22050);
    ASSERT_EQ(bytes.size(), 44u + 10u);
    auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                          bytes[at + 3] << 24);
    };
    auto half = [&](std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(word(4), bytes.size() - 8);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(half(20), 1u); // PCM
    EXPECT_EQ(half(22), 1u); // mono
    EXPECT_EQ(word(24), 22050u);
    EXPECT_EQ(word(28), 44100u);
    EXPECT_EQ(half(34), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(word(40), 10u);
    EXPECT_EQ(half(46), 1u);
    EXPECT_EQ(half(48), 0xFFFFu);
    EXPECT_EQ(half(50), 0x7FFFu);
    EXPECT_EQ(half(52), 0x8000u);
}

} // namespace
