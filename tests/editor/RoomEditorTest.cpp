#include "editor/RoomEditor.h"

#include "actors/Player.h"
#include "world/EntryPoint.h"
#include "world/Lift.h"
#include "world/World.h"

#include "support/TempDir.h"
#include "world/WorldFixture.h"

#include <gtest/gtest.h>

#include <limits>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Comments, a blank line, unknown words, odd spacing, CRLF and LF mixed, no final break.
const std::string Handwritten = "# the yard\r\n"
                                "\r\n"
                                "platform  start 2 20 end 5 20 shiny texture res/textures/stone.png\r\n"
                                "robot start 10.50 29 waypoints 6 29 14 29 patrol pause turn\n"
                                "lift waypoint 20 13 waypoint 20 21 startpoint 1\r\n"
                                "entrypoint position 1 29 side left";

std::string saved(RoomEditor& editor, const TempDir& dir) {
    std::string why;
    EXPECT_TRUE(editor.save(dir.path("room.txt"), why)) << why;
    return fileText(dir.path("room.txt"));
}

} // namespace

// Saving keeps every byte the editor did not change, on the bundled rooms and on a file
// written by hand, unchanged and after a change taken back.
TEST(RoomEditor, SavingWithoutAChangeGivesTheSameBytes) {
    TempDir dir;
    std::vector<std::string> files{Handwritten, Handwritten + "\n", "", "\n\n", "lone\rreturn\n"};
    for (int n = 1; n <= 4; ++n) {
        std::string bytes, why;
        ASSERT_TRUE(
            readRoomFile(MARROWGAST_SOURCE_DIR "/res/rooms/room" + std::to_string(n) + ".txt", bytes, why));
        files.push_back(bytes);
    }
    for (const std::string& bytes : files) {
        SCOPED_TRACE(bytes.substr(0, 60));
        RoomEditor editor(bytes);
        EXPECT_FALSE(editor.modified());
        EXPECT_EQ(saved(editor, dir), bytes);
        const std::vector<Piece> pieces = editor.pieces();
        for (const Piece& p : pieces) {
            ASSERT_TRUE(editor.moveTo(p.line, p.box ? p.box->x + 3 : 0, p.box ? p.box->y - 2 : 0) || !p.box);
        }
        EXPECT_EQ(editor.modified(), !pieces.empty());
        while (editor.undo()) {
        }
        EXPECT_FALSE(editor.modified());
        EXPECT_EQ(saved(editor, dir), bytes);
    }
}

