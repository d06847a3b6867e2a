#include "editor/EditorSession.h"

#include "editor/RoomEditor.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Odd spacing, a CRLF line, a key given twice, keys left out.
const std::string Yard = "# the yard\n"
                         "platform  start 2 20 end 5 20   texture res/textures/stone.png\r\n"
                         "robot start 10.50 29 waypoints 6 29 14 29 speed slow speed fast patrol pause turn\n"
                         "lift waypoint 20 13 waypoint 20 21 startpoint 1\n"
                         "entrypoint position 1 29 side left";

struct Inspecting {
    explicit Inspecting(const std::string& bytes = Yard) : session("room.txt", bytes) {
        session.onStatus = [this](const std::string& line) { lines.push_back(line); };
        session.setChoices(listResourceChoices(MARROWGAST_SOURCE_DIR));
    }
    std::string text() const { return session.editor().document().text(); }
    // Selects `line` and sets its key as the inspector does; the room's text after it.
    std::string set(std::size_t line, std::string_view key, const std::vector<std::string>& values,
                    std::optional<std::size_t> occurrence = std::nullopt) {
        session.selectLine(line);
        session.setKey(key, values, occurrence);
        return text();
    }
    EditorSession session;
    std::vector<std::string> lines;
};

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace

// The rows are the type's own keys, taken from the registry the room is read by: every key,
// given or not, a key that adds once for each time it is given.
TEST(Inspector, TheRowsAreEachTypesKeysInItsOrder) {
    Inspecting room;
    const ObjectRegistry& registry = room.session.editor().document().registry();
    for (std::size_t line = 1; line <= 4; ++line) {
        room.session.selectLine(line);
        const std::vector<InspectedKey> rows = room.session.inspected();
        const std::span<const RoomKey> keys =
            registry.keysOf(room.session.editor().document().read(line).type);
        std::vector<const RoomKey*> expected;
        for (const RoomKey& key : keys)
            expected.insert(expected.end(), key.name == "waypoint" ? 2 : 1, &key);
        std::vector<const RoomKey*> listed;
        for (const InspectedKey& row : rows)
            listed.push_back(row.key);
        EXPECT_EQ(listed, expected) << "line " << line;
    }
    room.session.selectLine(2);
    const std::vector<InspectedKey> robot = room.session.inspected();
    ASSERT_EQ(robot.size(), 7u);
    EXPECT_EQ(robot[0].values, (std::vector<std::string>{"10.50", "29"}));
    EXPECT_TRUE(robot[1].values.empty() && !robot[1].given);      // direction
    EXPECT_EQ(robot[3].values, std::vector<std::string>{"fast"}); // the later speed counts
    EXPECT_EQ(robot[4].values, (std::vector<std::string>{"pause", "turn"}));
    EXPECT_EQ(robot[4].occurrence, 0u);
    EXPECT_EQ(robot[5].key->withoutIt, "its body is not drawn");
    room.session.selectLine(3);
    const std::vector<InspectedKey> lift = room.session.inspected();
    EXPECT_EQ(lift[1].values, (std::vector<std::string>{"20", "21"}));
    EXPECT_EQ(lift[1].occurrence, 1u);
    room.session.selectLine(0); // a comment: nothing to inspect
    EXPECT_TRUE(room.session.inspected().empty());

    // A key given again is one row, with the value the game keeps: its last.
    Inspecting twice(
        "platform start 1 2 start 3 4 end 5 6 end 7 8 texture a.png texture b.png tile c.png tile d.png");
    twice.session.selectLine(0);
    std::vector<std::vector<std::string>> values;
    for (const InspectedKey& row : twice.session.inspected())
        values.push_back(row.values);
    EXPECT_EQ(values, (std::vector<std::vector<std::string>>{{"3", "4"}, {"7", "8"}, {"b.png"}, {"d.png"}}));
}

