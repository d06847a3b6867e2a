#pragma once
#include "world/GameObject.h"

// A counted reference to a GameObject, possibly empty. The object is deleted when the
// last reference to it goes. Counting is not atomic: everything runs on one thread.
class ObjectRef {
  public:
    ObjectRef() = default;
    explicit ObjectRef(GameObject* object);
    ObjectRef(const ObjectRef& other);
    ObjectRef(ObjectRef&& other) noexcept;
    ObjectRef& operator=(const ObjectRef& other);
    ObjectRef& operator=(ObjectRef&& other) noexcept;
    ~ObjectRef();

    // Drops the reference (deleting the object if it was the last) and leaves this empty.
    void reset();

    GameObject* get() const { return object; }
    GameObject* operator->() const { return object; }
    GameObject& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }

  private:
    GameObject* object = nullptr;
};