// A change rewrites only the values that changed, in place; the rest of the line and file stay.
TEST(RoomEditor, ChangesRewriteOnlyTheValuesThatChanged) {
    TempDir dir;
    RoomEditor editor(Handwritten);
    ASSERT_EQ(editor.pieces().size(), 4u);
    EXPECT_TRUE(editor.moveTo(2, 3.4f, 19.6f));
    // Placed freely, a robot keeps its fraction and its patrol moves with it by whole units;
    // a value that reads the same keeps its spelling.
    EXPECT_TRUE(editor.moveTo(3, 10.5f, 28.0f, true));
    EXPECT_EQ(editor.document().line(3).text, "robot start 10.50 28 waypoints 6 28 14 28 patrol pause turn");
    EXPECT_TRUE(editor.moveTo(3, 12.5f, 29.2f, true));
    EXPECT_FALSE(editor.moveTo(3, 12.5f, 29.2f, true));
    EXPECT_TRUE(editor.moveMarker(4, 0, 99.0f, 10.7f));
    EXPECT_TRUE(editor.moveTo(4, 21.0f, 22.0f));
    EXPECT_FALSE(editor.moveMarker(4, 2, 0.0f, 0.0f));
    EXPECT_FALSE(editor.moveMarker(3, 2, 0.0f, 0.0f));
    // A position that is no number, in either coordinate, changes nothing.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(editor.moveMarker(4, 0, nan, 3.0f) || editor.moveMarker(3, 0, 5.0f, inf));
    EXPECT_FALSE(editor.moveTo(3, inf, 28.0f, true) || editor.moveTo(3, 12.5f, nan, true));
    EXPECT_FALSE(editor.resize(2, {3, 22, nan, 3}) || editor.resize(2, {3, 22, 2, -inf}));
    // A robot has no size of its own to give.
    EXPECT_FALSE(editor.resize(3, {3, 22, 2, 3}));
    EXPECT_FALSE(editor.place(PieceKind::Robot, nan, 3.0f) || editor.place(PieceKind::Robot, 3.0f, inf));
    EXPECT_TRUE(editor.resize(2, {3, 22, 2, 3}));
    EXPECT_TRUE(editor.moveTo(5, 2.25f, 28.0f, true));
    EXPECT_TRUE(editor.modified());
    EXPECT_EQ(saved(editor, dir), "# the yard\r\n"
                                  "\r\n"
                                  "platform  start 3 20 end 4 22 shiny texture res/textures/stone.png\r\n"
                                  "robot start 12.5 29.2 waypoints 8 29 16 29 patrol pause turn\n"
                                  "lift waypoint 21 12 waypoint 21 22 startpoint 1\r\n"
                                  "entrypoint position 2.25 28 side left");
    EXPECT_FALSE(editor.modified());
    EXPECT_EQ(editor.piece(2)->box, (EditorBox{3, 22, 2, 3}));
    EXPECT_EQ(editor.piece(4)->markers[0], (EditorBox{21, 12, 3, 1}));
    const std::string entry = editor.document().line(5).text;
    const std::string right[] = {"right"};
    EXPECT_EQ(withKeyValues(entry, editor.document().read(5), "side", right),
              "entrypoint position 2.25 28 side right");
    EXPECT_EQ(withKeyValues(entry, editor.document().read(5), "colour", right), std::nullopt);
    // Whole-number keys never take a fraction, even placed freely; a missing key is added.
    RoomEditor bare("searchable texture x.png\n");
    EXPECT_TRUE(bare.moveTo(0, 4.6f, 7.2f, true));
    EXPECT_EQ(bare.document().text(), "searchable texture x.png position 5 7\n");
    // Corners written right to left and bottom up stay so; a new line takes the file's usual break
    // (an empty line's counts too).
    RoomEditor reversed("platform start 5 22 end 2 20\r\nlift\r\n\r\n\n\n");
    EXPECT_TRUE(reversed.resize(0, {1, 25, 3, 2}));
    reversed.place(PieceKind::Platform, 0, 0);
    EXPECT_EQ(reversed.document().text(),
              "platform start 3 25 end 1 24\r\nlift\r\n\r\n\n\nplatform start 0 1 end 3 1 "
              "texture res/textures/stone.png tile res/textures/grass_band.png\r\n");
}

// Every object a palette key places is appended in the usual form and read by the game's room
// reader where the editor shows it.
using EditedRoom = WorldFixture;

TEST_F(EditedRoom, PlacedObjectsAreReadByTheGameAsPlaced) {
    RoomEditor editor("# new room");
    const float points[][2] = {{4.5f, 20.2f}, {9.0f, 26.5f}, {30.0f, 24.9f}, {16.2f, 28.0f}, {37.7f, 28.1f}};
    for (std::size_t k = 0; k < PieceTypes.size(); ++k)
        EXPECT_EQ(editor.place(static_cast<PieceKind>(k), points[k][0], points[k][1]), k + 1);
    EXPECT_EQ(editor.selection(), 5u);
    EXPECT_EQ(editor.document().line(1).text,
              "platform start 4 21 end 7 21 texture res/textures/stone.png tile res/textures/grass_band.png");
    EXPECT_EQ(editor.document().line(0).ending, "\n");
    EXPECT_EQ(editor.piece(5)->side, 0);
    EXPECT_EQ(editor.piece(editor.place(PieceKind::EntryPoint, 1, 1).value())->side, 1);
    // One that names no side the game knows is a left one, as in the game.
    const RoomEditor sideless("entrypoint position 1 29\nentrypoint position 3 29 side up");
    EXPECT_EQ(std::pair(sideless.piece(0)->side, sideless.piece(1)->side), std::pair(0, 0));
    ASSERT_TRUE(editor.undo());
    std::string why;
    ASSERT_TRUE(editor.save(dir.path("res/rooms/room1.txt"), why)) << why;
    load();
    const std::vector<Piece> pieces = editor.pieces();
    ASSERT_EQ(world.room->objects().size(), pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const GameObject& object = *world.room->objects()[i];
        SCOPED_TRACE(PieceTypes[static_cast<std::size_t>(pieces[i].kind)]);
        EXPECT_TRUE(pieces[i].box->contains(points[i][0], points[i][1]));
        // The game gives an entry point no size; the editor shows the player's box there.
        const bool entry = pieces[i].kind == PieceKind::EntryPoint;
        EXPECT_EQ(
            (EditorBox{object.x, object.y, entry ? PlayerWidth : object.w, entry ? PlayerHeight : object.h}),
            pieces[i].box);
    }
    EXPECT_EQ(static_cast<GameObject*>(world.entryPoints[0]), world.room->objects()[4].get());
    EXPECT_EQ(static_cast<const Lift&>(*world.room->objects()[1]).waypoints.size(), pieces[1].markers.size());
}

