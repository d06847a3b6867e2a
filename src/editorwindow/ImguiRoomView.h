#pragma once
// What the editor draws over the room and beside it, with Dear ImGui: the grid, the objects'
// outlines, markers, patrols, entry sides and handles, the panel and the status bar.
#include "editor/CheckWatch.h"
#include "editor/EditorSession.h"
#include "editor/SolverWatch.h"

#include <optional>
#include <string>

// Where the room's 40 × 30 units stand in the window, in window pixels.
struct RoomView {
    float left = 0.0f;
    float top = 0.0f;
    float scale = 1.0f;

    float toRoomX(float px) const { return (px - left) / scale; }
    float toRoomY(float py) const { return (py - top) / scale; }
    float toScreenX(float x) const { return left + x * scale; }
    float toScreenY(float y) const { return top + y * scale; }
    // Within the room, or within `margin` units of it.
    bool inside(float px, float py, float margin = 0.0f) const;
};

// The room view's place: as large as fits in the window but for the panel and the status
// bar, with the room's shape.
RoomView layOutRoomView(int windowWidth, int windowHeight);

// Half a handle's side, in room units, at the view's scale.
float handleReach(const RoomView& view);

struct EditorScreen {
    // The mouse over the room, in room units, or none.
    std::optional<float> mouseX;
    std::optional<float> mouseY;
    // A play-test runs: the panel says how to come back, and nothing is drawn over the room.
    bool playing = false;
    // The solver's answers, drawn over the room and listed in the panel; none when there is no
    // solver, `solverNote` saying why.
    const SolverWatch* solver = nullptr;
    const std::string* solverNote = nullptr;
    // The room check's findings, listed in the panel, and its measures in the status bar; none
    // when there is no check, `checkNote` saying why.
    const CheckWatch* check = nullptr;
    const std::string* checkNote = nullptr;
};

// Draws one ImGui frame's worth of the editor: call between ImGui::NewFrame and ImGui::Render.
// What a click on a panel's palette chooses goes to the session.
void drawEditorScreen(EditorSession& session, const RoomView& view, const EditorScreen& screen);

// "name.txt" and "*" when modified: the window's title.
std::string editorTitle(const EditorSession& session, bool playing);
