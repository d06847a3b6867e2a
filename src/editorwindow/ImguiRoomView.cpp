#include "editorwindow/ImguiRoomView.h"

#include "actors/Player.h"
#include "editorwindow/ImguiInspector.h"
#include "graphics/SpriteRenderer.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <vector>

namespace {

constexpr float PanelWidth = 330.0f;
constexpr float StatusHeight = 26.0f;

// Outline colours by kind, in the palette's order: platform, lift, searchable, robot, entry point.
constexpr std::array<ImU32, 5> KindColours = {IM_COL32(235, 235, 235, 200), IM_COL32(60, 220, 210, 220),
                                              IM_COL32(250, 210, 60, 220), IM_COL32(250, 80, 80, 230),
                                              IM_COL32(90, 240, 90, 240)};
constexpr ImU32 SelectedColour = IM_COL32(255, 255, 255, 255);
// The solver's ways, east and west: the crossing's hero boxes and the places reached.
constexpr std::array<ImU32, 2> WayColours = {IM_COL32(255, 150, 40, 170), IM_COL32(200, 110, 255, 170)};
const std::array<ImVec4, 2> WayTextColours = {ImVec4(1.0f, 0.65f, 0.25f, 1.0f),
                                              ImVec4(0.8f, 0.5f, 1.0f, 1.0f)};
constexpr std::array<const char*, 5> PaletteNames = {"1 platform", "2 lift", "3 searchable", "4 robot",
                                                     "5 entry point"};

ImVec2 corner(const RoomView& view, float x, float y) {
    return ImVec2(view.toScreenX(x), view.toScreenY(y));
}

// A box's top-left and bottom-right corners on the screen.
void outline(ImDrawList& list, const RoomView& view, const EditorBox& box, ImU32 colour, float thickness) {
    list.AddRect(corner(view, box.x, box.y - box.h), corner(view, box.x + box.w, box.y), colour, 0.0f, 0,
                 thickness);
}

ImVec2 middle(const RoomView& view, const EditorBox& box) {
    return corner(view, box.x + box.w / 2.0f, box.y - box.h / 2.0f);
}

// An arrow along a row (a patrol and an entry side are both level), its head 8 pixels long and
// 9.6 wide; none where the ends are within a pixel, which gives it no way to point.
void arrow(ImDrawList& list, float fromX, float toX, float y, ImU32 colour) {
    list.AddLine(ImVec2(fromX, y), ImVec2(toX, y), colour, 2.0f);
    if (std::fabs(toX - fromX) < 1.0f)
        return;
    const float way = std::copysign(1.0f, toX - fromX);
    const float back = toX - way * 8.0f, spread = way * 4.8f;
    list.AddTriangleFilled(ImVec2(toX, y), ImVec2(back, y + spread), ImVec2(back, y - spread), colour);
}

void drawGrid(ImDrawList& list, const RoomView& view) {
    for (int x = 0; x <= static_cast<int>(RoomWidth); ++x) {
        const ImU32 colour = x % 5 == 0 ? IM_COL32(255, 255, 255, 60) : IM_COL32(255, 255, 255, 26);
        list.AddLine(corner(view, static_cast<float>(x), 0.0f),
                     corner(view, static_cast<float>(x), RoomHeight), colour);
    }
    for (int y = 0; y <= static_cast<int>(RoomHeight); ++y) {
        const ImU32 colour = y % 5 == 0 ? IM_COL32(255, 255, 255, 60) : IM_COL32(255, 255, 255, 26);
        list.AddLine(corner(view, 0.0f, static_cast<float>(y)),
                     corner(view, RoomWidth, static_cast<float>(y)), colour);
    }
}

void drawPiece(ImDrawList& list, const RoomView& view, const Piece& p, bool selected) {
    const ImU32 colour = selected ? SelectedColour : KindColours[static_cast<std::size_t>(p.kind)];
    const float thickness = selected ? 3.0f : 1.5f;
    // Markers first, so the body is drawn over a lift's start stop.
    if (p.kind == PieceKind::Lift && p.markers.size() > 1) {
        for (std::size_t i = 0; i + 1 < p.markers.size(); ++i)
            list.AddLine(middle(view, p.markers[i]), middle(view, p.markers[i + 1]), colour, 1.5f);
    }
    if (p.kind == PieceKind::Robot && p.markers.size() == 2) {
        // The patrol: from one waypoint to the other and back, at the robot's height.
        const ImVec2 a = middle(view, p.markers[0]), b = middle(view, p.markers[1]);
        arrow(list, a.x, b.x, a.y, colour);
        arrow(list, b.x, a.x, a.y, colour);
    }
    for (std::size_t i = 0; i < p.markers.size(); ++i) {
        const EditorBox& m = p.markers[i];
        const ImVec2 topLeft = corner(view, m.x, m.y - m.h), bottomRight = corner(view, m.x + m.w, m.y);
        list.AddRectFilled(topLeft, bottomRight,
                           selected ? IM_COL32(255, 255, 255, 50) : IM_COL32(255, 255, 255, 18));
        list.AddRect(topLeft, bottomRight, colour, 0.0f, 0, 1.0f);
        const std::string label = std::to_string(i + 1);
        list.AddText(ImVec2(topLeft.x + 2.0f, topLeft.y + 1.0f), colour, label.c_str());
    }
    if (!p.box)
        return;
    outline(list, view, *p.box, colour, thickness);
    if (p.kind == PieceKind::EntryPoint) {
        // The side the player comes in by: an arrow from that edge of the room's view.
        const ImVec2 c = middle(view, *p.box);
        const float reach = view.scale * 1.5f;
        if (p.side == 0)
            arrow(list, c.x - reach - view.scale, c.x - view.scale * 0.4f, c.y, colour);
        else
            arrow(list, c.x + reach + view.scale, c.x + view.scale * 0.4f, c.y, colour);
        const ImVec2 top = corner(view, p.box->x, p.box->y - p.box->h);
        list.AddText(ImVec2(top.x, top.y - 16.0f), colour, p.side == 0 ? "left" : "right");
    }
}

// Where a way is not crossed, the room the hero's body can fill: every unit cell covered by
// its box standing at a reached place, each shaded once.
void drawReached(ImDrawList& list, const RoomView& view, const WayAnswer& answer, ImU32 colour) {
    constexpr int Wide = static_cast<int>(RoomWidth);
    constexpr int High = static_cast<int>(RoomHeight);
    std::vector<bool> covered(static_cast<std::size_t>(Wide * High), false);
    const int bodyWide = static_cast<int>(std::ceil(PlayerWidth));
    const int bodyHigh = static_cast<int>(std::ceil(PlayerHeight));
    for (const auto& [x, y] : answer.reached)
        for (int cx = x; cx < x + bodyWide; ++cx)
            for (int cy = y - bodyHigh; cy < y; ++cy)
                if (cx >= 0 && cx < Wide && cy >= 0 && cy < High)
                    covered[static_cast<std::size_t>(cy) * Wide + static_cast<std::size_t>(cx)] = true;
    for (int cy = 0; cy < High; ++cy)
        for (int cx = 0; cx < Wide; ++cx)
            if (covered[static_cast<std::size_t>(cy) * Wide + static_cast<std::size_t>(cx)])
                list.AddRectFilled(corner(view, static_cast<float>(cx), static_cast<float>(cy)),
                                   corner(view, static_cast<float>(cx + 1), static_cast<float>(cy + 1)),
                                   colour);
}

// Each way's crossing as the hero's box where it stands every few steps, or the places it
// reached when it did not cross.
void drawSolverAnswers(ImDrawList& list, const RoomView& view, const SolverWatch& solver) {
    for (int way = 0; way < 2; ++way) {
        const WayAnswer& answer = solver.answer(way);
        const ImU32 colour = WayColours[static_cast<std::size_t>(way)];
        if (!answer.reached.empty())
            drawReached(list, view, answer, (colour & ~IM_COL32_A_MASK) | IM_COL32(0, 0, 0, 50));
        if (answer.state != WayAnswer::State::Crossed)
            continue;
        for (const auto& [x, y] : answer.path)
            list.AddRect(corner(view, x, y - PlayerHeight), corner(view, x + PlayerWidth, y), colour, 0.0f, 0,
                         1.5f);
    }
}

void drawOverRoom(const EditorSession& session, const RoomView& view, const EditorScreen& screen) {
    ImDrawList& list = *ImGui::GetBackgroundDrawList();
    drawGrid(list, view);
    if (screen.solver)
        drawSolverAnswers(list, view, *screen.solver);
    const RoomEditor& editor = session.editor();
    const std::optional<std::size_t> selected = editor.selection();
    std::optional<Piece> chosen;
    for (const Piece& p : editor.pieces()) {
        if (selected && p.line == *selected)
            chosen = p;
        else
            drawPiece(list, view, p, false);
    }
    // The selection over everything else, with its handles.
    if (chosen)
        drawPiece(list, view, *chosen, true);
    for (const EditorBox& h : session.handles(handleReach(view))) {
        list.AddRectFilled(corner(view, h.x, h.y - h.h), corner(view, h.x + h.w, h.y),
                           IM_COL32(255, 255, 255, 255));
        list.AddRect(corner(view, h.x, h.y - h.h), corner(view, h.x + h.w, h.y), IM_COL32(0, 0, 0, 255));
    }
}

// Each way's answer in its colour, as the status line says it.
void drawSolverPanel(const EditorScreen& screen) {
    ImGui::Text("Solver (east, west)");
    if (!screen.solver) {
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextDisabled("%s", screen.solverNote ? screen.solverNote->c_str() : "none");
        ImGui::PopTextWrapPos();
        return;
    }
    for (int way = 0; way < 2; ++way) {
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextColored(WayTextColours[static_cast<std::size_t>(way)], "%s",
                           screen.solver->answerText(way).c_str());
        ImGui::PopTextWrapPos();
    }
}

// The room check's findings as it words them; a click on one on a line of the room selects
// that line and the object on it.
void drawCheckFindings(EditorSession& session, const EditorScreen& screen) {
    if (!screen.check) {
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextDisabled("Check: %s", screen.checkNote ? screen.checkNote->c_str() : "none");
        ImGui::PopTextWrapPos();
        return;
    }
    const std::vector<CheckFinding>& findings = screen.check->findings();
    if (screen.check->state() == CheckWatch::State::Failed) {
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextColored(ImVec4(1.0f, 0.4f, 0.4f, 1.0f), "%s", screen.check->summaryText().c_str());
        ImGui::PopTextWrapPos();
        return;
    }
    if (findings.empty()) {
        ImGui::TextDisabled(screen.check->state() == CheckWatch::State::Done ? "The check finds nothing"
                                                                             : "Checking");
        return;
    }
    ImGui::TextColored(ImVec4(1.0f, 0.6f, 0.3f, 1.0f), "Findings (%zu)", findings.size());
    ImGui::BeginChild("findings", ImVec2(0.0f, 0.0f), true);
    const std::optional<std::size_t> selected = session.editor().selection();
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const CheckFinding& finding = findings[i];
        const std::optional<std::size_t> line = findingLine(finding);
        ImGui::PushID(static_cast<int>(i));
        const std::string where = line                   ? "line " + std::to_string(finding.line)
                                  : finding.file.empty() ? std::string("the room")
                                                         : finding.file;
        if (ImGui::Selectable(where.c_str(), line && selected == line) && line)
            session.selectLine(*line);
        ImGui::Indent();
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextUnformatted(finding.message.c_str());
        ImGui::PopTextWrapPos();
        if (ImGui::IsItemClicked() && line)
            session.selectLine(*line);
        ImGui::Unindent();
        ImGui::PopID();
    }
    ImGui::EndChild();
}

