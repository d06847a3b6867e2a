#include "world/GameObject.h"
#include "world/ObjectRef.h"
#include "world/ObjectRegistry.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Each row: a box, another box, and whether they meet. Shared edges and corners meet.
TEST(Overlaps, SharedEdgesTouchAndAGapDoesNot) {
    const struct {
        float x, y, w, h;
        float ox, oy, ow, oh;
        bool meet;
    } cases[] = {
        {10, 20, 4, 1, 14, 20, 2, 3, true},
        {10, 20, 4, 1, 14.001f, 20, 2, 3, false},
        {10, 20, 4, 1, 8, 20, 2, 3, true},
        {10, 20, 4, 1, 7.999f, 20, 2, 3, false},
        {10, 20, 4, 1, 11, 19, 2, 3, true}, // standing on top
        {10, 20, 4, 1, 11, 18.999f, 2, 3, false},
        {10, 20, 4, 1, 11, 23, 2, 3, true}, // hanging below
        {10, 20, 4, 1, 11, 23.001f, 2, 3, false},
        {10, 20, 4, 1, 14, 19, 2, 3, true}, // corner
        {3, 7, 2, 1.75f, 3, 7, 2, 1.75f, true},
        {3, 7, 2, 1.75f, 3, 6, 0.5f, 1, true},
        {3, 7, 2, 1.75f, 3, 7, 9, 0.25f, true},
        {3, 7, 2, 1.75f, 2, 7, 1, 30, true},
        {3, 7, 2, 1.75f, 3, 4, 2, 1, false},
        {3, 7, 2, 1.75f, 6, 7, 2, 1.75f, false},
        {0, 30, 40, 30, 12.5f, 17, 2, 3, true}, // inside, either way round
        {12.5f, 17, 2, 3, 0, 30, 40, 30, true},
        {12.5f, 17, 2, 3, 14.5f, 14, 0, 0, true}, // zero-size on a corner
        {12.5f, 17, 2, 3, 12.5f, 17, 0, 0, true},
        {12.5f, 17, 2, 3, 14.5f, 13.9f, 0, 0, false},
        {14.5f, 14, 0, 0, 12.5f, 17, 2, 3, true},
    };
    for (const auto& c : cases) {
        GameObject object;
        object.x = c.x;
        object.y = c.y;
        object.w = c.w;
        object.h = c.h;
        EXPECT_EQ(object.overlaps(c.ox, c.oy, c.ow, c.oh), c.meet)
            << c.x << "," << c.y << " " << c.w << "x" << c.h << " against " << c.ox << "," << c.oy << " "
            << c.ow << "x" << c.oh;
    }
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

TEST_F(ObjectRefTest, CopiesCountMovesHandOverAndTheLastHandleDeletes) {
    auto* a = new Counted;
    auto* b = new Counted;
    {
        ObjectRef first(a);
        ObjectRef second = first;
        EXPECT_EQ(a->refCount, 2u);
        EXPECT_EQ(second.get(), a);
        ObjectRef moved(std::move(second));
        EXPECT_FALSE(second);
        ObjectRef& alias = moved;
        moved = std::move(alias); // moving onto itself keeps the object
        const ObjectRef& same = first;
        first = same; // and so does self-assignment
        EXPECT_EQ(a->refCount, 2u);
        moved.reset();
        EXPECT_FALSE(moved);
        EXPECT_EQ(a->refCount, 1u);

        ObjectRef refB(b);
        first = refB; // a goes with its last handle
        EXPECT_EQ(deletions, 1);
        EXPECT_EQ(b->refCount, 2u);
        const ObjectRef empty;
        ObjectRef emptyCopy = empty;
        EXPECT_FALSE(emptyCopy);
        first = emptyCopy;
        EXPECT_EQ(b->refCount, 1u);
        ObjectRef last;
        last = std::move(refB);
        EXPECT_EQ(b->refCount, 1u);
        EXPECT_EQ(last.get(), b);
        EXPECT_EQ(deletions, 1);
    }
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
    ObjectKind kind() override { return ObjectKind::Lift; }
};

TEST_F(ObjectRefTest, RegistryKeepsTheFirstFactoryAndMatchesExactly) {
    ObjectRegistry registry;
    EXPECT_FALSE(registry.create("platform"));
    registry.registerType("platform", makeCounted);
    registry.registerType("platform", makeObject<Marked>);
    registry.registerType("lift", makeObject<Marked>);
    ObjectRef platform = registry.create("platform");
    ASSERT_TRUE(platform);
    EXPECT_EQ(platform->kind(), ObjectKind::None);
    EXPECT_EQ(platform->refCount, 1u);
    EXPECT_EQ(registry.create("lift")->kind(), ObjectKind::Lift);
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
    objectRegistry().clear();
    EXPECT_FALSE(objectRegistry().create("searchable"));
}

} // namespace
