#include "world/GameObject.h"
#include "world/ObjectRef.h"
#include "world/ObjectRegistry.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// GameObject cannot be copied, so tests build their boxes in place.
void place(GameObject& object, float x, float y, float w, float h) {
    object.x = x;
    object.y = y;
    object.w = w;
    object.h = h;
}

TEST(Overlaps, SharedEdgesTouchAndAGapDoesNot) {
    GameObject platform;
    place(platform, 10.0f, 20.0f, 4.0f, 1.0f); // covers x 10..14, y 19..20
    EXPECT_TRUE(platform.overlaps(14.0f, 20.0f, 2.0f, 3.0f));
    EXPECT_FALSE(platform.overlaps(14.001f, 20.0f, 2.0f, 3.0f));
    EXPECT_TRUE(platform.overlaps(8.0f, 20.0f, 2.0f, 3.0f));
    EXPECT_FALSE(platform.overlaps(7.999f, 20.0f, 2.0f, 3.0f));
    // Standing on top: the other box's bottom at the platform's top.
    EXPECT_TRUE(platform.overlaps(11.0f, 19.0f, 2.0f, 3.0f));
    EXPECT_FALSE(platform.overlaps(11.0f, 18.999f, 2.0f, 3.0f));
    // Hanging below: the other box's top at the platform's bottom.
    EXPECT_TRUE(platform.overlaps(11.0f, 23.0f, 2.0f, 3.0f));
    EXPECT_FALSE(platform.overlaps(11.0f, 23.001f, 2.0f, 3.0f));
    // Both edges at once: only the corner touches.
    EXPECT_TRUE(platform.overlaps(14.0f, 19.0f, 2.0f, 3.0f));
}

TEST(Overlaps, IdenticalAndEqualCoordinates) {
    GameObject object;
    place(object, 3.0f, 7.0f, 2.0f, 1.75f);
    EXPECT_TRUE(object.overlaps(3.0f, 7.0f, 2.0f, 1.75f));
    // Equal x with other widths, equal y with other heights: still meeting.
    EXPECT_TRUE(object.overlaps(3.0f, 6.0f, 0.5f, 1.0f));
    EXPECT_TRUE(object.overlaps(3.0f, 7.0f, 9.0f, 0.25f));
    EXPECT_TRUE(object.overlaps(2.0f, 7.0f, 1.0f, 30.0f));
    EXPECT_FALSE(object.overlaps(3.0f, 4.0f, 2.0f, 1.0f));
    EXPECT_FALSE(object.overlaps(6.0f, 7.0f, 2.0f, 1.75f));
}

TEST(Overlaps, BoxInsideBoxEitherWayRound) {
    GameObject outer;
    place(outer, 0.0f, 30.0f, 40.0f, 30.0f);
    GameObject inner;
    place(inner, 12.5f, 17.0f, 2.0f, 3.0f);
    EXPECT_TRUE(outer.overlaps(inner.x, inner.y, inner.w, inner.h));
    EXPECT_TRUE(inner.overlaps(outer.x, outer.y, outer.w, outer.h));
    // Zero-size boxes on an edge or corner.
    EXPECT_TRUE(inner.overlaps(14.5f, 14.0f, 0.0f, 0.0f));
    EXPECT_TRUE(inner.overlaps(12.5f, 17.0f, 0.0f, 0.0f));
    EXPECT_FALSE(inner.overlaps(14.5f, 13.9f, 0.0f, 0.0f));
    GameObject point;
    place(point, 14.5f, 14.0f, 0.0f, 0.0f);
    EXPECT_TRUE(point.overlaps(inner.x, inner.y, inner.w, inner.h));
}

int deletions = 0;

class Counted : public GameObject {
  public:
    ~Counted() override { ++deletions; }
};

class ObjectRefTest : public ::testing::Test {
  protected:
    void SetUp() override { deletions = 0; }
};

TEST_F(ObjectRefTest, CountsHandlesAndDeletesWithTheLast) {
    auto* object = new Counted;
    {
        ObjectRef first(object);
        EXPECT_EQ(object->refCount, 1u);
        {
            ObjectRef second = first;
            EXPECT_EQ(object->refCount, 2u);
            EXPECT_EQ(second.get(), object);
        }
        EXPECT_EQ(object->refCount, 1u);
        EXPECT_EQ(deletions, 0);
        first.reset();
        EXPECT_FALSE(first);
        EXPECT_EQ(deletions, 1);
    }
    EXPECT_EQ(deletions, 1);
}

TEST_F(ObjectRefTest, MovingHandsOverWithoutCounting) {
    auto* object = new Counted;
    ObjectRef first(object);
    ObjectRef second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(object->refCount, 1u);
    ObjectRef third;
    third = std::move(second);
    EXPECT_EQ(object->refCount, 1u);
    EXPECT_EQ(third.get(), object);
    ObjectRef& alias = third;
    third = std::move(alias);
    EXPECT_EQ(object->refCount, 1u);
    EXPECT_EQ(deletions, 0);
    third = ObjectRef();
    EXPECT_EQ(deletions, 1);
}

TEST_F(ObjectRefTest, AssigningDropsTheOldObject) {
    auto* a = new Counted;
    auto* b = new Counted;
    ObjectRef refA(a);
    ObjectRef refB(b);
    const ObjectRef& sameA = refA;
    refA = sameA; // self-assignment keeps the object
    EXPECT_EQ(a->refCount, 1u);
    EXPECT_EQ(deletions, 0);
    refA = refB;
    EXPECT_EQ(deletions, 1); // a went with its only handle
    EXPECT_EQ(b->refCount, 2u);
    refB = ObjectRef();
    EXPECT_EQ(b->refCount, 1u);
    ObjectRef empty;
    ObjectRef emptyCopy = empty;
    EXPECT_FALSE(emptyCopy);
    refA = emptyCopy;
    EXPECT_EQ(deletions, 2);
}

GameObject* makeCounted() {
    return new Counted;
}
GameObject* makeNothing() {
    return nullptr;
}

class Marked : public GameObject {
  public:
    int kind() override { return 3; }
};

TEST_F(ObjectRefTest, RegistryKeepsTheFirstFactoryAndMatchesExactly) {
    ObjectRegistry registry;
    EXPECT_FALSE(registry.create("platform"));
    registry.registerType("platform", makeCounted);
    registry.registerType("platform", makeObject<Marked>);
    registry.registerType("lift", makeObject<Marked>);
    ObjectRef platform = registry.create("platform");
    ASSERT_TRUE(platform);
    EXPECT_EQ(platform->kind(), 0);
    EXPECT_EQ(platform->refCount, 1u);
    EXPECT_EQ(registry.create("lift")->kind(), 3);
    for (const char* name : {"Platform", "PLATFORM", "platform ", "platfor", "platforms", ""})
        EXPECT_FALSE(registry.create(name)) << name;
    EXPECT_TRUE(registry.contains("lift"));
    platform.reset();
    EXPECT_EQ(deletions, 1);
    // A factory that gives nothing makes nothing.
    registry.registerType("broken", makeNothing);
    EXPECT_FALSE(registry.create("broken"));
}

TEST_F(ObjectRefTest, TheProgramsRegistryIsOneInstanceThatCanBeEmptied) {
    objectRegistry().clear();
    objectRegistry().registerType("searchable", makeCounted);
    EXPECT_TRUE(objectRegistry().contains("searchable"));
    EXPECT_EQ(&objectRegistry(), &objectRegistry());
    objectRegistry().clear();
    EXPECT_FALSE(objectRegistry().create("searchable"));
}

} // namespace