void drawPanel(EditorSession& session, const EditorScreen& screen) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x - PanelWidth, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(PanelWidth, io.DisplaySize.y - StatusHeight));
    constexpr ImGuiWindowFlags Fixed = ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                       ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    ImGui::Begin("Room", nullptr, Fixed);
    const RoomEditor& editor = session.editor();
    ImGui::TextWrapped("%s", session.fileName().c_str());
    ImGui::Text("%s", editor.modified() ? "Modified: Ctrl+S saves" : "Saved");
    if (screen.playing) {
        ImGui::Separator();
        ImGui::TextWrapped("Play-test: the game's own keys play the room. Escape comes back to the editor.");
        ImGui::End();
        return;
    }
    ImGui::Separator();
    ImGui::Text("Palette (a click on empty room places)");
    const std::optional<PieceKind> palette = session.palette();
    if (ImGui::RadioButton("0 none", !palette))
        session.choosePalette(std::nullopt);
    for (std::size_t i = 0; i < PaletteNames.size(); ++i) {
        const PieceKind kind = static_cast<PieceKind>(i);
        if (ImGui::RadioButton(PaletteNames[i], palette == kind))
            session.choosePalette(kind);
    }
    ImGui::Separator();
    if (const std::optional<std::size_t> line = editor.selection();
        line && *line < editor.document().size()) {
        ImGui::Text("Line %zu:", *line + 1);
        ImGui::PushTextWrapPos(0.0f);
        ImGui::TextUnformatted(editor.document().line(*line).text.c_str());
        ImGui::PopTextWrapPos();
        ImGui::Separator();
        drawInspector(session);
    } else {
        ImGui::TextDisabled("Nothing selected");
    }
    ImGui::Separator();
    ImGui::TextWrapped("Drag to move (Shift: off the grid), corners resize, numbered markers are "
                       "stops and waypoints; F flips an entry point's side. Delete removes; Ctrl+Z, "
                       "Ctrl+Y undo, redo; Ctrl+S saves; "
                       "F5 plays from the left, Shift+F5 from the right; F6 plays the solver's "
                       "crossing east, Shift+F6 west; Ctrl+Q leaves.");
    ImGui::Separator();
    drawSolverPanel(screen);
    ImGui::Separator();
    drawCheckFindings(session, screen);
    ImGui::End();
}

