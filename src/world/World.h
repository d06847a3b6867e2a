#pragma once
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EntryPoint;
class ObjectRegistry;
class Player;
class Room;

// The world's state: the room being played, the player, the ring of room files, and the
// curtain that runs while the player dies or changes rooms. One instance for the run.
struct World {
    std::vector<std::string> roomFiles;
    std::size_t currentRoom = 0;
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
    std::unique_ptr<Room> room;
    std::unique_ptr<Player> player;
};

extern World world;

// The application's part of every frame renderWorld draws, run once the whole frame is on the
// back buffer: the game saves a requested screenshot there. Installed by the set-up; loading and
// shutting down the world leave it alone.
extern void (*afterWorldDrawn)();

// Where the player stands when a room gives it no entry point at all.
inline constexpr float DefaultStartX = 30.0f;
inline constexpr float DefaultStartY = 29.0f;

// The five room-object types by their room-file names, in the game's order: "platform",
// "robot", "searchable", "lift", "entrypoint". Names already taken keep their factory.
void registerObjectTypes(ObjectRegistry& registry);

// Start-up: drawing objects, the player, the room ring, room 1 read and the player placed
// at its left entry point. Also rewinds the game's random generator, so every world
// loaded draws the same death sounds in the same order. False, with a one-line message in
// `error` and the world as new, when room 1 cannot be read.
bool loadWorld(std::string& error);
// Puts the player into room `index` of the ring (from 0) at its entry point of `side` (0
// left, 1 right), as the end of a room change does: the file is read, the player and the
// room reset and the player placed; a pending room change is forgotten. False, with the
// world unchanged, before loadWorld, for an index or side out of range, or when the file
// cannot be read.
bool enterRingRoom(std::size_t index, int side);
// One fixed step; non-zero when the game is to quit (also while the curtain runs).
int updateWorld();
// One frame: background, room objects in their passes, the player, the curtain, then
// afterWorldDrawn. Draws nothing before loadWorld.
void renderWorld();
// Frees what loadWorld made; `world` is as new afterwards and can be loaded again.
void shutdownWorld();
