#include "app/RoomWatch.h"

#include "definitions/DataFile.h"
#include "definitions/Quoted.h"
#include "graphics/Graphics.h"
#include "world/World.h"

#include <utility>

namespace {

RoomWatch* activeWatch = nullptr;

RoomWatch::Stamp stampOf(const std::string& fileName) {
    return {fileName, fileStampOf(dataFilePath(fileName))};
}

// The file as it is now, in place of what was known of it.
void restamp(std::vector<RoomWatch::Stamp>& stamps, const std::string& fileName) {
    for (RoomWatch::Stamp& known : stamps) {
        if (known.fileName == fileName) {
            known = stampOf(fileName);
            return;
        }
    }
    stamps.push_back(stampOf(fileName));
}

bool isImage(const std::string& fileName) {
    return fileName.ends_with(".png") || fileName.ends_with(".jpg") || fileName.ends_with(".jpeg");
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
    // Sounds belong to the game, and what opens before the first room (the player's set and
    // images) is read once for the whole run.
    if (activeWatch == nullptr || activeWatch->roomFiles.empty() || fileName.ends_with(".wav"))
        return;
    restamp(isImage(fileName) ? activeWatch->images : activeWatch->roomFiles, fileName);
}

void RoomWatch::roomFileOpened(const std::string& fileName) {
    roomFiles.clear();
    roomFiles.push_back(stampOf(fileName));
    // Images changed on disk are read again by this room, and by any other that shows them.
    for (Stamp& known : images) {
        Stamp now = stampOf(known.fileName);
        if (known.file != now.file) {
            theGraphics.textureCache.forget(known.fileName);
            known = std::move(now);
        }
    }
}

bool RoomWatch::changed() const {
    if (world.currentRoom != world.loadedRoom)
        return true;
    for (const std::vector<Stamp>* stamps : {&roomFiles, &images})
        for (const Stamp& known : *stamps)
            if (known.file != stampOf(known.fileName).file)
                return true;
    return false;
}

std::string RoomWatch::unreadableRoom() const {
    if (world.currentRoom >= world.roomFiles.size())
        return "";
    const std::string& file = world.roomFiles[world.currentRoom];
    const DataFileStatus status = dataFileStatus(file, MaxDefinitionFileBytes);
    if (status.problem == DataFileProblem::None)
        return "";
    return "cannot read " + quotedText(file) + ": " +
           describeDataFileProblem(status, MaxDefinitionFileBytes) + "; the room stays as it was";
}
