#pragma once
#include "world/ObjectRef.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

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
    // Adds the type unless the name is taken: the first factory for a name stays.
    void registerType(std::string_view name, ObjectFactory factory);
    // A new object of the named type, held by the returned reference (its only one);
    // empty for a name that is not registered or a factory that gave nothing.
    ObjectRef create(std::string_view name) const;
    bool contains(std::string_view name) const;
    void clear() { factories.clear(); }

  private:
    std::map<std::string, ObjectFactory, std::less<>> factories;
};

// The program's one registry, empty until the world registers its types.
ObjectRegistry& objectRegistry();
