#include "world/World.h"

#include "actors/Player.h"
#include "world/Room.h"

// The robots read the player through the world's state. Until the world's operations are
// part of the library, the test binary owns that state here; this file goes when the
// library defines `world` itself (the link then reports it twice).
World world;