// Each edit changes that value's words and no other byte, is one undo step and says so.
TEST(Inspector, EditsChangeOnlyTheirWordsAndUndo) {
    Inspecting room;
    std::string expected = replaced(Yard, "start 2 20", "start 2 21");
    EXPECT_EQ(room.set(1, "start", {"2", "21"}), expected);
    EXPECT_EQ(room.lines.back(), "set start of line 2 to 2 21");
    // "10.50" reads as 10.5: kept as written.
    expected = replaced(expected, "10.50 29", "10.50 28.25");
    EXPECT_EQ(room.set(2, "start", {"10.5", "28.25"}), expected);
    expected = replaced(expected, "stone.png", "crate.png");
    EXPECT_EQ(room.set(1, "texture", {"res/textures/crate.png"}), expected);
    EXPECT_EQ(room.lines.back(), "set texture of line 2 to res/textures/crate.png");
    // The later of two "speed"s is the one the game keeps, and the one changed.
    expected = replaced(expected, "speed fast", "speed ludicrous");
    EXPECT_EQ(room.set(2, "speed", {"ludicrous"}), expected);
    expected = replaced(expected, "waypoint 20 13", "waypoint 20 9");
    EXPECT_EQ(room.set(3, "waypoint", {"20", "9"}, 0), expected);
    EXPECT_EQ(room.lines.back(), "set waypoint 1 of line 4 to 20 9");
    // Keys the line lacks are added at its end; an occurrence past the last adds one more.
    expected = replaced(expected, "startpoint 1", "startpoint 1 waypoint 20 29");
    EXPECT_EQ(room.set(3, "waypoint", {"20", "29"}, 2), expected);
    expected = replaced(expected, "crate.png", "crate.png tile res/textures/grass_band.png");
    EXPECT_EQ(room.set(1, "tile", {"res/textures/grass_band.png"}), expected);
    EXPECT_EQ(room.set(2, "start", {"10.5", "28.25"}), expected);
    EXPECT_EQ(room.lines.back(), "start of line 3 unchanged");

    std::vector<std::string> states;
    while (room.session.editor().canUndo()) {
        states.push_back(room.text());
        room.session.undo();
    }
    EXPECT_EQ(states.size(), 7u);
    EXPECT_EQ(room.text(), Yard);
    for (std::size_t i = states.size(); i-- > 0;) {
        room.session.redo();
        EXPECT_EQ(room.text(), states[i]);
    }
}

// What the game would not read as written is refused with its reason, the room unchanged.
TEST(Inspector, ValuesTheGameWouldNotReadAreRefused) {
    struct Case {
        std::size_t line;
        std::string key;
        std::vector<std::string> values;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {1, "start", {"abc", "20"}, "\"abc\" is not a whole number"},
        {1, "start", {"2", "12.5"}, "\"12.5\" is not a whole number: the game reads it as 12"},
        {1,
         "start",
         {"2", "2147483648"},
         "\"2147483648\" is too large for a room: the game reads it as -2147483648"},
        {1, "start", {"2"}, "\"start\" takes 2 values, not 1"},
        {1, "end", {"2", "2 0"}, "\"2 0\" holds a space or a control character"},
        {4, "position", {"1e39", "29"}, "\"1e39\" is too large for a room"},
        {4, "position", {"1", "29x"}, "\"29x\" is not a number"},
        {1,
         "texture",
         {"textures/crate.png"},
         "\"textures/crate.png\" is not an image (.png, .jpg or .jpeg) under res/"},
        {1, "texture", {"res/../res/textures/crate.png"}, "is not an image (.png, .jpg or .jpeg) under res/"},
        {1, "texture", {"res/textures/robot_a.set"}, "is not an image"},
        {1,
         "texture",
         {"res/textures/nothing.png"},
         "\"res/textures/nothing.png\" is not an image (.png, .jpg or .jpeg) of the data folder"},
        {2, "texture", {"res/textures/crate.png"}, "is not an animation set (.set) under res/"},
        {2, "speed", {"FAST"}, "\"FAST\" is not one of reallyslow, slow, normal, fast, ludicrous"},
        {4, "side", {"up"}, "\"up\" is not one of left, right"},
        {2, "patrol", {"pause", "jump"}, "\"jump\" is not one of donothing, movetopoint1"},
        {2, "colour", {"red"}, "a robot has no key \"colour\""},
        {0, "start", {"1", "1"}, "nothing selected"},
    };
    Inspecting room;
    for (const Case& c : cases) {
        EXPECT_EQ(room.set(c.line, c.key, c.values), Yard) << c.reason;
        EXPECT_NE(room.lines.back().find(c.reason), std::string::npos) << room.lines.back();
    }
    EXPECT_FALSE(room.session.editor().canUndo());
    EXPECT_FALSE(room.session.editor().modified());
    // Only a behaviour list changes its length.
    const std::string platform = "platform start 1 2";
    const ReadLine read = readRoomLine(platform, room.session.editor().document().registry());
    EXPECT_FALSE(withKeyValues(platform, read, "start", std::vector<std::string>{"1"}));
    // The ends of the 32-bit range are whole numbers still.
    for (const char* edge : {"2147483647", "-2147483648"})
        EXPECT_NE(room.set(2, "direction", {edge}).find(std::string("direction ") + edge), std::string::npos);
    // The model itself refuses keys on a line of no object, naming it as the file counts lines,
    // and values the game would not read as given.
    RoomEditor model(Yard);
    std::string why;
    EXPECT_FALSE(model.setKey(0, "start", {"1", "1"}, std::nullopt, why));
    EXPECT_EQ(why, "line 1 holds no object");
    EXPECT_FALSE(model.removeKey(0, "start", std::nullopt, why));
    EXPECT_EQ(why, "line 1 holds no object");
    EXPECT_FALSE(model.setKey(1, "start", {"abc", "20"}, std::nullopt, why));
    EXPECT_EQ(why, "\"abc\" is not a whole number");
    // Nor does it take out a key whose going would join the word after it to the list before.
    RoomEditor listed("robot start 5 29 patrol pause speed slow turn\n");
    EXPECT_FALSE(listed.removeKey(0, "speed", std::nullopt, why));
    EXPECT_EQ(why, "the game would read line 1 otherwise");
}

