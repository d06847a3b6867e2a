#include "tools/common/StartRoom.h"

#include "game/WorldOperations.h"

bool enterStartRoom(int room, int side, std::string& error) {
    if (room == 1 && side == 0)
        return true;
    const std::size_t index = static_cast<std::size_t>(room - 1);
    if (index >= world.roomFiles.size() || !enterRingRoom(index, side)) {
        error = index < world.roomFiles.size() ? "cannot read \"" + world.roomFiles[index] + "\""
                                               : "no room " + std::to_string(room) + " in the ring";
        return false;
    }
    return true;
}
