// marrowgast-check [--root DIR] [ROOMFILE...]: the problems of the rooms and everything
// they lead to, one `FILE:LINE: message` a line.
#include "tools/common/RoomCheck.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return runRoomCheck(args, std::cout, std::cerr);
}
