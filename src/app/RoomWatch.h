#pragma once
#include <cstdint>
#include <string>
#include <vector>

// For room authors (marrowgast --watch): remembers the files the current room was read from
// (the room file, and the animation sets and images it uses) as they stood then, so that an
// edit on disk can be noticed and the room read again behind the next curtain. While one is
// started, each room file read empties the texture cache, so that every image the room uses
// is read from disk again (and seen by the watch). One at a time.
class RoomWatch {
  public:
    RoomWatch() = default;
    ~RoomWatch();
    RoomWatch(const RoomWatch&) = delete;
    RoomWatch& operator=(const RoomWatch&) = delete;

    // Takes the world's room-file hook and the data-file hook; start before the world loads.
    void start();
    // A file the current room was read from changed, appeared or went since it was read; also
    // true while the current room's file could not be read, so it is tried again.
    bool changed() const;

    struct Stamp {
        std::string fileName;
        bool exists = false;
        std::int64_t modified = 0;
        std::int64_t size = 0;
        std::uint64_t inode = 0;
    };

  private:
    static void fileOpened(const std::string& fileName);
    void roomFileOpened(const std::string& fileName);

    std::vector<Stamp> files;
    bool started = false;
};