// Every change is undone and done again with its selection, and a new change drops what was undone.
TEST(RoomEditor, EveryChangeUndoesAndRedoes) {
    RoomEditor editor(Handwritten);
    const std::function<bool()> changes[] = {
        [&] { return editor.place(PieceKind::Searchable, 8, 8).has_value(); },
        [&] { return editor.moveTo(2, 0, 10); },
        [&] {
            return editor.resize(6, {8, 9, 4, 1});
        },
        [&] { return editor.moveMarker(4, 1, 0, 25); },
        [&] { return editor.moveMarker(3, 1, 20, 0); },
        [&] { return editor.remove(3); },
    };
    for (const auto& change : changes) {
        editor.selectLine(3);
        const std::string before = editor.document().text();
        ASSERT_TRUE(change());
        const std::string after = editor.document().text();
        const std::optional<std::size_t> selectedAfter = editor.selection();
        EXPECT_NE(after, before);
        editor.selectLine(std::nullopt);
        ASSERT_TRUE(editor.undo());
        EXPECT_EQ(editor.document().text(), before);
        EXPECT_EQ(editor.selection(), 3u);
        ASSERT_TRUE(editor.redo());
        EXPECT_EQ(editor.document().text(), after);
        EXPECT_EQ(editor.selection(), selectedAfter);
        EXPECT_FALSE(editor.redo());
    }
    EXPECT_EQ(editor.selection(), std::nullopt);
    ASSERT_TRUE(editor.undo());
    EXPECT_TRUE(editor.canRedo());
    EXPECT_TRUE(editor.moveTo(2, 1, 1));
    EXPECT_FALSE(editor.canRedo());
    // A drag is one step, however many moves it makes; saved in the middle, its next move is a
    // change again.
    const std::string beforeDrag = editor.document().text();
    TempDir dir;
    std::string why;
    editor.beginGroup();
    EXPECT_TRUE(editor.moveTo(2, 2, 2));
    ASSERT_TRUE(editor.save(dir.path("room.txt"), why)) << why;
    EXPECT_TRUE(editor.moveTo(2, 3, 3));
    EXPECT_TRUE(editor.modified());
    editor.endGroup();
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(editor.document().text(), beforeDrag);
    // Placed and dragged at once: one step, which selects the new object again when redone.
    editor.beginGroup();
    const std::size_t placed = editor.place(PieceKind::Robot, 5, 5).value();
    EXPECT_TRUE(editor.moveTo(placed, 9, 9));
    editor.endGroup();
    editor.selectLine(std::nullopt);
    ASSERT_TRUE(editor.undo());
    EXPECT_EQ(editor.document().text(), beforeDrag);
    ASSERT_TRUE(editor.redo());
    EXPECT_EQ(editor.selection(), placed);
    // A line removed above the selection leaves the same object selected, a line up.
    editor.selectLine(3);
    ASSERT_TRUE(editor.remove(2));
    EXPECT_EQ(editor.selection(), 2u);
    // With the selection let go, a removal selects nothing.
    editor.selectLine(9);
    editor.selectLine(std::nullopt);
    ASSERT_TRUE(editor.remove(2));
    EXPECT_EQ(editor.selection(), std::nullopt);
}

