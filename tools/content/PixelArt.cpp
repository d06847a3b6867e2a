#include "content/PixelArt.h"

#include "content/SourceText.h"

namespace {

bool isComment(const std::string& line) {
    return !line.empty() && line.front() == '#';
}

bool isBlank(const std::string& line) {
    return splitWords(line).empty();
}

std::string trimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

} // namespace

bool parsePalette(std::string_view text, const std::string& fileName, Palette& palette, std::string& error) {
    for (const SourceLine& line : splitLines(text)) {
        if (isComment(line.text) || isBlank(line.text)) {
            continue;
        }
        std::vector<std::string> words = splitWords(line.text);
        if (words.size() != 4 && words.size() != 5) {
            error = sourceError(fileName, line.number, "expected SYMBOL RED GREEN BLUE [ALPHA]");
            return false;
        }
        if (words[0].size() != 1 || words[0][0] == '#' || words[0][0] < '!' || words[0][0] > '~') {
            error = sourceError(fileName, line.number, "a symbol is one printable character other than '#'");
            return false;
        }
        std::uint8_t channels[4] = {0, 0, 0, 255};
        for (std::size_t i = 1; i < words.size(); ++i) {
            long long value = 0;
            if (!parseInteger(words[i], value) || value < 0 || value > 255) {
                error = sourceError(fileName, line.number, "'" + words[i] + "' is not a value from 0 to 255");
                return false;
            }
            channels[i - 1] = static_cast<std::uint8_t>(value);
        }
        if (!palette.emplace(words[0][0], Colour{channels[0], channels[1], channels[2], channels[3]})
                 .second) {
            error = sourceError(fileName, line.number, "symbol '" + words[0] + "' defined twice");
            return false;
        }
    }
    return true;
}

bool parseMaps(std::string_view text, const std::string& fileName, const Palette& palette, MapLibrary& maps,
               std::string& error) {
    PixelMap* open = nullptr;
    std::string openName;
    int openLine = 0;
    auto close = [&]() {
        if (open && open->height == 0) {
            error = sourceError(fileName, openLine, "map '" + openName + "' has no rows");
            return false;
        }
        open = nullptr;
        return true;
    };
    for (const SourceLine& line : splitLines(text)) {
        std::vector<std::string> words = splitWords(line.text);
        if (isComment(line.text) || words.empty()) {
            if (!close()) {
                return false;
            }
            continue;
        }
        if (words[0] == "map") {
            if (!close()) {
                return false;
            }
            if (words.size() != 2) {
                error = sourceError(fileName, line.number, "expected map NAME");
                return false;
            }
            auto [entry, added] = maps.emplace(words[1], PixelMap{});
            if (!added) {
                error = sourceError(fileName, line.number, "map '" + words[1] + "' defined twice");
                return false;
            }
            open = &entry->second;
            openName = words[1];
            openLine = line.number;
            continue;
        }
        if (!open) {
            error = sourceError(fileName, line.number, "pixel row outside a map");
            return false;
        }
        std::string row = trimRight(line.text);
        if (open->height > 0 && static_cast<int>(row.size()) != open->width) {
            error = sourceError(fileName, line.number,
                                "row is " + std::to_string(row.size()) + " wide, map '" + openName + "' is " +
                                    std::to_string(open->width));
            return false;
        }
        for (char symbol : row) {
            if (palette.find(symbol) == palette.end()) {
                error = sourceError(fileName, line.number,
                                    std::string("symbol '") + symbol + "' is not in the palette");
                return false;
            }
        }
        open->width = static_cast<int>(row.size());
        open->rows.push_back(row);
        ++open->height;
    }
    return close();
}

void drawMap(RgbaImage& canvas, const PixelMap& map, const Palette& palette, int x, int y, bool flip) {
    for (int row = 0; row < map.height; ++row) {
        for (int column = 0; column < map.width; ++column) {
            const Colour& source = palette.at(map.rows[row][flip ? map.width - 1 - column : column]);
            if (source.a == 0) {
                continue;
            }
            std::uint8_t* target =
                &canvas.pixels[(static_cast<std::size_t>(y + row) * canvas.width + x + column) * 4];
            if (source.a == 255 || target[3] == 0) {
                target[0] = source.r;
                target[1] = source.g;
                target[2] = source.b;
                target[3] = source.a;
                continue;
            }
            // Porter-Duff "over" in integers, so the result never depends on float rounding.
            const unsigned sa = source.a;
            const unsigned da = target[3] * (255u - sa) / 255u;
            const unsigned outA = sa + da;
            const std::uint8_t channels[3] = {source.r, source.g, source.b};
            for (int c = 0; c < 3; ++c) {
                target[c] = static_cast<std::uint8_t>((channels[c] * sa + target[c] * da + outA / 2) / outA);
            }
            target[3] = static_cast<std::uint8_t>(outA);
        }
    }
}

RgbaImage blankImage(int width, int height) {
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * height * 4u, 0);
    return image;
}

RgbaImage mirroredImage(const RgbaImage& image) {
    RgbaImage result = blankImage(image.width, image.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t from = (static_cast<std::size_t>(y) * image.width + x) * 4;
            const std::size_t to = (static_cast<std::size_t>(y) * image.width + (image.width - 1 - x)) * 4;
            for (int c = 0; c < 4; ++c) {
                result.pixels[to + c] = image.pixels[from + c];
            }
        }
    }
    return result;
}
