#include "world/ObjectRef.h"

#include <utility>

ObjectRef::ObjectRef(GameObject* object) : object(object) {
    if (object != nullptr)
        ++object->refCount;
}

ObjectRef::ObjectRef(const ObjectRef& other) : ObjectRef(other.object) {}

ObjectRef::ObjectRef(ObjectRef&& other) noexcept : object(std::exchange(other.object, nullptr)) {}

ObjectRef& ObjectRef::operator=(const ObjectRef& other) {
    // Count the new object before dropping the old one: both may be the same object.
    ObjectRef copy(other);
    std::swap(object, copy.object);
    return *this;
}

ObjectRef& ObjectRef::operator=(ObjectRef&& other) noexcept {
    if (this != &other) {
        reset();
        object = std::exchange(other.object, nullptr);
    }
    return *this;
}

ObjectRef::~ObjectRef() {
    reset();
}

void ObjectRef::reset() {
    GameObject* dropped = std::exchange(object, nullptr);
    if (dropped != nullptr && --dropped->refCount == 0)
        delete dropped;
}
