#pragma once
#include <string>
#include <vector>

#include "platform/system/FileStamp.h"

// For room authors (marrowgast --watch): remembers the files the current room was read from
// (the room file and the animation sets it names, read with every room) and the images the
// rooms have shown (read once and kept), as they stood when read, so that an edit on disk is
// noticed and the room read again behind the next curtain, with the changed images read again
// too. One at a time.
class RoomWatch {
  public:
    RoomWatch() = default;
    ~RoomWatch();
    RoomWatch(const RoomWatch&) = delete;
    RoomWatch& operator=(const RoomWatch&) = delete;

    // Takes the world's room-file hook and the data-file hook; start before the world loads.
    void start();
    // A file of the current room, or an image a room showed, changed, appeared or went since it
    // was read; also true while the current room's file could not be read, so it is tried
    // again. Each room file read drops the changed images from the texture cache first, so
    // the room reads them from disk.
    bool changed() const;
    // What to tell the room author when the room file the world is about to read again cannot
    // be read (the room then stays as it was); empty when it can.
    std::string unreadableRoom() const;

    struct Stamp {
        // The name as the game reads it (res/...), which the texture cache knows it by.
        std::string fileName;
        FileStamp file;
    };

  private:
    static void fileOpened(const std::string& fileName);
    void roomFileOpened(const std::string& fileName);

    std::vector<Stamp> roomFiles;
    std::vector<Stamp> images;
    bool started = false;
};