// Saved or not, and the room's measures from its last check.
void drawMeasures(const EditorSession& session, const EditorScreen& screen) {
    const bool saved = !session.editor().modified();
    const std::string measures = screen.check ? screen.check->measures() : "";
    ImGui::TextColored(saved ? ImVec4(0.6f, 0.9f, 0.6f, 1.0f) : ImVec4(1.0f, 0.8f, 0.4f, 1.0f), "%s%s%s",
                       saved ? "saved" : "unsaved changes", measures.empty() ? "" : " | ", measures.c_str());
}

void drawStatusBar(const EditorSession& session, const EditorScreen& screen) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0.0f, io.DisplaySize.y - StatusHeight));
    ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x, StatusHeight));
    ImGui::Begin("Status", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    if (screen.mouseX && screen.mouseY)
        ImGui::Text("x %5.1f  y %5.1f", static_cast<double>(*screen.mouseX),
                    static_cast<double>(*screen.mouseY));
    else
        ImGui::Text("x   -    y   -  ");
    ImGui::SameLine(150.0f);
    drawMeasures(session, screen);
    ImGui::SameLine(600.0f);
    if (session.leaveWarned())
        ImGui::TextColored(ImVec4(1.0f, 0.4f, 0.4f, 1.0f), "%s", session.lastStatus().c_str());
    else
        ImGui::TextUnformatted(session.lastStatus().c_str());
    ImGui::End();
}

} // namespace

