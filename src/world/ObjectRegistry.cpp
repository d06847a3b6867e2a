#include "world/ObjectRegistry.h"

void ObjectRegistry::registerType(std::string_view name, ObjectFactory factory,
                                  std::span<const RoomKey> keys) {
    if (factory != nullptr)
        types.try_emplace(std::string(name), Type{factory, keys});
}

ObjectRef ObjectRegistry::create(std::string_view name) const {
    const auto found = types.find(name);
    if (found == types.end())
        return ObjectRef();
    return ObjectRef(found->second.factory());
}

bool ObjectRegistry::contains(std::string_view name) const {
    return types.find(name) != types.end();
}

std::span<const RoomKey> ObjectRegistry::keysOf(std::string_view name) const {
    const auto found = types.find(name);
    return found == types.end() ? std::span<const RoomKey>() : found->second.keys;
}

std::vector<std::string_view> ObjectRegistry::names() const {
    std::vector<std::string_view> list;
    for (const auto& [name, type] : types)
        list.push_back(name);
    return list;
}

ObjectRegistry& objectRegistry() {
    static ObjectRegistry registry;
    return registry;
}