// A click finds what is drawn on top, and the selected object's markers before any body.
TEST(RoomEditor, PickFindsTheTopmostObject) {
    RoomEditor editor("platform start 0 29 end 39 30\n"
                      "robot start 10 29 waypoints 4 29 16 29\n"
                      "searchable position 10 29 width 3 height 3 percentage 9\n"
                      "lift waypoint 30 10 waypoint 30 29\n"
                      "platform start 20 29 end 22 29\n");
    EXPECT_EQ(editor.pick(10.5f, 28.5f), (Pick{1, std::nullopt}));
    EXPECT_EQ(editor.pick(12.5f, 28.5f), (Pick{2, std::nullopt}));
    EXPECT_EQ(editor.pick(4.5f, 28.5f), (Pick{0, std::nullopt}));
    EXPECT_EQ(editor.pick(30.5f, 9.5f), (Pick{3, std::nullopt}));
    EXPECT_EQ(editor.pick(20.5f, 28.5f), (Pick{4, std::nullopt}));
    EXPECT_FALSE(editor.select(30.5f, 20.0f));
    EXPECT_EQ(editor.selection(), std::nullopt);
    editor.selectLine(1);
    EXPECT_EQ(editor.pick(4.5f, 28.5f), (Pick{1, 0u}));
    EXPECT_EQ(editor.pick(16.0f, 27.25f), (Pick{1, 1u}));
    editor.selectLine(3);
    EXPECT_EQ(editor.pick(30.5f, 9.5f), (Pick{3, std::nullopt}));
    EXPECT_EQ(editor.pick(32.9f, 28.0f), (Pick{3, 1u}));
    EXPECT_TRUE(editor.select(30.5f, 29.5f));
    EXPECT_EQ(editor.selection(), 0u);
}

// A line that does not read cleanly is kept as written; the editor changes one that ends inside
// a key's values only by deleting it (the room check says what is wrong with each).
TEST(RoomEditor, UnreadableLinesAreKept) {
    TempDir dir;
    const std::string bytes = "Platform start 1 2 end 3 4\n"
                              "platform start 1 x2 end 3\n"
                              "lift waypoint 3 4 startpoint 1 colour red\n"
                              "robot start 5 29 patrol pause jump\n"
                              "lift waypoint 3 4 startpoint 0\n"
                              "searchable position 1 1 width 1 height 1 percentage 1\n";
    RoomEditor editor(bytes);
    EXPECT_FALSE(editor.document().read(0).isObject());
    EXPECT_FALSE(editor.document().read(1).changeable);
    EXPECT_TRUE(editor.document().read(2).changeable);
    // The game reads 1023 bytes of a line: one more, and the line is cut short.
    const std::string full = "lift waypoint 3 4" + std::string(1006, ' ');
    EXPECT_TRUE(readRoomLine(full, editor.document().registry()).changeable);
    EXPECT_FALSE(readRoomLine(full + " ", editor.document().registry()).changeable);
    EXPECT_FALSE(editor.moveTo(1, 5, 5));
    EXPECT_FALSE(editor.moveTo(2, 5, 5));
    EXPECT_FALSE(editor.remove(0));
    EXPECT_EQ(saved(editor, dir), bytes);
    EXPECT_FALSE(editor.modified());
    EXPECT_TRUE(editor.remove(1));
    EXPECT_EQ(saved(editor, dir), "Platform start 1 2 end 3 4\n" + bytes.substr(bytes.find("lift")));
}

// Saving replaces a regular file only, never through a link, and a refusal keeps the room modified.
TEST(RoomEditor, SavingRefusesLinksAndWhatIsNoFile) {
    TempDir dir;
    const std::string target = dir.write("target.txt", "old\n");
    std::error_code error;
    std::filesystem::create_symlink(target, dir.path("link.txt"), error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    std::filesystem::create_directory(dir.path("folder"));
    RoomEditor editor;
    editor.place(PieceKind::Platform, 1, 1);
    for (const char* name : {"link.txt", "folder"}) {
        std::string why;
        EXPECT_FALSE(editor.save(dir.path(name), why)) << name;
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(editor.modified());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.txt")));
    EXPECT_EQ(fileText(target), "old\n");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path("folder")));
    EXPECT_EQ(saved(editor, dir), "platform start 1 2 end 4 2 texture res/textures/stone.png tile "
                                  "res/textures/grass_band.png\n");
    EXPECT_FALSE(editor.modified());
}
