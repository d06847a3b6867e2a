#pragma once
#include "world/ObjectRef.h"
#include "world/RoomKeys.h"

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class GameObject;

// Makes one new object of its type; the registry owns nothing it makes.
using ObjectFactory = GameObject* (*)();

// The factory of a type that is default-constructible.
template <class T> GameObject* makeObject() {
    return new T;
}

// Object types by the name room files give them. Names compare byte by byte.
class ObjectRegistry {
  public:
    // Adds the type, with the keys its lines take, unless the name is taken: the first
    // factory for a name stays.
    void registerType(std::string_view name, ObjectFactory factory, std::span<const RoomKey> keys = {});
    // A new object of the named type, held by the returned reference (its only one);
    // empty for a name that is not registered or a factory that gave nothing.
    ObjectRef create(std::string_view name) const;
    bool contains(std::string_view name) const;
    // The keys a line of the named type takes; none for a name that is not registered.
    std::span<const RoomKey> keysOf(std::string_view name) const;
    // The registered names, in byte order.
    std::vector<std::string_view> names() const;
    void clear() { types.clear(); }

  private:
    struct Type {
        ObjectFactory factory = nullptr;
        std::span<const RoomKey> keys;
    };
    std::map<std::string, Type, std::less<>> types;
};

// The program's one registry, empty until the world registers its types.
ObjectRegistry& objectRegistry();
