#pragma once
#include <array>
#include <cstddef>
#include <string>

#include "world/World.h"

class ObjectRegistry;

// The ring of rooms, in order: walking out at the right edge leads to the next file, from the
// last to the first, and at the left edge back.
inline constexpr std::array<const char*, 4> RingRoomFiles = {
    "res/rooms/room1.txt",
    "res/rooms/room2.txt",
    "res/rooms/room3.txt",
    "res/rooms/room4.txt",
};
inline constexpr std::size_t RingSize = RingRoomFiles.size();

// The application's part of every frame renderWorld draws, run once the whole frame is on the
// back buffer: the game saves a requested screenshot there. Installed by the set-up; loading and
// shutting down the world leave it alone.
extern void (*afterWorldDrawn)();

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