// A patrol is a list: words added, removed and moved, each one step; a key that would land in
// the list at the line's end goes after the type word instead.
TEST(Inspector, APatrolIsEditedAsAList) {
    Inspecting room;
    EditorSession& s = room.session;
    s.selectLine(2);
    const std::string before = room.text();
    EXPECT_TRUE(s.editList("patrol", 0, ListEdit::Add, 0, "laser"));
    EXPECT_EQ(room.text(), replaced(before, "pause turn", "pause turn laser"));
    EXPECT_TRUE(s.editList("patrol", 0, ListEdit::Up, 2));
    EXPECT_TRUE(s.editList("patrol", 0, ListEdit::Up, 1));
    EXPECT_EQ(room.text(), replaced(before, "pause turn", "laser pause turn"));
    EXPECT_TRUE(s.editList("patrol", 0, ListEdit::Down, 1));
    EXPECT_TRUE(s.editList("patrol", 0, ListEdit::Remove, 0));
    EXPECT_EQ(room.text(), replaced(before, "pause turn", "turn pause"));
    EXPECT_EQ(room.lines.back(), "set patrol of line 3 to turn pause");
    for (const ListEdit edit : {ListEdit::Up, ListEdit::Remove})
        EXPECT_FALSE(s.editList("patrol", 0, edit, edit == ListEdit::Up ? 0 : 2));
    EXPECT_FALSE(s.editList("patrol", 0, ListEdit::Down, 1));
    EXPECT_EQ(room.lines.back(), "cannot change patrol of line 3: no such place in the list");
    const std::string twoWords = room.text();
    EXPECT_TRUE(s.setKey("laser", {"res/textures/laser.set"}));
    EXPECT_EQ(room.text(), replaced(twoWords, "robot start", "robot laser res/textures/laser.set start"));
    EXPECT_TRUE(s.setKey("texture", {"res/textures/robot_b.set"}));
    // Both read as their keys: the laser's file is not taken into the patrol.
    const ReadLine& robot = room.session.editor().document().read(2);
    ASSERT_NE(robot.last("laser"), nullptr);
    EXPECT_EQ(robot.value(*robot.last("laser"), 0), "res/textures/laser.set");
    ASSERT_NE(robot.last("texture"), nullptr);
    EXPECT_EQ(robot.value(*robot.last("texture"), 0), "res/textures/robot_b.set");
    EXPECT_TRUE(s.setKey("patrol", {}, 0));
    EXPECT_NE(room.text().find("patrol texture res/textures/robot_b.set\n"), std::string::npos)
        << room.text();
    while (s.editor().canUndo())
        s.undo();
    EXPECT_EQ(room.text(), before);
    // Behaviours in capitals, as the robot reads them too, stay as written.
    Inspecting capitals("robot start 1 29 patrol Pause TURN\n");
    capitals.session.selectLine(0);
    EXPECT_TRUE(capitals.session.editList("patrol", 0, ListEdit::Down, 0));
    EXPECT_EQ(capitals.text(), "robot start 1 29 patrol TURN Pause\n");
}

