#include "world/Room.h"

#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> events;

// A room object that reads its keys by the game's key reading pattern and logs what the
// room does with it.
class Probe : public GameObject {
  public:
    std::string name = "?";
    int count = 0;

    Probe() {
        w = 1.0f;
        h = 1.0f;
    }
    ~Probe() override { events.push_back("delete " + name); }

    void load(TokenList& tokens) override {
        while (!tokens.empty()) {
            const std::string key = tokens.takeWord();
            if (key == "name") {
                if (tokens.hasValues(key, 1))
                    name = tokens.takeWord();
            } else if (key == "at") {
                if (tokens.hasValues(key, 2)) {
                    x = tokens.takeFloat();
                    y = tokens.takeFloat();
                }
            } else if (key == "layer") {
                if (tokens.hasValues(key, 1))
                    drawLayer = tokens.takeInt();
            } else if (key == "count") {
                if (tokens.hasValues(key, 1))
                    count = tokens.takeInt();
            } else {
                tokens.unknownKey(key);
            }
        }
        events.push_back("load " + name);
    }
    void reset() override { events.push_back("reset " + name); }
    void update() override { events.push_back("update " + name); }
    void draw() override { events.push_back("draw " + name); }
};

std::vector<std::string> namesIn(const Room& room) {
    std::vector<std::string> names;
    for (const ObjectRef& object : room.objects())
        names.push_back(static_cast<const Probe&>(*object).name);
    return names;
}

class RoomTest : public ::testing::Test {
  protected:
    void SetUp() override {
        events.clear();
        registry.registerType("probe", makeObject<Probe>);
    }
    TempDir dir;
    ObjectRegistry registry;
};

TEST_F(RoomTest, BuildsObjectsFromRegisteredLinesThenResetsThem) {
    const std::string path = dir.write("room.txt", "probe name a\n"
                                                   "   probe   name   b   \r\n"
                                                   "unknown name x\n"
                                                   "Probe name c\n"
                                                   "probe\tname d\n"
                                                   "\n"
                                                   "      \n"
                                                   "probe name e");
    Room room(registry);
    EXPECT_TRUE(room.loadFile(path));
    EXPECT_EQ(namesIn(room), (std::vector<std::string>{"a", "b", "e"}));
    EXPECT_EQ(events,
              (std::vector<std::string>{"load a", "load b", "load e", "reset a", "reset b", "reset e"}));
    for (const ObjectRef& object : room.objects())
        EXPECT_EQ(object->refCount, 1u);
}

TEST_F(RoomTest, FileThatCannotBeOpenedChangesNothing) {
    Room room(registry);
    int opened = 0;
    room.onFileOpened = [&](const std::string&) { ++opened; };
    ASSERT_TRUE(room.loadFile(dir.write("room.txt", "probe name a\nprobe name b\n")));
    events.clear();
    EXPECT_FALSE(room.loadFile(dir.path("missing.txt")));
    EXPECT_FALSE(room.loadFile(dir.path("")));
    EXPECT_EQ(namesIn(room), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(opened, 1);
}

TEST_F(RoomTest, ReloadDropsOldObjectsBeforeTheHookAndTheFirstLine) {
    Room room(registry);
    ASSERT_TRUE(room.loadFile(dir.write("one.txt", "probe name a\nprobe name b")));
    const std::string two = dir.write("two.txt", "probe name c\n");
    room.onFileOpened = [&](const std::string& fileName) {
        events.push_back("opened " + std::string(fileName == two ? "two" : "?"));
        EXPECT_TRUE(room.objects().empty());
    };
    events.clear();
    ASSERT_TRUE(room.loadFile(two));
    EXPECT_EQ(events, (std::vector<std::string>{"delete a", "delete b", "opened two", "load c", "reset c"}));
    // An empty file opens: the room is left without objects.
    events.clear();
    ASSERT_TRUE(room.loadFile(dir.write("empty.txt", "")));
    EXPECT_TRUE(room.objects().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"delete c", "opened ?"}));
}

