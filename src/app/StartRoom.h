#pragma once
#include <string_view>

// Where a run starts: a room of the ring, from 1, entered from a side, 0 left or 1 right. The
// game starts in room 1 from the left; --room and --side (the game's and the replay tool's)
// choose another.
struct StartRoom {
    int room = 1;
    int side = 0;
};

// "1" to the ring's size: true with `room` set; anything else (signs, blanks, "02x") is false.
bool readStartRoomNumber(std::string_view word, int& room);
// "left" or "right", exactly: true with `side` set.
bool readStartSide(std::string_view word, int& side);
// The side's word, for messages and recordings.
const char* startSideName(int side);
