#include "world/ObjectRegistry.h"

void ObjectRegistry::registerType(std::string_view name, ObjectFactory factory) {
    if (factory != nullptr)
        factories.try_emplace(std::string(name), factory);
}

ObjectRef ObjectRegistry::create(std::string_view name) const {
    const auto found = factories.find(name);
    if (found == factories.end())
        return ObjectRef();
    return ObjectRef(found->second());
}

bool ObjectRegistry::contains(std::string_view name) const {
    return factories.find(name) != factories.end();
}

ObjectRegistry& objectRegistry() {
    static ObjectRegistry registry;
    return registry;
}