TEST_F(RoomTest, StepsResetsAndDrawsInOrder) {
    Room room(registry);
    ASSERT_TRUE(room.loadFile(dir.write("room.txt", "probe name a layer 1\n"
                                                    "probe name b layer 2\n"
                                                    "probe name c\n"
                                                    "probe name d layer 3\n"
                                                    "probe name e layer -1\n"
                                                    "probe name f layer 0\n"
                                                    "probe name g layer 2\n"
                                                    "probe name h layer 1\n")));
    events.clear();
    room.drawAll(0);
    EXPECT_EQ(events, (std::vector<std::string>{"draw c", "draw f", "draw b", "draw g", "draw a", "draw h"}));
    events.clear();
    room.updateAll();
    room.resetAll();
    EXPECT_EQ(events.size(), 16u);
    EXPECT_EQ(events.front(), "update a");
    EXPECT_EQ(events[7], "update h");
    EXPECT_EQ(events[8], "reset a");
    EXPECT_EQ(events.back(), "reset h");
}

TEST_F(RoomTest, CollectOverlappingAppendsCountedReferencesInListOrder) {
    Room room(registry);
    ASSERT_TRUE(room.loadFile(dir.write("room.txt", "probe name a at 0 5\n"
                                                    "probe name b at 20 5\n"
                                                    "probe name c at 1 5\n")));
    std::vector<ObjectRef> list;
    room.collectOverlapping(0.5f, 5.0f, 1.0f, 1.0f, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(static_cast<Probe&>(*list[0]).name, "a");
    EXPECT_EQ(static_cast<Probe&>(*list[1]).name, "c");
    EXPECT_EQ(list[0]->refCount, 2u);
    // The list is not emptied first.
    room.collectOverlapping(20.0f, 5.0f, 0.0f, 0.0f, list);
    room.collectOverlapping(30.0f, 5.0f, 1.0f, 1.0f, list);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(static_cast<Probe&>(*list[2]).name, "b");
    list.clear();
    EXPECT_EQ(room.objects()[0]->refCount, 1u);
}

TEST_F(RoomTest, QueryListKeepsADroppedObjectAliveUntilReleased) {
    Room room(registry);
    ASSERT_TRUE(room.loadFile(dir.write("one.txt", "probe name a\nprobe name b at 9 9\n")));
    std::vector<ObjectRef> list;
    room.collectOverlapping(0.0f, 0.0f, 1.0f, 1.0f, list);
    ASSERT_EQ(list.size(), 1u);
    events.clear();
    ASSERT_TRUE(room.loadFile(dir.write("two.txt", "")));
    EXPECT_EQ(events, (std::vector<std::string>{"delete b"}));
    EXPECT_EQ(list[0]->refCount, 1u);
    EXPECT_EQ(static_cast<Probe&>(*list[0]).name, "a");
    list.clear();
    EXPECT_EQ(events, (std::vector<std::string>{"delete b", "delete a"}));
}

TEST_F(RoomTest, DeletingTheRoomDeletesItsObjectsInListOrder) {
    {
        Room room(registry);
        ASSERT_TRUE(room.loadFile(dir.write("room.txt", "probe name a\nprobe name b\n")));
        events.clear();
    }
    EXPECT_EQ(events, (std::vector<std::string>{"delete a", "delete b"}));
}

class Problems : public DefinitionObserver {
  public:
    std::vector<std::string> seen;
    int line = 0;
    void lineRead(int lineNumber, bool cut) override {
        line = lineNumber;
        if (cut)
            note("cut");
    }
    void unknownType(std::string_view word) override { note("type " + std::string(word)); }
    void unknownKey(std::string_view key) override { note("key " + std::string(key)); }
    void incompleteGroup(std::string_view key, std::size_t, std::size_t) override {
        note("incomplete " + std::string(key));
    }
    void badNumber(std::string_view word, NumberForm) override { note("number " + std::string(word)); }
    void note(const std::string& what) { seen.push_back(std::to_string(line) + ": " + what); }
};

TEST_F(RoomTest, ObserverHearsEveryProblemWithItsLine) {
    Problems problems;
    Room room(registry);
    room.observer = &problems;
    ASSERT_TRUE(room.loadFile(dir.write("room.txt", "probe name a\n"
                                                    "Probe name b\n"
                                                    "probe colour 1 count 2x\n"
                                                    "\n"
                                                    "probe at 1\n" +
                                                        std::string(1030, 'q') + "\n")));
    EXPECT_EQ(problems.seen,
              (std::vector<std::string>{"2: type Probe", "3: key colour", "3: key 1", "3: number 2x",
                                        "5: incomplete at", "6: cut", "6: type " + std::string(1023, 'q')}));
}

} // namespace
