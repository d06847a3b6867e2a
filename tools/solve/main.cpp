// marrowgast-solve: searches each room for a key script that crosses it; see tools/common/Solver.h.
#include "tools/common/Solver.h"

#include "app/DataLookup.h"
#include "tools/common/LastResort.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return runToTheEnd("marrowgast-solve", [&] {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        DataLookup lookup = lookupForThisProgram("", MARROWGAST_DATA_FROM_EXECUTABLE, MARROWGAST_SOURCE_DATA);
        lookup.optionName = "--root";
        return solveMain(args, std::cout, std::cerr, &lookup);
    });
}
