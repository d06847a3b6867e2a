#include "game/WorldOperations.h"

#include "actors/Player.h"
#include "actors/Random.h"
#include "actors/Robot.h"
#include "definitions/DataFile.h"
#include "definitions/FixedStep.h"
#include "definitions/Quoted.h"
#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"
#include "sound/Sound.h"
#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/ObjectRegistry.h"
#include "world/Platform.h"
#include "world/Room.h"
#include "world/Searchable.h"

#include <cstdint>

World world;
void (*afterWorldDrawn)() = nullptr;

namespace {

// The curtain closes at 15 per second and the player comes back once it has passed 30.
constexpr float CurtainSpeed = 15.0f * FixedStep;
constexpr float CurtainEnd = 30.0f;
constexpr std::uint32_t CurtainColour = 0xFF000000;

// At the entry point of the side the player came in by; a room that lacks it lends the
// other side's, and a room with neither leaves the player at the start position.
void placePlayer() {
    Player& player = *world.player;
    const std::size_t side = world.entrySide == 1 ? 1 : 0;
    const EntryPoint* entry = world.entryPoints[side];
    if (entry == nullptr)
        entry = world.entryPoints[1 - side];
    const float ex = entry != nullptr ? entry->x : DefaultStartX;
    const float ey = entry != nullptr ? entry->y : DefaultStartY;
    player.prevX = ex;
    player.x = ex;
    player.prevY = ey;
    player.y = ey;
}

void startCurtain() {
    world.curtainTimer = 0.0f;
}

void startRoomChange(int side, std::size_t nextRoom) {
    world.entrySide = side;
    world.currentRoom = nextRoom;
    world.roomChangePending = true;
    startCurtain();
    stopAllSounds();
}

} // namespace

void registerObjectTypes(ObjectRegistry& registry) {
    registry.registerType("platform", makeObject<Platform>, Platform::roomKeys());
    registry.registerType("robot", makeObject<Robot>, Robot::roomKeys());
    registry.registerType("searchable", makeObject<Searchable>, Searchable::roomKeys());
    registry.registerType("lift", makeObject<Lift>, Lift::roomKeys());
    registry.registerType("entrypoint", makeObject<EntryPoint>, EntryPoint::roomKeys());
}

bool loadWorld(std::string& error) {
    // Each world draws its death sounds from the start of the sequence.
    gameRandom = RandomGenerator{};

    setupSpriteShader();
    theSpriteRenderer = std::make_unique<SpriteRenderer>();
    world.player = std::make_unique<Player>();
    world.room = std::make_unique<Room>();
    // Emptying the room deletes the entry points the table names.
    world.room->onFileOpened = [](const std::string& fileName) {
        world.entryPoints = {};
        if (world.onRoomFileOpened)
            world.onRoomFileOpened(fileName);
    };
    registerObjectTypes(objectRegistry());

    world.roomFiles.assign(RingRoomFiles.begin(), RingRoomFiles.end());
    world.currentRoom = 0;
    if (!world.room->loadFile(world.roomFiles[world.currentRoom])) {
        const std::string& file = world.roomFiles[world.currentRoom];
        error = "cannot read the first room, " + quotedText(file) + ": " +
                whyDataFileUnreadable(file, MaxDefinitionFileBytes);
        shutdownWorld();
        return false;
    }
    world.loadedRoom = world.currentRoom;

    world.player->room = world.room.get();
    world.player->reset();
    placePlayer();
    return true;
}

bool enterRingRoom(std::size_t index, int side) {
    if (!world.room || !world.player || index >= world.roomFiles.size() || (side != 0 && side != 1))
        return false;
    if (!world.room->loadFile(world.roomFiles[index]))
        return false;
    world.loadedRoom = index;
    world.currentRoom = index;
    world.entrySide = side;
    world.roomChangePending = false;
    world.player->reset();
    placePlayer();
    return true;
}

int updateWorld() {
    if (!world.player || !world.room)
        return world.quitRequested ? 1 : 0;
    Player& player = *world.player;

    if (player.state != Dying && !world.roomChangePending) {
        world.room->updateAll();
        player.update();
        // A player that dies while leaving stays in this room.
        if (player.state == Dying) {
            startCurtain();
        } else if (player.x > RoomWidth) {
            const std::size_t next = (world.currentRoom + 1) % world.roomFiles.size();
            startRoomChange(0, next);
        } else if (player.x + player.w < 0.0f) {
            const std::size_t count = world.roomFiles.size();
            const std::size_t previous = (world.currentRoom + count - 1) % count;
            startRoomChange(1, previous);
        }
        return world.quitRequested ? 1 : 0;
    }

    world.curtainTimer += CurtainSpeed;
    if (world.curtainTimer > CurtainEnd) {
        if (world.roomChangePending) {
            // A room that cannot be read keeps the one just left, entry points and all.
            if (world.room->loadFile(world.roomFiles[world.currentRoom]))
                world.loadedRoom = world.currentRoom;
            world.roomChangePending = false;
        } else if (world.reloadBehindCurtain && world.reloadBehindCurtain()) {
            if (world.room->loadFile(world.roomFiles[world.currentRoom]))
                world.loadedRoom = world.currentRoom;
        }
        player.reset();
        placePlayer();
    }
    return world.quitRequested ? 1 : 0;
}

void renderWorld() {
    if (!theSpriteRenderer || !world.room || !world.player)
        return;
    SpriteRenderer& renderer = *theSpriteRenderer;
    setWorldCamera(renderer);
    world.room->drawAll(BackgroundColour);
    world.player->draw();
    if (world.player->state == Dying || world.roomChangePending) {
        const float t = world.curtainTimer;
        theGraphics.boundTexture = nullptr;
        // One bar grows down from the top edge, the other up from the bottom edge.
        renderer.drawQuad(0.0f, t, RoomWidth, t, 1.0f, 1.0f, CurtainColour, 1);
        renderer.drawQuad(0.0f, RoomHeight, RoomWidth, t, 1.0f, 1.0f, CurtainColour, 1);
    }
    if (afterWorldDrawn != nullptr)
        afterWorldDrawn();
}

void shutdownWorld() {
    world.room.reset();
    world.player.reset();
    theSpriteRenderer.reset();
    releaseSpriteShader();
    world = World{};
}
