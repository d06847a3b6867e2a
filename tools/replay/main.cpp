// marrowgast-replay: runs the game headless from a key script; see tools/common/Replay.h.
#include "tools/common/Replay.h"

#include "app/DataLookup.h"
#include "tools/common/LastResort.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return runToTheEnd("marrowgast-replay", [&] {
        std::ios::sync_with_stdio(false);
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        DataLookup lookup = lookupForThisProgram("", MARROWGAST_DATA_FROM_EXECUTABLE, MARROWGAST_SOURCE_DATA);
        lookup.optionName = "--root";
        return replayMain(args, std::cout, std::cerr, &lookup);
    });
}