bool RoomView::inside(float px, float py, float margin) const {
    const float x = toRoomX(px), y = toRoomY(py);
    return x >= -margin && x < RoomWidth + margin && y >= -margin && y < RoomHeight + margin;
}

RoomView layOutRoomView(int windowWidth, int windowHeight) {
    const float width = std::max(1.0f, static_cast<float>(windowWidth) - PanelWidth);
    const float height = std::max(1.0f, static_cast<float>(windowHeight) - StatusHeight);
    RoomView view;
    view.scale = std::min(width / RoomWidth, height / RoomHeight);
    view.left = std::floor((width - RoomWidth * view.scale) / 2.0f);
    view.top = std::floor((height - RoomHeight * view.scale) / 2.0f);
    return view;
}

float handleReach(const RoomView& view) {
    return 5.0f / view.scale;
}

void drawEditorScreen(EditorSession& session, const RoomView& view, const EditorScreen& screen) {
    if (!screen.playing)
        drawOverRoom(session, view, screen);
    drawPanel(session, screen);
    drawStatusBar(session, screen);
}

std::string editorTitle(const EditorSession& session, bool playing) {
    std::string title =
        "Marrowgast room editor: " + std::filesystem::path(session.fileName()).filename().string();
    if (session.editor().modified())
        title += " *";
    if (playing)
        title += " (play-test)";
    return title;
}
