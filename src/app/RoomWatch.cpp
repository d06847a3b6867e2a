#include "app/RoomWatch.h"

#include "definitions/DataFile.h"
#include "graphics/Graphics.h"
#include "world/World.h"

#include <sys/stat.h>

namespace {

RoomWatch* activeWatch = nullptr;

RoomWatch::Stamp stampOf(const std::string& fileName) {
    RoomWatch::Stamp stamp;
    stamp.fileName = fileName;
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0)
        return stamp;
    stamp.exists = true;
    stamp.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.size = static_cast<std::int64_t>(status.st_size);
    stamp.inode = static_cast<std::uint64_t>(status.st_ino);
    return stamp;
}

bool sameStamp(const RoomWatch::Stamp& a, const RoomWatch::Stamp& b) {
    return a.exists == b.exists && a.modified == b.modified && a.size == b.size && a.inode == b.inode;
}

} // namespace

RoomWatch::~RoomWatch() {
    if (!started)
        return;
    onDataFileOpened = nullptr;
    world.onRoomFileOpened = nullptr;
    activeWatch = nullptr;
}

void RoomWatch::start() {
    activeWatch = this;
    started = true;
    onDataFileOpened = &RoomWatch::fileOpened;
    world.onRoomFileOpened = [this](const std::string& fileName) { roomFileOpened(fileName); };
}

void RoomWatch::fileOpened(const std::string& fileName) {
    // Sounds belong to the game, not to the room.
    if (activeWatch == nullptr || fileName.ends_with(".wav"))
        return;
    for (const Stamp& known : activeWatch->files)
        if (known.fileName == fileName)
            return;
    activeWatch->files.push_back(stampOf(fileName));
}

void RoomWatch::roomFileOpened(const std::string& fileName) {
    // The old room's objects are gone; the player keeps its own images.
    files.clear();
    files.push_back(stampOf(fileName));
    theGraphics.boundTexture = nullptr;
    theGraphics.textureCache.clear();
}

bool RoomWatch::changed() const {
    if (world.currentRoom != world.loadedRoom)
        return true;
    for (const Stamp& known : files)
        if (!sameStamp(known, stampOf(known.fileName)))
            return true;
    return false;
}
