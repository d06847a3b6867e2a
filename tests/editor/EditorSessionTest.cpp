#include "editor/EditorSession.h"

#include "definitions/Quoted.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const std::string Room = "# a test room\n"
                         "platform start 2 10 end 5 10 texture res/textures/stone.png\n"
                         "robot start 20 25 direction 1 waypoints 16 25 24 25 patrol pause\n";

// A session over `bytes` whose status lines are kept.
struct Watched {
    explicit Watched(const std::string& bytes, const std::string& file = "room.txt") : session(file, bytes) {
        session.onStatus = [this](const std::string& line) { lines.push_back(line); };
    }
    const std::string& line(std::size_t i) const { return session.editor().document().line(i).text; }
    EditorSession session;
    std::vector<std::string> lines;
};

TEST(EditorSession, APlacementAndTheDragAfterItAreOneStepOnTheGrid) {
    Watched w(Room);
    w.session.choosePalette(PieceKind::Platform);
    w.session.press(10.5f, 20.5f, 0.2f);
    EXPECT_EQ(w.line(3).substr(0, 30), "platform start 10 21 end 13 21");
    // Held by the point it was placed at: the box follows the point, snapped to whole units.
    w.session.drag(12.8f, 18.3f, false);
    w.session.drag(12.6f, 18.3f, true);
    w.session.release();
    EXPECT_FALSE(w.session.dragging());
    EXPECT_EQ(w.line(3).substr(0, 30), "platform start 12 19 end 15 19");
    EXPECT_EQ(w.lines, (std::vector<std::string>{"palette: platform", "placed platform at line 4",
                                                 "moved platform at line 4"}));
    w.session.undo();
    EXPECT_EQ(w.session.editor().document().text(), Room);
    EXPECT_FALSE(w.session.editor().modified());
    w.session.undo();
    w.session.redo();
    EXPECT_EQ(w.line(3).substr(0, 30), "platform start 12 19 end 15 19");
    w.session.redo();
    EXPECT_EQ(std::vector(w.lines.end() - 4, w.lines.end()),
              (std::vector<std::string>{"undone", "nothing to undo", "redone", "nothing to redo"}));
}

// Whatever comes in the middle of a drag ends it first: the move is said before anything else.
TEST(EditorSession, WhatComesInTheMiddleOfADragEndsItFirst) {
    TempDir dir;
    const std::vector<std::function<void(EditorSession&)>> interruptions = {
        [](EditorSession& s) { s.press(30.0f, 5.0f, 0.2f); },
        [](EditorSession& s) { s.removeSelection(); },
        [](EditorSession& s) { s.flipSide(); },
        [](EditorSession& s) { s.undo(); },
        [](EditorSession& s) { s.redo(); },
        [](EditorSession& s) { s.save(); },
        [](EditorSession& s) { s.leave(); },
        [](EditorSession& s) { s.removeKey("texture", {}); }};
    for (const auto& interrupt : interruptions) {
        Watched w(Room, dir.path("room.txt"));
        w.session.press(3.0f, 9.5f, 0.2f);
        w.session.drag(6.0f, 12.5f, false);
        interrupt(w.session);
        EXPECT_FALSE(w.session.dragging());
        ASSERT_GE(w.lines.size(), 2u);
        EXPECT_EQ(w.lines[1], "moved platform at line 2");
    }
}

TEST(EditorSession, PressesSelectAndClearWithoutChangingTheRoom) {
    Watched w(Room);
    w.session.press(3.0f, 9.5f, 0.2f);
    EXPECT_EQ(w.session.editor().selection(), std::optional<std::size_t>(1));
    // A press and release on the selection without a move is no step and says nothing more.
    w.session.press(3.0f, 9.5f, 0.2f);
    w.session.release();
    w.session.press(30.0f, 5.0f, 0.2f);
    w.session.release();
    EXPECT_EQ(w.session.editor().selection(), std::nullopt);
    EXPECT_FALSE(w.session.editor().canUndo());
    w.session.removeSelection();
    EXPECT_EQ(w.lines, (std::vector<std::string>{"selected platform at line 2", "selection cleared",
                                                 "nothing selected"}));
}

// A line is what a click on a finding of it selects: an object that does not read cleanly too.
TEST(EditorSession, AFindingSelectsItsLine) {
    Watched w("platform start 2 10 end 5 10 texture res/textures/stone.png\n\nrobot start 3 x\n");
    w.session.selectLine(2);
    EXPECT_EQ(w.session.editor().selection(), std::optional<std::size_t>(2));
    EXPECT_EQ(w.lines.back(), "selected robot at line 3");
    w.session.selectLine(0);
    EXPECT_EQ(w.lines.back(), "selected platform at line 1");
    w.session.selectLine(3);
    EXPECT_EQ(w.session.editor().selection(), std::optional<std::size_t>(0));
}

