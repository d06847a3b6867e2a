#pragma once
#include "world/ObjectRef.h"
#include "world/ObjectRegistry.h"
#include "world/StillLayer.h"

#include <cstdint>

#include <functional>
#include <string>
#include <vector>

class DefinitionObserver;
class TokenList;

// The objects of the room being played, in room-file order. The room owns them through
// its references; plain pointers to them elsewhere are valid while the room holds them.
class Room {
  public:
    explicit Room(ObjectRegistry& registry = objectRegistry());
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;
    ~Room();

    // Replaces the objects with those of a room file and resets them. False, with the
    // room unchanged, when the file cannot be opened.
    bool loadFile(const std::string& fileName);
    void updateAll();
    void resetAll();
    // The background, then three passes: drawLayer 0, then 2, then 1, each in list order. What
    // never moves in the first pass is drawn once per room and size and kept (`StillLayer`).
    void drawAll(std::uint32_t background);
    // Appends a new reference to every object touching the box, in list order; the list
    // is not emptied first, so a caller can keep one list and its storage for good.
    void collectOverlapping(float x, float y, float w, float h, std::vector<ObjectRef>& list);

    const std::vector<ObjectRef>& objects() const { return objectList; }
    StillLayer& stillLayer() { return still; }

    // Runs in loadFile once the file is open and the old objects are gone, before the
    // first line is read: the world forgets the old room's entry points there, and a
    // recorder notes which file was read.
    std::function<void(const std::string& fileName)> onFileOpened;
    // Told about every line and about what loading absorbs silently; none in the game.
    DefinitionObserver* observer = nullptr;

  private:
    void dropObjects();
    void handleLine(TokenList& tokens);

    ObjectRegistry* registry;
    std::vector<ObjectRef> objectList;
    StillLayer still;
};
