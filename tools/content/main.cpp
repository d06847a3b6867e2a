// make_content: paints the game's images and synthesizes its sounds from the sources under
// art/, writing them under res/.
//   make_content [SOURCE_ROOT [OUTPUT_ROOT]]   both default to the working directory
#include "content/ContentBuilder.h"
#include "tools/common/LastResort.h"

#include <cstdio>

int main(int argc, char** argv) {
    return runToTheEnd("make_content", [&] {
        if (argc > 3) {
            std::fprintf(stderr, "usage: make_content [SOURCE_ROOT [OUTPUT_ROOT]]\n");
            return 2;
        }
        const std::filesystem::path sourceRoot = argc > 1 ? argv[1] : ".";
        const std::filesystem::path outputRoot = argc > 2 ? argv[2] : sourceRoot;
        std::vector<std::string> written;
        std::string error;
        if (!buildContent(sourceRoot, outputRoot, written, error)) {
            std::fprintf(stderr, "make_content: %s\n", error.c_str());
            return 1;
        }
        for (const std::string& path : written) {
            std::printf("%s\n", path.c_str());
        }
        return 0;
    });
}
