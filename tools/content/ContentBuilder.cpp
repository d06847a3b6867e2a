#include "content/ContentBuilder.h"

#include "content/ImageRecipe.h"
#include "content/PixelArt.h"
#include "content/SourceText.h"
#include "content/Synth.h"
#include "content/WavFile.h"
#include "platform/ImageFile.h"
#include "platform/OutputFile.h"

#include <set>

bool buildContent(const std::filesystem::path& sourceRoot, const std::filesystem::path& outputRoot,
                  std::vector<std::string>& written, std::string& error) {
    written.clear();
    error.clear();
    std::vector<ImageOutput> images;
    if (!buildImages(sourceRoot, ImageRecipeFile, images, error)) {
        return false;
    }
    std::string text;
    std::vector<SoundRecipe> sounds;
    if (!readTextFile(sourceRoot / SoundRecipeFile, text, error) ||
        !parseSounds(text, SoundRecipeFile, sounds, error)) {
        return false;
    }
    std::set<std::string> paths;
    for (const ImageOutput& image : images) {
        paths.insert(image.path);
    }
    for (const SoundRecipe& sound : sounds) {
        if (!paths.insert(sound.path).second) {
            error = "'" + sound.path + "' is made both as an image and as a sound";
            return false;
        }
    }

    auto prepare = [&](const std::string& path) {
        std::error_code code;
        std::filesystem::create_directories((outputRoot / path).parent_path(), code);
        if (code) {
            error = (outputRoot / path).parent_path().generic_string() + ": cannot make the directory";
            return false;
        }
        return true;
    };
    for (const ImageOutput& image : images) {
        const std::string target = (outputRoot / image.path).string();
        const bool ok =
            prepare(image.path) &&
            (image.format == ImageFormat::Jpeg ? writeJpegFile(target, image.image, image.quality)
                                               : writePngFile(target, image.image, !isOpaque(image.image)));
        if (!ok) {
            if (error.empty()) {
                error = target + ": cannot write";
            }
            return false;
        }
        written.push_back(image.path);
    }
    for (const SoundRecipe& sound : sounds) {
        if (!prepare(sound.path))
            return false;
        const std::vector<std::uint8_t> wav = encodeWav(synthesize(sound), sound.rate);
        std::string why;
        if (!replaceFile((outputRoot / sound.path).string(),
                         std::string_view(reinterpret_cast<const char*>(wav.data()), wav.size()), why)) {
            if (error.empty()) {
                error = (outputRoot / sound.path).generic_string() + ": cannot write: " + why;
            }
            return false;
        }
        written.push_back(sound.path);
    }
    return true;
}
