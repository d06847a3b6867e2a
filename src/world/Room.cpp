#include "world/Room.h"

#include "definitions/AnimationSet.h"
#include "definitions/DefinitionFile.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"

Room::Room(ObjectRegistry& registry) : registry(&registry) {}

Room::~Room() {
    dropObjects();
}

void Room::dropObjects() {
    still.forget();
    // In list order, so that objects go in the order the room file named them.
    for (ObjectRef& object : objectList)
        object.reset();
    objectList.clear();
}

bool Room::loadFile(const std::string& fileName) {
    DefinitionFile file;
    file.observer = observer;
    if (!file.open(fileName))
        return false;
    dropObjects();
    if (onFileOpened)
        onFileOpened(fileName);
    // Objects naming the same set file share what it defines, read once for this room.
    AnimationSetFiles setFiles;
    TokenList tokens;
    tokens.observer = observer;
    while (!file.atEnd()) {
        file.readLine(tokens);
        handleLine(tokens);
    }
    resetAll();
    return true;
}

void Room::handleLine(TokenList& tokens) {
    if (tokens.empty())
        return;
    ObjectRef object = registry->create(tokens.front());
    if (!object) {
        if (observer != nullptr)
            observer->unknownType(tokens.front());
        return;
    }
    const std::string type = tokens.front();
    tokens.popFront();
    object->load(tokens);
    if (observer != nullptr)
        observer->objectRead(type, *object);
    if (object->rejected) {
        if (observer != nullptr)
            observer->objectRejected(type);
        return;
    }
    objectList.push_back(std::move(object));
}

void Room::updateAll() {
    for (ObjectRef& object : objectList) {
        if (object->updates)
            object->update();
    }
}

void Room::resetAll() {
    for (ObjectRef& object : objectList)
        object->reset();
}

void Room::drawAll(std::uint32_t background) {
    still.drawPass(objectList, background);
    for (const std::int32_t layer : {2, 1}) {
        for (ObjectRef& object : objectList) {
            if (object->drawLayer == layer)
                object->draw();
        }
    }
}

void Room::collectOverlapping(float x, float y, float w, float h, std::vector<ObjectRef>& list) {
    for (ObjectRef& object : objectList) {
        if (object->boxOnly ? object->boxOverlaps(x, y, w, h) : object->overlaps(x, y, w, h))
            list.emplace_back(object);
    }
}