// Removing a key takes its word and values and the spaces after them; what is not given is
// refused.
TEST(Inspector, KeysAreRemovedWithTheirValues) {
    Inspecting room;
    room.session.selectLine(2);
    EXPECT_TRUE(room.session.removeKey("speed"));
    EXPECT_EQ(room.text(), replaced(Yard, "speed slow speed fast ", "speed slow "));
    room.session.selectLine(3);
    EXPECT_TRUE(room.session.removeKey("waypoint", 0));
    EXPECT_TRUE(room.session.removeKey("startpoint"));
    EXPECT_EQ(room.session.editor().document().line(3).text, "lift waypoint 20 21");
    EXPECT_EQ(room.lines.back(), "removed startpoint of line 4");
    EXPECT_FALSE(room.session.removeKey("texture"));
    EXPECT_EQ(room.lines.back(), "cannot remove texture of line 4: line 4 does not give \"texture\"");
    // A line cut short (a key without its values) is neither changed nor shortened key by key.
    Inspecting cut("robot start 1 29 speed\n");
    cut.session.selectLine(0);
    EXPECT_FALSE(cut.session.removeKey("start"));
    EXPECT_EQ(cut.lines.back(),
              "cannot remove start of line 1: line 1 is cut short and is only removed whole");
    EXPECT_FALSE(cut.session.setKey("start", {"2", "29"}));
    EXPECT_EQ(cut.lines.back(), "cannot set start of line 1: line 1 is cut short and is only removed whole");
    EXPECT_EQ(cut.text(), "robot start 1 29 speed\n");
    // A stop added to a lift of one is its second.
    EXPECT_TRUE(room.session.setKey("waypoint", {"20", "5"}, 1));
    EXPECT_EQ(room.lines.back(), "set waypoint 2 of line 4 to 20 5");
    EXPECT_EQ(room.session.editor().document().line(3).text, "lift waypoint 20 21 waypoint 20 5");
    while (room.session.editor().canUndo())
        room.session.undo();
    EXPECT_EQ(room.text(), Yard);
}

// The choices are the data folder's images and sets as room files name them, sorted; every
// file the bundled rooms name is among them.
TEST(Inspector, ChoicesAreTheImagesAndSetsUnderRes) {
    const ResourceChoices bundled = listResourceChoices(MARROWGAST_SOURCE_DIR);
    EXPECT_TRUE(std::is_sorted(bundled.images.begin(), bundled.images.end()));
    for (int n = 1; n <= 4; ++n) {
        std::string bytes, why;
        ASSERT_TRUE(
            readRoomFile(MARROWGAST_SOURCE_DIR "/res/rooms/room" + std::to_string(n) + ".txt", bytes, why));
        const RoomEditor editor(bytes);
        for (std::size_t line = 0; line < editor.document().size(); ++line) {
            for (const InspectedKey& row : inspectLine(editor.document().read(line))) {
                const std::vector<std::string>& listed =
                    row.key->value == KeyValue::SetFile ? bundled.sets : bundled.images;
                if (row.given &&
                    (row.key->value == KeyValue::SetFile || row.key->value == KeyValue::ImageFile)) {
                    EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), row.values[0]))
                        << row.values[0];
                }
            }
        }
    }
    TempDir dir;
    std::filesystem::create_directories(dir.path("res/b/c"));
    for (const char* name : {"res/b/c/z.PNG", "res/a.jpeg", "res/b/pic.jpg", "res/b/walk.set",
                             "res/notes.txt", "res/b/c/y.png.txt", "outside.png"})
        dir.write(name, "x");
    const ResourceChoices listed = listResourceChoices(dir.path(""));
    EXPECT_EQ(listed.images, (std::vector<std::string>{"res/a.jpeg", "res/b/c/z.PNG", "res/b/pic.jpg"}));
    EXPECT_EQ(listed.sets, std::vector<std::string>{"res/b/walk.set"});
    EXPECT_TRUE(listResourceChoices(dir.path("nowhere")).images.empty());
}
