#include "content/ImageRecipe.h"

#include "content/PixelArt.h"
#include "content/SourceText.h"

#include <set>

namespace {

// Large enough for any texture of the game, small enough that a typo cannot eat the memory.
constexpr long long MaxCanvasSide = 1024;

struct RecipeReader {
    RecipeReader(const std::filesystem::path& root, const std::string& file, std::vector<ImageOutput>& made,
                 std::string& message)
        : sourceRoot(root), recipeFile(file), outputs(made), error(message) {}

    const std::filesystem::path& sourceRoot;
    const std::string& recipeFile;
    std::vector<ImageOutput>& outputs;
    std::string& error;
    Palette palette;
    bool havePalette = false;
    MapLibrary maps;
    std::set<std::string> paths;
    int lineNumber = 0;

    bool fail(const std::string& message) {
        error = sourceError(recipeFile, lineNumber, message);
        return false;
    }

    bool readSide(const std::string& word, int& side) {
        long long value = 0;
        if (!parseInteger(word, value) || value < 1 || value > MaxCanvasSide) {
            return fail("'" + word + "' is not a size from 1 to " + std::to_string(MaxCanvasSide));
        }
        side = static_cast<int>(value);
        return true;
    }

    bool claimPath(const std::string& path, ImageFormat format) {
        if (!isSafeOutputPath(path)) {
            return fail("'" + path + "' is not a relative path inside the output directory");
        }
        const std::string extension = std::filesystem::path(path).extension().string();
        if ((format == ImageFormat::Png) != (extension == ".png") ||
            (format == ImageFormat::Jpeg && extension != ".jpg")) {
            return fail("'" + path + "' does not end in the extension of its format");
        }
        if (!paths.insert(path).second) {
            return fail("'" + path + "' is made twice");
        }
        return true;
    }

    bool line(const std::vector<std::string>& words) {
        const std::string& command = words[0];
        if (command == "palette") {
            if (words.size() != 2) {
                return fail("expected palette FILE");
            }
            if (havePalette) {
                return fail("only one palette");
            }
            std::string text;
            std::string readError;
            if (!readTextFile(sourceRoot / words[1], text, readError)) {
                return fail(readError);
            }
            havePalette = true;
            return parsePalette(text, words[1], palette, error);
        }
        if (command == "maps") {
            if (words.size() != 2) {
                return fail("expected maps FILE");
            }
            if (!havePalette) {
                return fail("maps before the palette");
            }
            std::string text;
            std::string readError;
            if (!readTextFile(sourceRoot / words[1], text, readError)) {
                return fail(readError);
            }
            return parseMaps(text, words[1], palette, maps, error);
        }
        if (command == "png" || command == "jpeg") {
            const bool jpeg = command == "jpeg";
            if (words.size() != (jpeg ? 5u : 4u)) {
                return fail(jpeg ? "expected jpeg PATH WIDTH HEIGHT QUALITY"
                                 : "expected png PATH WIDTH HEIGHT");
            }
            ImageOutput output;
            output.format = jpeg ? ImageFormat::Jpeg : ImageFormat::Png;
            int width = 0;
            int height = 0;
            if (!claimPath(words[1], output.format) || !readSide(words[2], width) ||
                !readSide(words[3], height)) {
                return false;
            }
            if (jpeg) {
                long long quality = 0;
                if (!parseInteger(words[4], quality) || quality < 1 || quality > 100) {
                    return fail("'" + words[4] + "' is not a quality from 1 to 100");
                }
                output.quality = static_cast<int>(quality);
            }
            output.path = words[1];
            output.image = blankImage(width, height);
            outputs.push_back(std::move(output));
            return true;
        }
        if (command == "draw") {
            if (words.size() != 4 && !(words.size() == 5 && words[4] == "flip")) {
                return fail("expected draw MAP X Y [flip]");
            }
            if (outputs.empty()) {
                return fail("draw before any image");
            }
            auto found = maps.find(words[1]);
            if (found == maps.end()) {
                return fail("no map named '" + words[1] + "'");
            }
            long long x = 0;
            long long y = 0;
            if (!parseInteger(words[2], x) || !parseInteger(words[3], y)) {
                return fail("expected whole numbers for X and Y");
            }
            RgbaImage& canvas = outputs.back().image;
            const PixelMap& map = found->second;
            if (x < 0 || y < 0 || x + map.width > canvas.width || y + map.height > canvas.height) {
                return fail("map '" + words[1] + "' at " + words[2] + " " + words[3] + " does not fit in " +
                            std::to_string(canvas.width) + " x " + std::to_string(canvas.height));
            }
            drawMap(canvas, map, palette, static_cast<int>(x), static_cast<int>(y), words.size() == 5);
            return true;
        }
        if (command == "mirror") {
            if (words.size() != 3) {
                return fail("expected mirror PATH SOURCE");
            }
            const ImageOutput* source = nullptr;
            for (const ImageOutput& output : outputs) {
                if (output.path == words[2]) {
                    source = &output;
                }
            }
            if (!source) {
                return fail("no image '" + words[2] + "' made before this line");
            }
            ImageOutput output;
            output.format = source->format;
            output.quality = source->quality;
            if (!claimPath(words[1], output.format)) {
                return false;
            }
            output.path = words[1];
            output.image = mirroredImage(source->image);
            outputs.push_back(std::move(output));
            return true;
        }
        return fail("unknown word '" + command + "'");
    }
};

} // namespace

bool buildImages(const std::filesystem::path& sourceRoot, const std::string& recipeFile,
                 std::vector<ImageOutput>& outputs, std::string& error) {
    std::string text;
    if (!readTextFile(sourceRoot / recipeFile, text, error)) {
        return false;
    }
    RecipeReader reader(sourceRoot, recipeFile, outputs, error);
    for (const SourceLine& line : splitLines(text)) {
        std::vector<std::string> words = splitWords(line.text);
        if (words.empty() || words[0].front() == '#') {
            continue;
        }
        reader.lineNumber = line.number;
        if (!reader.line(words)) {
            return false;
        }
    }
    for (const ImageOutput& output : outputs) {
        if (output.format == ImageFormat::Jpeg && !isOpaque(output.image)) {
            error = recipeFile + ": '" + output.path + "' has transparent pixels, which JPEG cannot keep";
            return false;
        }
    }
    return true;
}
