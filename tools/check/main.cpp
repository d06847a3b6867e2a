// marrowgast-check [--root DIR] [ROOMFILE...]: the problems of the rooms and everything
// they lead to, one `FILE:LINE: message` a line.
#include "tools/common/RoomCheck.h"

#include "app/DataLookup.h"
#include "tools/common/LastResort.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return runToTheEnd("marrowgast-check", [&] {
        const std::vector<std::string> args(argv + 1, argv + argc);
        DataLookup lookup = lookupForThisProgram("", MARROWGAST_DATA_FROM_EXECUTABLE, MARROWGAST_SOURCE_DATA);
        lookup.optionName = "--root";
        return runRoomCheck(args, std::cout, std::cerr, &lookup);
    });
}
