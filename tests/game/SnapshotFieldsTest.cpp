// A part's one list of fields is all that saving, putting back, comparing, hashing and the
// object trace read: a field added to the list is picked up by each with nothing else changed.
#include "game/SnapshotFields.h"

#include "tools/common/Replay.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// A room object of the tests' own, with a link to another object.
class Gadget : public GameObject {
  public:
    std::int32_t mode = 0;
    float charge = 0.0f;
    GameObject* holder = nullptr;
};

struct GadgetSnapshot {
    using Object = Gadget;
    float y = 0.0f;
    std::int32_t mode = 0;
    ObjectHandle holder = NoObject;
    static constexpr auto fields() {
        using S = GadgetSnapshot;
        return std::tuple{field("y", &S::y, &Gadget::y, 2), field("mode", &S::mode, &Gadget::mode, 1),
                          field("holder", &S::holder, &Gadget::holder)};
    }
};

// The same part with one field more, traced between the other two.
struct ChargedGadgetSnapshot {
    using Object = Gadget;
    float y = 0.0f;
    std::int32_t mode = 0;
    ObjectHandle holder = NoObject;
    float charge = 0.0f;
    static constexpr auto fields() {
        using S = ChargedGadgetSnapshot;
        return std::tuple{field("y", &S::y, &Gadget::y, 3), field("mode", &S::mode, &Gadget::mode, 1),
                          field("holder", &S::holder, &Gadget::holder),
                          field("charge", &S::charge, &Gadget::charge, 2)};
    }
};

template <class Part> std::uint64_t hashOf(const Part& part) {
    WordHash hash;
    hash.addFields(part);
    return hash.value;
}

// Saves `gadget`, changes it, puts it back; then the charge as it came back, whether the charge
// alone tells two saves apart and changes their hash, and the trace's detail column.
template <class Part> void roundTrip(float& chargeBack, bool& told, bool& hashed, std::string& detail) {
    std::vector<ObjectRef> objects;
    objects.emplace_back(new Gadget);
    objects.emplace_back(new Gadget);
    GameObject player;
    const ObjectHandles handles(objects, &player);
    Gadget& gadget = static_cast<Gadget&>(*objects[1]);
    gadget.y = 2.5f;
    gadget.mode = 7;
    gadget.charge = 0.75f;
    gadget.holder = objects[0].get();

    Part saved;
    saveFields(saved, gadget, handles);
    EXPECT_EQ(saved.holder, 0);
    detail.clear();
    appendDetail<Part>(detail, gadget);

    gadget.charge = 0.25f;
    Part other;
    saveFields(other, gadget, handles);
    told = !sameFields(saved, other);
    hashed = hashOf(saved) != hashOf(other);

    gadget.charge = 0.0f;
    gadget.y = 0.0f;
    gadget.mode = 0;
    gadget.holder = &player;
    restoreFields(saved, gadget, handles);
    EXPECT_EQ(gadget.y, 2.5f);
    EXPECT_EQ(gadget.mode, 7);
    EXPECT_EQ(gadget.holder, objects[0].get());
    chargeBack = gadget.charge;
}

TEST(SnapshotFields, AFieldAddedToTheListIsSavedComparedHashedAndTraced) {
    static_assert(describesEveryWord<GadgetSnapshot>() && describesEveryWord<ChargedGadgetSnapshot>());
    float chargeBack = 0.0f;
    bool told = true;
    bool hashed = true;
    std::string detail;

    roundTrip<GadgetSnapshot>(chargeBack, told, hashed, detail);
    EXPECT_EQ(chargeBack, 0.0f);
    EXPECT_FALSE(told);
    EXPECT_FALSE(hashed);
    EXPECT_EQ(detail, "7/2.5");

    roundTrip<ChargedGadgetSnapshot>(chargeBack, told, hashed, detail);
    EXPECT_EQ(chargeBack, 0.75f);
    EXPECT_TRUE(told);
    EXPECT_TRUE(hashed);
    EXPECT_EQ(detail, "7/0.75/2.5");
}

} // namespace