TEST(EditorSession, ACornerResizesWithTheOppositeCornerStill) {
    Watched w(Room);
    w.session.press(3.0f, 9.5f, 0.25f);
    const std::vector<EditorBox> handles = w.session.handles(0.25f);
    ASSERT_EQ(handles.size(), 4u);
    // The bottom right corner of the box from (2, 9) to (6, 10).
    EXPECT_EQ(handles[3], (EditorBox{5.75f, 10.25f, 0.5f, 0.5f}));
    w.session.press(6.1f, 9.9f, 0.25f);
    w.session.drag(9.2f, 12.4f, false);
    EXPECT_EQ(w.line(1).substr(0, 28), "platform start 2 10 end 8 12");
    // Past the corner that stays, the box keeps one unit.
    w.session.drag(-4.0f, 0.0f, false);
    w.session.release();
    EXPECT_EQ(w.line(1).substr(0, 28), "platform start 2 10 end 2 10");
    EXPECT_EQ(w.lines.back(), "resized platform at line 2");
    // Pressed and let go again without a move, it says nothing more.
    w.session.press(2.5f, 9.5f, 0.25f);
    w.session.release();
    EXPECT_EQ(w.lines.back(), "resized platform at line 2");
    // The top left corner moves the other way.
    w.session.undo();
    w.session.press(2.0f, 9.0f, 0.25f);
    w.session.drag(10.0f, 12.0f, false);
    EXPECT_EQ(w.line(1).substr(0, 28), "platform start 5 10 end 5 10");
    w.session.drag(0.3f, 7.2f, false);
    w.session.release();
    EXPECT_EQ(w.line(1).substr(0, 27), "platform start 0 8 end 5 10");
    // A robot has no handles.
    w.session.press(21.0f, 24.5f, 0.25f);
    EXPECT_TRUE(w.session.handles(0.25f).empty());
}

TEST(EditorSession, AWaypointOfTheSelectedRobotDragsAlone) {
    Watched w(Room);
    w.session.press(21.0f, 24.5f, 0.2f);
    w.session.release();
    // Held 1.8 units into the marker: the marker's edge goes where the point goes, less that.
    w.session.press(25.8f, 24.9f, 0.2f);
    w.session.drag(29.5f, 20.0f, false);
    w.session.release();
    EXPECT_EQ(w.line(2).substr(0, 46), "robot start 20 25 direction 1 waypoints 16 25 ");
    EXPECT_EQ(w.line(2).substr(46, 5), "28 25");
    EXPECT_EQ(w.lines.back(), "moved marker 2 of robot at line 3");
    // A lift's stop goes up and down only, held 0.8 units above its bottom.
    Watched lift("lift waypoint 20 13 waypoint 20 21\n");
    lift.session.selectLine(0);
    lift.session.press(21.0f, 20.2f, 0.2f);
    lift.session.drag(30.0f, 24.0f, false);
    lift.session.release();
    EXPECT_EQ(lift.line(0), "lift waypoint 20 13 waypoint 20 25");
}

TEST(EditorSession, AnEntryPointComesInFromTheOtherSideAndBack) {
    Watched w("entrypoint position 1 28 side  left # the gate\n" + Room);
    w.session.flipSide();
    w.session.press(1.2f, 27.5f, 0.2f);
    w.session.release();
    w.session.flipSide();
    EXPECT_EQ(w.line(0), "entrypoint position 1 28 side  right # the gate");
    w.session.flipSide();
    EXPECT_EQ(w.line(0), "entrypoint position 1 28 side  left # the gate");
    w.session.undo();
    EXPECT_EQ(w.line(0), "entrypoint position 1 28 side  right # the gate");
    EXPECT_EQ(w.lines, (std::vector<std::string>{"no entry point selected", "selected entrypoint at line 1",
                                                 "entrypoint at line 1 is the right side's",
                                                 "entrypoint at line 1 is the left side's", "undone"}));
    // Nothing else has a side.
    EXPECT_FALSE(w.session.editor().setSide(2, 1));
}

TEST(EditorSession, LeavingWithUnsavedChangesAsksOnceAndSavingSaysWhere) {
    TempDir dir;
    Watched clean(Room);
    EXPECT_TRUE(clean.session.leave());
    EXPECT_EQ(clean.lines.back(), "left the editor");

    Watched w(Room, dir.path("room.txt"));
    w.session.press(3.0f, 9.5f, 0.2f);
    w.session.removeSelection();
    EXPECT_FALSE(w.session.leave());
    EXPECT_TRUE(w.session.leaveWarned());
    EXPECT_EQ(w.lines.back(), "unsaved changes: Ctrl+Q again to leave without saving");
    // A change after the warning is news: it asks again.
    w.session.undo();
    w.session.redo();
    EXPECT_FALSE(w.session.leave());
    EXPECT_TRUE(w.session.leave());
    EXPECT_EQ(w.lines.back(), "left without saving");

    EXPECT_TRUE(w.session.save());
    EXPECT_EQ(w.lines.back(), "saved " + quotedText(dir.path("room.txt")));
    EXPECT_TRUE(w.session.leave());
    Watched nowhere(Room, dir.path("missing/room.txt"));
    EXPECT_FALSE(nowhere.session.save());
    EXPECT_EQ(nowhere.lines.back().rfind("cannot save " + quotedText(dir.path("missing/room.txt")) + ": ", 0),
              0u);
}

} // namespace
