#pragma once
#include "definitions/AnimationSet.h"
#include "world/GameObject.h"
#include "world/ObjectRef.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

// How a snapshot part describes what it keeps: one list of fields, each with its name, where
// the part keeps it and where the live object keeps it. Saving, putting back, comparing,
// hashing and the replay's object trace all read that list, so a field added there is saved,
// compared, hashed and (when traced) traced, and one left out fails to compile.
//
// A part is a struct of 32-bit numbers with
//   static constexpr auto fields() { return std::tuple{field(...), ...}; }
// and, for a room object, `using Object = TheType;` and `static constexpr ObjectKind Kind`.

// Links between objects are saved as handles: the place of the object in the room's list,
// or one of these.
using ObjectHandle = std::int32_t;
inline constexpr ObjectHandle NoObject = -1;
inline constexpr ObjectHandle ThePlayer = -2;

// Kept in place of a live member by fields that have none (the world's own numbers, saved
// and put back by hand).
struct NoLiveMember {};

template <class Part, class Saved, class Live> struct Field {
    std::string_view name;
    Saved Part::*saved;
    Live live;
    // Its place in the object trace's detail column, from 1; 0 leaves it out.
    int traced = 0;
};

template <class Part, class Saved, class Live>
constexpr Field<Part, Saved, Live> field(std::string_view name, Saved Part::*saved, Live live,
                                         int traced = 0) {
    return {name, saved, live, traced};
}

template <class Part, class Saved>
constexpr Field<Part, Saved, NoLiveMember> field(std::string_view name, Saved Part::*saved) {
    return {name, saved, {}, 0};
}

template <class Part, class Visit> constexpr void forEachField(Visit&& visit) {
    std::apply([&](const auto&... fields) { (visit(fields), ...); }, Part::fields());
}

// Whether the fields cover every byte of the part: a member the list forgets fails this.
template <class Part> constexpr bool describesEveryWord() {
    std::size_t bytes = 0;
    forEachField<Part>([&](const auto& f) { bytes += sizeof(std::declval<Part&>().*f.saved); });
    return std::is_trivially_copyable_v<Part> && bytes == sizeof(Part) &&
           bytes % sizeof(std::uint32_t) == 0 && alignof(Part) == alignof(std::uint32_t);
}

// How many fields go into the object trace's detail column.
template <class Part> constexpr int tracedFieldCount() {
    int count = 0;
    forEachField<Part>([&](const auto& f) { count += f.traced > 0 ? 1 : 0; });
    return count;
}

// The places of objects in a room's list, for the links between them.
class ObjectHandles {
  public:
    ObjectHandles(const std::vector<ObjectRef>& objects, GameObject* player)
        : objects(objects), player(player) {}
    ObjectHandle handleOf(const GameObject* object) const;
    GameObject* objectOf(ObjectHandle handle) const;

  private:
    const std::vector<ObjectRef>& objects;
    GameObject* player;
};

// The floats are compared and hashed by their bits on purpose: equal parts step on identically.
template <class Part> bool sameFields(const Part& a, const Part& b) {
    static_assert(describesEveryWord<Part>());
    bool same = true;
    forEachField<Part>([&](const auto& f) {
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
        same = same && std::memcmp(&(a.*f.saved), &(b.*f.saved), sizeof(a.*f.saved)) == 0;
    });
    return same;
}

class WordHash {
  public:
    void add(std::uint32_t word) {
        value = (value ^ word) * 0x100000001B3ull;
        value ^= value >> 29;
    }
    template <class Part> void addFields(const Part& part) {
        static_assert(describesEveryWord<Part>());
        forEachField<Part>([&](const auto& f) {
            const auto& member = part.*f.saved;
            // A described member is a whole number of 32-bit words.
            // NOLINTNEXTLINE(bugprone-sizeof-expression)
            for (std::size_t i = 0; i < sizeof member / sizeof(std::uint32_t); ++i) {
                std::uint32_t word = 0;
                std::memcpy(&word, reinterpret_cast<const unsigned char*>(&member) + i * sizeof word,
                            sizeof word);
                add(word);
            }
        });
    }
    template <class Part> void addList(const std::vector<Part>& list) {
        add(static_cast<std::uint32_t>(list.size()));
        for (const Part& part : list)
            addFields(part);
    }
    std::uint64_t value = 0xCBF29CE484222325ull;
};

// The value a live member is saved as: an animation's playback, a link's handle, a number as
// its 32-bit self.
template <class Saved, class Live> Saved savedValue(const Live& live, const ObjectHandles& handles) {
    if constexpr (std::is_same_v<Live, AnimationSet>)
        return live.playback();
    else if constexpr (std::is_pointer_v<Live>)
        return handles.handleOf(live);
    else
        return static_cast<Saved>(live);
}

template <class Saved, class Live>
void putBack(Live& live, const Saved& saved, const ObjectHandles& handles) {
    if constexpr (std::is_same_v<Live, AnimationSet>)
        live.setPlayback(saved);
    else if constexpr (std::is_pointer_v<Live>)
        live = static_cast<Live>(handles.objectOf(saved));
    else
        live = static_cast<Live>(saved);
}

template <class Part, class Object>
void saveFields(Part& part, const Object& object, const ObjectHandles& handles) {
    forEachField<Part>([&](const auto& f) {
        if constexpr (!std::is_same_v<decltype(f.live), NoLiveMember>)
            part.*f.saved = savedValue<std::remove_cvref_t<decltype(part.*f.saved)>>(object.*f.live, handles);
    });
}

template <class Part, class Object>
void restoreFields(const Part& part, Object& object, const ObjectHandles& handles) {
    forEachField<Part>([&](const auto& f) {
        if constexpr (!std::is_same_v<decltype(f.live), NoLiveMember>)
            putBack(object.*f.live, part.*f.saved, handles);
    });
}

// Calls visit(field) for the traced fields of `Part` in the order of the detail column.
template <class Part, class Visit> void forEachTracedField(Visit&& visit) {
    for (int place = 1; place <= tracedFieldCount<Part>(); ++place)
        forEachField<Part>([&](const auto& f) {
            if (f.traced == place)
                visit(f);
        });
}
