#include "BenchSupport.h"

#include "app/GameHooks.h"
#include "game/WorldOperations.h"
#include "platform/system/TemporaryFolder.h"
#include "world/ObjectRegistry.h"
#include "world/Room.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::filesystem::path benchRoot() {
    if (const char* root = std::getenv("MARROWGAST_BENCH_ROOT"); root != nullptr && *root != '\0')
        return std::filesystem::absolute(root);
    return MARROWGAST_SOURCE_DIR;
}

std::vector<RoomCensus> censusOfRooms(const std::filesystem::path& root) {
    // The census decodes images into the program's cache; its set-up empties it again, so
    // every benchmark starts cold.
    GameSetup inRoot(root);
    ObjectRegistry registry;
    registerObjectTypes(registry);
    std::vector<RoomCensus> rooms;
    for (std::size_t index = 0; index < RingSize; ++index) {
        Room room(registry);
        RoomCensus census;
        census.index = index;
        if (room.loadFile(RingRoomFiles[index])) {
            for (const ObjectRef& object : room.objects()) {
                ++census.objects;
                census.robots += object->kind() == ObjectKind::Robot ? 1 : 0;
                census.lifts += object->kind() == ObjectKind::Lift ? 1 : 0;
            }
        }
        rooms.push_back(census);
    }
    return rooms;
}

RoomCensus busiestRoom(const std::filesystem::path& root) {
    RoomCensus best;
    bool first = true;
    for (const RoomCensus& room : censusOfRooms(root)) {
        if (first || room.robots + room.lifts > best.robots + best.lifts) {
            best = room;
            first = false;
        }
    }
    return best;
}

std::string walkScriptText(std::int64_t steps) {
    std::ostringstream text;
    for (std::int64_t start = 0; start < steps; start += 240) {
        const std::int64_t s = start + 1;
        text << s << " right down\n"
             << s + 30 << " space down\n"
             << s + 31 << " space up\n"
             << s + 90 << " space down\n"
             << s + 91 << " space up\n"
             << s + 119 << " right up\n"
             << s + 120 << " left down\n"
             << s + 150 << " space down\n"
             << s + 151 << " space up\n"
             << s + 210 << " space down\n"
             << s + 211 << " space up\n"
             << s + 239 << " left up\n";
    }
    return text.str();
}

KeyScript walkScript(std::int64_t steps) {
    KeyScript script;
    std::string error;
    if (!parseKeyScript(walkScriptText(steps), "walk", script, error))
        throw std::runtime_error(error);
    return script;
}

HeadlessGame::HeadlessGame(const std::filesystem::path& root, std::size_t roomIndex, int width, int height)
    : setup(root, {.width = width, .height = height, .sound = &silence}) {
    initInput(input);
    if (!setup.ok()) {
        problem = setup.error();
        return;
    }
    if (roomIndex != 0 && !enterRingRoom(roomIndex, 0)) {
        problem = "cannot enter room " + std::to_string(roomIndex + 1);
        return;
    }
    world.onRoomFileOpened = [this](const std::string&) { ++roomLoads; };
    loaded = true;
}

HeadlessGame::~HeadlessGame() = default;

void HeadlessGame::step(const KeyScript& script, std::int64_t step) {
    const std::vector<ScriptedKey>& keys = script.events;
    for (; nextKey < keys.size() && keys[nextKey].step <= step; ++nextKey)
        queueKeyEvent(input, keys[nextKey].code, keys[nextKey].pressed);
    GameHooks hooks(input);
    hooks.pollInput();
    hooks.updateWorld();
}

std::filesystem::path writeSyntheticRoot(const std::filesystem::path& bundledRoot, int objects) {
    std::string pattern = "/tmp/marrowgast-bench-XXXXXX";
    int error = 0;
    if (!makeUniqueFolder(pattern, error))
        throw std::runtime_error("cannot make a scratch directory");
    const std::filesystem::path root = pattern;
    std::filesystem::create_directories(root / "res/rooms");
    std::filesystem::create_directory_symlink(bundledRoot / "res/textures", root / "res/textures");
    std::filesystem::create_directory_symlink(bundledRoot / "res/sound", root / "res/sound");

    std::ostringstream room;
    room << "platform start 0 30 end 39 30 texture res/textures/stone.png tile res/textures/grass_band.png\n"
         << "entrypoint position 1 29 side left\nentrypoint position 37 29 side right\n";
    // The rest cycles through the kinds the player meets: ledges, crates, lifts and robots
    // walking on shelves above the player's reach.
    for (int i = 3; i < objects; ++i) {
        const int column = (i * 7) % 36 + 1;
        const int shelf = 3 + (i % 4) * 2;
        switch (i % 4) {
        case 0:
            room << "platform start " << column << ' ' << shelf << " end " << column + 2 << ' ' << shelf
                 << " texture res/textures/wood.jpg tile res/textures/grass_band.png\n";
            break;
        case 1:
            room << "searchable position " << column << " 29 width 2 height 2 percentage 100"
                 << " texture res/textures/crate.png\n";
            break;
        case 2:
            room << "lift waypoint " << column << ' ' << shelf << " waypoint " << column << ' ' << shelf + 8
                 << " startpoint 1 texture res/textures/metal.png tile res/textures/metal_band.png\n";
            break;
        default:
            room << "robot texture res/textures/robot_a.set laser res/textures/laser.set start " << column
                 << ' ' << shelf << " direction 1 waypoints " << column << ' ' << shelf << ' ' << column + 3
                 << ' ' << shelf << " speed slow patrol movetopoint2 pause turn movetopoint1 laser\n";
            break;
        }
    }
    for (const char* name : RingRoomFiles) {
        std::ofstream out(root / name, std::ios::binary);
        out << room.str();
        if (!out)
            throw std::runtime_error("cannot write the synthetic rooms");
    }
    return root;
}

std::filesystem::path writeRobotRoot(const std::filesystem::path& bundledRoot, int robots) {
    const std::filesystem::path root = writeSyntheticRoot(bundledRoot, 3);
    std::ostringstream room;
    room << "platform start 0 30 end 39 30 texture res/textures/stone.png tile res/textures/grass_band.png\n"
         << "entrypoint position 1 29 side left\nentrypoint position 37 29 side right\n";
    for (int i = 0; i < robots; ++i) {
        const int column = (i * 7) % 36 + 1;
        const int shelf = 3 + (i % 4) * 2;
        room << "robot texture res/textures/robot_a.set laser res/textures/laser.set start " << column << ' '
             << shelf << " direction 1 waypoints " << column << ' ' << shelf << ' ' << column + 3 << ' '
             << shelf << " speed slow patrol movetopoint2 pause turn movetopoint1 laser\n";
    }
    for (const char* name : RingRoomFiles) {
        std::ofstream out(root / name, std::ios::binary);
        out << room.str();
        if (!out)
            throw std::runtime_error("cannot write the robot rooms");
    }
    return root;
}
