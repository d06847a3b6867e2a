#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EntryPoint;
class Player;
class Room;

// The world's state: the room being played, the player, the ring of room files, and the
// curtain that runs while the player dies or changes rooms. One instance for the run. The
// operations over it (game/WorldOperations.h) stand above the actors; the state itself only
// names them, so room objects and actors may read it.
struct World {
    std::vector<std::string> roomFiles;
    std::size_t currentRoom = 0;
    // The ring room whose objects `room` holds. It lags `currentRoom` behind the curtain,
    // and for good when the next room's file cannot be read.
    std::size_t loadedRoom = 0;
    // The entry points of the room being played, by side: 0 "left", 1 "right". Cleared
    // whenever a room file is read, so it never names an object of an emptied room.
    std::array<EntryPoint*, 2> entryPoints{};
    int entrySide = 0;
    bool roomChangePending = false;
    float curtainTimer = 0.0f;
    bool quitRequested = false;
    // Told the name of every room file the world reads, once the file is open and before
    // its objects are read and reset; none in the game, a replay notes the loads.
    std::function<void(const std::string& fileName)> onRoomFileOpened;
    // Asked when the curtain of a death has run, before the player comes back: true reads the
    // current room's file again. None in the game unless a room author asked to watch the files.
    std::function<bool()> reloadBehindCurtain;
    std::unique_ptr<Room> room;
    std::unique_ptr<Player> player;
};

extern World world;
