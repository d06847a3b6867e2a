#include "app/StartRoom.h"

#include "game/WorldOperations.h"

bool readStartRoomNumber(std::string_view word, int& room) {
    if (word.size() != 1 || word[0] < '1' || word[0] > '0' + static_cast<int>(RingSize))
        return false;
    room = word[0] - '0';
    return true;
}

bool readStartSide(std::string_view word, int& side) {
    if (word == "left")
        side = 0;
    else if (word == "right")
        side = 1;
    else
        return false;
    return true;
}

const char* startSideName(int side) {
    return side == 1 ? "right" : "left";
}
