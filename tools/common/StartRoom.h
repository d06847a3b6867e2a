#pragma once
#include <string>

// Where the tools start play: ring room `room` (from 1) at its entry point of `side` (0 left,
// 1 right), in a world just loaded. Room 1 from the left is the world as loaded, the game's
// own start; any other is entered as the end of a room change enters it. The replay tool and
// the solver both start here, so a script the solver finds replays from the same state.
// False, with `error` naming the room file, when it cannot be read.
bool enterStartRoom(int room, int side, std::string& error);
