// What the editor draws over the room and in its panels, read back from Dear ImGui's draw lists
// without a window; clicks and typing fed to Dear ImGui as a window would.
#include "editorwindow/ImguiRoomView.h"
#include "actors/Player.h"
#include "editor/CheckWatch.h"
#include "editor/EditorSession.h"
#include "editor/SolverWatch.h"
#include "graphics/SpriteRenderer.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr int WindowWidth = 1290;
constexpr int WindowHeight = 746;
constexpr int EnterKey = 13;
constexpr ImU32 White = IM_COL32(255, 255, 255, 255);

// A text as drawn: where its first letter's origin is and its colour.
struct Shown {
    ImVec2 at;
    ImU32 colour;
};

// Frames of the editor's screen, drawn by Dear ImGui alone: lines as plain quads (no
// anti-aliasing), so that each vertex lies half a pixel from its line.
class ImguiFrame {
  public:
    ImguiFrame() : context(ImGui::CreateContext()) {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(WindowWidth, WindowHeight);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        io.KeyMap[ImGuiKey_Enter] = EnterKey;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        ImGui::GetStyle().AntiAliasedLines = false;
        ImGui::GetStyle().AntiAliasedFill = false;
    }
    ~ImguiFrame() { ImGui::DestroyContext(context); }
    ImguiFrame(const ImguiFrame&) = delete;
    ImguiFrame& operator=(const ImguiFrame&) = delete;

    void draw(EditorSession& session, const RoomView& view, const EditorScreen& screen = {}) {
        ImGui::NewFrame();
        drawEditorScreen(session, view, screen);
        ImGui::Render();
    }

    // The vertices of `colour` drawn over the room in a new frame.
    std::vector<ImVec2> drawn(EditorSession& session, const RoomView& view, ImU32 colour) {
        draw(session, view);
        std::vector<ImVec2> found;
        for (const ImDrawVert& v : ImGui::GetBackgroundDrawList()->VtxBuffer) {
            if (v.col == colour)
                found.push_back(v.pos);
        }
        return found;
    }

    // Every place the last frame drew `text` (its spaces, which draw nothing, are not compared).
    static std::vector<Shown> shown(std::string_view text) {
        const ImFont& font = *ImGui::GetIO().Fonts->Fonts[0];
        std::vector<const ImFontGlyph*> glyphs;
        for (const char c : text) {
            const ImFontGlyph* glyph = font.FindGlyph(static_cast<ImWchar>(c));
            if (glyph->Visible)
                glyphs.push_back(glyph);
        }
        std::vector<Shown> found;
        const ImDrawData& data = *ImGui::GetDrawData();
        for (int list = 0; list < data.CmdListsCount; ++list) {
            const ImVector<ImDrawVert>& v = data.CmdLists[list]->VtxBuffer;
            for (int i = 0; i + 4 * static_cast<int>(glyphs.size()) <= v.Size; ++i) {
                bool all = true;
                for (std::size_t k = 0; all && k < glyphs.size(); ++k) {
                    const ImDrawVert& corner = v[i + 4 * static_cast<int>(k)];
                    all = corner.uv.x == glyphs[k]->U0 && corner.uv.y == glyphs[k]->V0;
                }
                if (all)
                    found.push_back(
                        {ImVec2(v[i].pos.x - glyphs[0]->X0, v[i].pos.y - glyphs[0]->Y0), v[i].col});
            }
        }
        return found;
    }
    static bool shows(std::string_view text) { return !shown(text).empty(); }
    // Whether the text is drawn marked in `colour` somewhere: a radio button's dot or a list's
    // highlight, from its row's top to its bottom, just left of it.
    static bool marked(std::string_view text, ImGuiCol colour) {
        const ImU32 mark = ImGui::GetColorU32(colour);
        const ImDrawData& data = *ImGui::GetDrawData();
        for (const Shown& at : shown(text)) {
            bool top = false, bottom = false;
            for (int list = 0; list < data.CmdListsCount; ++list) {
                for (const ImDrawVert& v : data.CmdLists[list]->VtxBuffer) {
                    const float dy = v.pos.y - at.at.y;
                    if (v.col == mark && v.pos.x > at.at.x - 25.0f && v.pos.x < at.at.x + 5.0f) {
                        top = top || (dy >= -3.0f && dy <= 1.0f);
                        bottom = bottom || (dy >= 12.0f && dy <= 16.0f);
                    }
                }
            }
            if (top && bottom)
                return true;
        }
        return false;
    }

    // A click of `button` on the text (its first place) as the last frame drew it: the mouse
    // moved there in one frame, pressed in the next and let go in the one after.
    void click(EditorSession& session, const RoomView& view, std::string_view text,
               const EditorScreen& screen = {}, int button = 0) {
        const std::vector<Shown> at = shown(text);
        ASSERT_FALSE(at.empty()) << "no \"" << text << "\" to click";
        clickAt(session, view, ImVec2(at[0].at.x + 3.0f, at[0].at.y + 5.0f), screen, button);
    }
    void clickAt(EditorSession& session, const RoomView& view, ImVec2 at, const EditorScreen& screen = {},
                 int button = 0) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = at;
        draw(session, view, screen);
        io.MouseDown[button] = true;
        draw(session, view, screen);
        io.MouseDown[button] = false;
        draw(session, view, screen);
        // A popup opened by the click shows from the frame after.
        draw(session, view, screen);
    }
    // Letters typed into the field that has the keyboard, then Enter.
    void type(EditorSession& session, const RoomView& view, std::string_view text) {
        ImGuiIO& io = ImGui::GetIO();
        for (const char c : text)
            io.AddInputCharacter(static_cast<unsigned>(c));
        draw(session, view);
        io.KeysDown[EnterKey] = true;
        draw(session, view);
        io.KeysDown[EnterKey] = false;
        draw(session, view);
    }

  private:
    ImGuiContext* context;
};

// Whether `at` is on the pixel a line at `line` is drawn through: Dear ImGui draws lines through
// pixel centres, half a pixel on, so a one-pixel line's quad spans [line, line + 1].
bool near(float at, float line) {
    return at - line >= -0.01f && at - line <= 1.01f;
}

TEST(ImguiRoomView, TheGridMarksEveryFifthUnitAndTheHandlesSitOnTheSelectionsCorners) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    ASSERT_EQ(view.scale, 24.0f);
    EditorSession session("room.txt", "platform start 3 10 end 6 12 texture res/textures/stone.png\n"
                                      "lift waypoint 30 20 waypoint 30 26\n");

    // The stronger lines: every fifth column (9) and row (7), each a quad from edge to edge.
    const std::vector<ImVec2> strong = frame.drawn(session, view, IM_COL32(255, 255, 255, 60));
    ASSERT_EQ(strong.size(), 4u * (9 + 7));
    for (const ImVec2& v : strong) {
        const float x = view.toRoomX(v.x) / 5.0f, y = view.toRoomY(v.y) / 5.0f;
        EXPECT_TRUE(near(v.x, view.toScreenX(5.0f * std::round(x))) &&
                    near(v.y, view.toScreenY(5.0f * std::round(y))))
            << "a strong grid line's corner at " << v.x << ", " << v.y;
    }
    EXPECT_EQ(frame.drawn(session, view, IM_COL32(255, 255, 255, 26)).size(), 4u * (32 + 24));
    EXPECT_EQ(frame.drawn(session, view, IM_COL32(235, 235, 235, 200)).size(), 16u) << "a platform's outline";
    // A lift's outline, its stops' outlines (each 16 corners) and numbers (4), the path between them.
    EXPECT_EQ(frame.drawn(session, view, IM_COL32(60, 220, 210, 220)).size(), 16u + 2 * (16 + 4) + 4);
    EXPECT_TRUE(frame.drawn(session, view, IM_COL32(0, 0, 0, 255)).empty())
        << "handles with nothing selected";

    // The selected platform's four handles, each outlined around the box the session grips by.
    session.selectLine(0);
    const std::vector<EditorBox> handles = session.handles(handleReach(view));
    ASSERT_EQ(handles.size(), 4u);
    const std::vector<ImVec2> outline = frame.drawn(session, view, IM_COL32(0, 0, 0, 255));
    ASSERT_FALSE(outline.empty());
    for (const ImVec2& v : outline) {
        bool onOne = false;
        for (const EditorBox& h : handles) {
            const float left = view.toScreenX(h.x), right = view.toScreenX(h.x + h.w);
            const float top = view.toScreenY(h.y - h.h), bottom = view.toScreenY(h.y);
            onOne = onOne ||
                    (v.x >= left - 1.0f && v.x <= right + 1.0f && v.y >= top - 1.0f && v.y <= bottom + 1.0f);
        }
        EXPECT_TRUE(onOne) << "a handle's outline at " << v.x << ", " << v.y << " around no handle";
    }
    for (const EditorBox& h : handles) {
        const ImVec2 topLeft(view.toScreenX(h.x), view.toScreenY(h.y - h.h));
        bool reached = false;
        for (const ImVec2& v : outline)
            reached = reached || (std::fabs(v.x - topLeft.x) <= 1.0f && std::fabs(v.y - topLeft.y) <= 1.0f);
        EXPECT_TRUE(reached) << "no outline at the handle's corner " << topLeft.x << ", " << topLeft.y;
    }
}

// Where the last frame drew `text` over the room (not in the panel nor the status bar).
std::vector<Shown> overRoom(std::string_view text) {
    std::vector<Shown> found = ImguiFrame::shown(text);
    std::erase_if(found, [](const Shown& s) {
        return s.at.x >= WindowWidth - 330.0f || s.at.y >= WindowHeight - 26.0f;
    });
    return found;
}

// The inspector's label of `key`: the last drawn in the panel's key column above the help (the
// line's own text, shown above the inspector, and the help may wrap onto a word of it).
ImVec2 label(std::string_view key) {
    const float panel = WindowWidth - 330.0f;
    std::vector<Shown> keys = ImguiFrame::shown(key);
    const float help = ImguiFrame::shown("Drag to move").at(0).at.y;
    std::erase_if(keys, [&](const Shown& s) { return s.at.x >= panel + 20.0f || s.at.y >= help; });
    if (keys.empty()) {
        ADD_FAILURE() << "no row \"" << key << "\"";
        return ImVec2(-1.0f, -1.0f);
    }
    return ImVec2(keys.back().at.x + 3.0f, keys.back().at.y + 5.0f);
}

// Where `text` is drawn on the inspector's row of `key`: in the value column, on the key's line.
ImVec2 onRow(std::string_view key, std::string_view text) {
    const ImVec2 row = label(key);
    for (const Shown& s : ImguiFrame::shown(text)) {
        if (s.at.x > WindowWidth - 330.0f + 80.0f && std::fabs(s.at.y + 5.0f - row.y) <= 4.0f)
            return ImVec2(s.at.x + 3.0f, s.at.y + 5.0f);
    }
    ADD_FAILURE() << "no \"" << text << "\" on the row \"" << key << "\"";
    return ImVec2(-1.0f, -1.0f);
}

// Where the view puts the room and what counts as in it: centred in the window left of the
// panel and above the status bar, on whole pixels, edges in and margins as wide as asked.
TEST(ImguiRoomView, TheRoomIsCentredBesideThePanelAndItsEdgesAreWhereTheyAre) {
    const RoomView half = layOutRoomView(330 + 480, 26 + 360);
    EXPECT_EQ(half.scale, 12.0f);
    EXPECT_FLOAT_EQ(handleReach(half) * half.scale, 5.0f) << "a handle is 10 pixels at any scale";
    // 201 pixels wider, or taller: the room at the same scale, the space shared either side.
    const RoomView wide = layOutRoomView(WindowWidth + 201, WindowHeight);
    const RoomView tall = layOutRoomView(WindowWidth, WindowHeight + 101);
    EXPECT_TRUE(wide.scale == 24.0f && wide.left == 100.0f && wide.top == 0.0f);
    EXPECT_TRUE(tall.scale == 24.0f && tall.left == 0.0f && tall.top == 50.0f);
    EXPECT_TRUE(wide.toRoomX(148.0f) == 2.0f && tall.toRoomY(122.0f) == 3.0f);
    EXPECT_TRUE(wide.toScreenX(2.0f) == 148.0f && tall.toScreenY(3.0f) == 122.0f);
    // A window smaller than the panel still shows a room to divide by.
    EXPECT_GT(layOutRoomView(100, 10).scale, 0.0f);
    // The edges' pixels in, the next out; a quarter unit (6 pixels) of margin in to its edge.
    EXPECT_TRUE(wide.inside(100.0f, 0.0f) && wide.inside(1059.0f, 719.0f));
    EXPECT_TRUE(!wide.inside(99.0f, 10.0f) && !wide.inside(1060.0f, 10.0f));
    EXPECT_TRUE(!tall.inside(10.0f, 49.0f) && !tall.inside(10.0f, 770.0f));
    EXPECT_TRUE(wide.inside(94.0f, 10.0f, 0.25f) && !wide.inside(93.0f, 10.0f, 0.25f));
    EXPECT_TRUE(wide.inside(1065.0f, 10.0f, 0.25f) && !wide.inside(1066.0f, 10.0f, 0.25f));
    EXPECT_TRUE(tall.inside(10.0f, 44.0f, 0.25f) && !tall.inside(10.0f, 43.0f, 0.25f));
    EXPECT_TRUE(tall.inside(10.0f, 775.0f, 0.25f) && !tall.inside(10.0f, 776.0f, 0.25f));
}

// The selection is drawn in white over the rest: an entry point with the arrow of the side it
// comes in by and the side's name over it, a robot with its waypoints, numbered, and its
// patrol between them.
TEST(ImguiRoomView, TheSelectionShowsItsSideMarkersAndPatrol) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    EditorSession session("room.txt", "entrypoint position 10 20 side left\n"
                                      "robot start 20 10 direction 1 waypoints 14 10 30 10 speed slow\n");
    const Piece entry = *session.editor().piece(0);
    ASSERT_TRUE(entry.box);
    const EditorBox& box = *entry.box;
    const float middleX = view.toScreenX(box.x + box.w / 2.0f);
    // What is drawn in white: its extent, and whether a vertex of it is at a point.
    std::vector<ImVec2> white;
    auto extent = [&] {
        white = frame.drawn(session, view, White);
        ImVec2 low(1e9f, 1e9f), high(-1e9f, -1e9f);
        for (const ImVec2& v : white) {
            low = ImVec2(std::min(low.x, v.x), std::min(low.y, v.y));
            high = ImVec2(std::max(high.x, v.x), std::max(high.y, v.y));
        }
        return std::pair(low, high);
    };
    auto drawnAt = [&](float x, float y) {
        return std::any_of(white.begin(), white.end(), [&](const ImVec2& v) {
            return std::fabs(v.x - x) < 0.01f && std::fabs(v.y - y) < 0.01f;
        });
    };
    // An arrow's head: its tip, and its back 8 pixels behind, `back` the way it points from.
    auto headAt = [&](float x, float y, float back) {
        return drawnAt(x, y) && drawnAt(x + back, y - 4.8f) && drawnAt(x + back, y + 4.8f);
    };
    const float middleY = view.toScreenY(box.y - box.h / 2.0f);
    EXPECT_TRUE(frame.drawn(session, view, White).empty()) << "white with nothing selected";
    EXPECT_FALSE(frame.drawn(session, view, IM_COL32(90, 240, 90, 240)).empty()) << "an entry point's green";
    EXPECT_FALSE(frame.drawn(session, view, IM_COL32(250, 80, 80, 230)).empty()) << "a robot's red";

    session.selectLine(0);
    auto [low, high] = extent();
    // The arrow comes in from a unit and a half left of the box, its line 2 pixels thick.
    EXPECT_NEAR(low.x, middleX - 2.5f * view.scale - 1.0f, 1.5f);
    // The box's right edge, 3 pixels thick.
    EXPECT_NEAR(high.x, view.toScreenX(box.x + box.w) + 1.5f, 1.5f);
    EXPECT_NEAR(high.y, view.toScreenY(box.y) + 1.5f, 1.5f);
    EXPECT_TRUE(headAt(middleX - 0.4f * view.scale, middleY, -8.0f));
    std::vector<Shown> side = overRoom("left");
    ASSERT_EQ(side.size(), 1u);
    EXPECT_EQ(side[0].colour, White);
    EXPECT_EQ(side[0].at.x, view.toScreenX(box.x));
    EXPECT_EQ(side[0].at.y, view.toScreenY(box.y - box.h) - 16.0f);

    session.flipSide();
    std::tie(low, high) = extent();
    EXPECT_NEAR(low.x, view.toScreenX(box.x) - 1.5f, 1.5f);
    EXPECT_NEAR(high.x, middleX + 2.5f * view.scale + 1.0f, 1.5f);
    EXPECT_TRUE(headAt(middleX + 0.4f * view.scale, middleY, 8.0f));
    EXPECT_TRUE(overRoom("left").empty());
    EXPECT_EQ(overRoom("right").size(), 1u);

    // The robot's waypoints, each its box's size, from its first one's left to its second's right,
    // and the patrol's arrows between their middles, each with its head.
    session.selectLine(1);
    const Piece robot = *session.editor().piece(1);
    ASSERT_EQ(robot.markers.size(), 2u);
    std::tie(low, high) = extent();
    const EditorBox& first = robot.markers[0];
    const EditorBox& second = robot.markers[1];
    EXPECT_NEAR(low.x, view.toScreenX(first.x) - 0.5f, 1.5f);
    EXPECT_NEAR(high.x, view.toScreenX(second.x + second.w) + 0.5f, 1.5f);
    EXPECT_NEAR(low.y, view.toScreenY(robot.box->y - robot.box->h) - 1.5f, 1.5f);
    // Each arrow's head: its tip at a waypoint's middle, its back 8 pixels towards the other.
    const float a = view.toScreenX(first.x + first.w / 2.0f), b = view.toScreenX(second.x + second.w / 2.0f);
    const float y = view.toScreenY(first.y - first.h / 2.0f);
    EXPECT_TRUE(headAt(a, y, 8.0f)) << "the head at the first waypoint";
    EXPECT_TRUE(headAt(b, y, -8.0f)) << "the head at the second waypoint";
    EXPECT_EQ(overRoom("1").size(), 1u);
    EXPECT_EQ(overRoom("2").size(), 1u);
}

// The panel and the status bar say the file, whether it is saved, the mouse's place and the
// last event (a warning standing out), and a click on the palette chooses what a click on empty
// room places; a play-test leaves only the way back, and nothing over the room.
TEST(ImguiRoomView, ThePanelSaysWhatIsEditedAndItsPaletteChooses) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    EditorSession session("rooms/yard.txt", "platform start 3 10 end 6 12 texture res/textures/stone.png\n");
    EditorScreen screen;
    screen.mouseX = 12.5f;
    screen.mouseY = 3.0f;
    frame.draw(session, view, screen);
    EXPECT_TRUE(ImguiFrame::shows("rooms/yard.txt"));
    EXPECT_TRUE(ImguiFrame::shows("Saved"));
    EXPECT_TRUE(ImguiFrame::shows("Nothing selected"));
    EXPECT_TRUE(ImguiFrame::shows("x 12.5 y 3.0"));
    EXPECT_FALSE(ImguiFrame::shows("unsaved changes"));

    EXPECT_TRUE(ImguiFrame::marked("0 none", ImGuiCol_CheckMark));
    frame.click(session, view, "2 lift");
    EXPECT_EQ(session.palette(), PieceKind::Lift);
    EXPECT_TRUE(ImguiFrame::marked("2 lift", ImGuiCol_CheckMark));
    EXPECT_FALSE(ImguiFrame::marked("0 none", ImGuiCol_CheckMark));
    EXPECT_FALSE(ImguiFrame::marked("3 searchable", ImGuiCol_CheckMark));
    frame.click(session, view, "5 entry point");
    EXPECT_EQ(session.palette(), PieceKind::EntryPoint);
    frame.click(session, view, "0 none");
    EXPECT_EQ(session.palette(), std::nullopt);

    session.selectLine(0);
    session.removeSelection();
    frame.draw(session, view);
    EXPECT_TRUE(ImguiFrame::shows("Modified: Ctrl+S saves"));
    EXPECT_TRUE(ImguiFrame::shows("unsaved changes"));
    EXPECT_TRUE(ImguiFrame::shows("x - y -"));
    const std::vector<Shown> said = ImguiFrame::shown("removed platform at line 1");
    ASSERT_EQ(said.size(), 1u);
    session.leave();
    frame.draw(session, view);
    const std::vector<Shown> warned = ImguiFrame::shown("unsaved changes: Ctrl+Q again");
    ASSERT_EQ(warned.size(), 1u);
    EXPECT_NE(warned[0].colour, said[0].colour) << "the warning looks like any status line";

    screen.playing = true;
    frame.draw(session, view, screen);
    EXPECT_TRUE(ImguiFrame::shows("Escape comes back to the editor."));
    EXPECT_FALSE(ImguiFrame::shows("Palette"));
    EXPECT_EQ(ImGui::GetBackgroundDrawList()->VtxBuffer.Size, 0) << "drawn over a play-test";
}

// The inspector commits what is typed into a field on Enter, to that one value; adds a key
// with its first values, removes one on a right-click, picks a keyword from its list, and
// edits a patrol's list word by word.
TEST(ImguiInspector, EditsGoToTheSelectedObjectsKeys) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    EditorSession session("room.txt", "searchable position 5 20 width 2 height 3 percentage 50\n"
                                      "robot start 20 10 direction 1 waypoints 14 10 30 10 speed normal "
                                      "patrol movetopoint1 pause\n"
                                      "lift waypoint 9 12 waypoint 9 26\n");
    auto line = [&](std::size_t i) { return session.editor().document().line(i).text; };
    session.selectLine(0);
    frame.draw(session, view);
    EXPECT_TRUE(ImguiFrame::shows("Inspector: searchable, line 1"));
    // A row's unit beside its fields where it fits.
    EXPECT_NEAR(ImguiFrame::shown("units x y").at(0).at.y + 5.0f, label("position").y, 4.0f);
    frame.clickAt(session, view, onRow("position", "20"));
    frame.type(session, view, "21");
    EXPECT_EQ(line(0), "searchable position 5 21 width 2 height 3 percentage 50");
    frame.clickAt(session, view, onRow("height", "3"));
    frame.type(session, view, "4");
    EXPECT_EQ(line(0), "searchable position 5 21 width 2 height 4 percentage 50");
    // A key that may go says so when the mouse is over it, and goes on a right-click.
    ImGui::GetIO().MousePos = label("percentage");
    frame.draw(session, view);
    frame.draw(session, view);
    EXPECT_TRUE(ImguiFrame::shows("right-click: remove"));
    frame.clickAt(session, view, label("percentage"), {}, 1);
    EXPECT_EQ(line(0), "searchable position 5 21 width 2 height 4");
    frame.clickAt(session, view, onRow("percentage", "add"));
    EXPECT_EQ(line(0), "searchable position 5 21 width 2 height 4 percentage 0");

    session.selectLine(1);
    session.setChoices({{}, {"res/textures/robot_a.set", "res/textures/robot_b.set"}});
    frame.draw(session, view);
    EXPECT_TRUE(ImguiFrame::shows("Line 2:"));
    // Under its fields where it does not fit; a list's words under each other.
    EXPECT_GT(ImguiFrame::shown("units x1 y1 x2 y2").at(0).at.y, label("waypoints").y + 10.0f);
    EXPECT_EQ(ImguiFrame::shown("2 pause").at(0).at.x, ImguiFrame::shown("1 movetopoint1").at(0).at.x);
    EXPECT_TRUE(ImguiFrame::shows("without it its body is not drawn"));
    frame.clickAt(session, view, onRow("laser", "(not given)"));
    frame.click(session, view, "res/textures/robot_b.set");
    EXPECT_EQ(session.lastStatus(), "set laser of line 2 to res/textures/robot_b.set");
    frame.clickAt(session, view, onRow("speed", "normal"));
    EXPECT_TRUE(ImguiFrame::marked("normal", ImGuiCol_Header)) << "the robot's speed, marked in its list";
    EXPECT_FALSE(ImguiFrame::marked("fast", ImGuiCol_Header));
    frame.click(session, view, "fast");
    EXPECT_EQ(session.lastStatus(), "set speed of line 2 to fast");
    frame.clickAt(session, view, onRow("patrol", "down"));
    EXPECT_NE(line(1).find("patrol pause movetopoint1"), std::string::npos) << line(1);
    // Under the list's words, in the value column.
    EXPECT_GT(ImguiFrame::shown("add a behaviour").at(0).at.x, WindowWidth - 330.0f + 80.0f);
    frame.click(session, view, "add a behaviour");
    frame.click(session, view, "followplayer");
    EXPECT_NE(line(1).find("patrol pause movetopoint1 followplayer"), std::string::npos) << line(1);
    frame.clickAt(session, view, onRow("patrol", "x"));
    EXPECT_NE(line(1).find("patrol movetopoint1 followplayer"), std::string::npos) << line(1);
    std::vector<Shown> ups = ImguiFrame::shown("up");
    std::erase_if(ups, [](const Shown& s) { return s.at.x < WindowWidth - 330.0f + 80.0f; });
    frame.clickAt(session, view, ImVec2(ups.at(1).at.x + 3.0f, ups.at(1).at.y + 5.0f));
    EXPECT_NE(line(1).find("patrol followplayer movetopoint1"), std::string::npos) << line(1);
    // A patrol the game needs is no key to remove.
    frame.clickAt(session, view, label("patrol"), {}, 1);
    EXPECT_NE(line(1).find("patrol followplayer movetopoint1"), std::string::npos) << line(1);

    session.selectLine(2);
    frame.draw(session, view);
    frame.click(session, view, "add another");
    EXPECT_EQ(line(2), "lift waypoint 9 12 waypoint 9 26 waypoint 9 26");
    onRow("startpoint", "not given");
    frame.clickAt(session, view, onRow("startpoint", "add"));
    EXPECT_EQ(line(2), "lift waypoint 9 12 waypoint 9 26 waypoint 9 26 startpoint 0");
    frame.clickAt(session, view, label("waypoint 2"), {}, 1);
    EXPECT_EQ(line(2), "lift waypoint 9 12 waypoint 9 26 startpoint 0");
}

// The room check's findings, by the line, the room or the file they are about, a click on one
// selecting its line; its measures in the status bar; a check running, failed or missing says so.
TEST(ImguiRoomView, TheFindingsListSelectsTheLineClicked) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    EditorSession session("yard.txt", "platform start 0 26 end 39 29 texture res/textures/stone.png\n"
                                      "entrypoint position 1 25 side left\n"
                                      "widget at 4 5\n");
    EditorScreen screen;
    const std::string checkNote = "not found: no marrowgast-check at bin";
    const std::string solverNote = "not found: no marrowgast-solve at bin";
    screen.checkNote = &checkNote;
    screen.solverNote = &solverNote;
    frame.draw(session, view, screen);
    EXPECT_TRUE(ImguiFrame::shows("Check: " + checkNote));
    EXPECT_TRUE(ImguiFrame::shows(solverNote));

    TempDir scratch;
    CheckWatch failing(scratch.path("no-such-checker"), MARROWGAST_SOURCE_DIR, scratch.path(""));
    std::string why;
    EXPECT_FALSE(failing.check(session.editor().document().text(), why));
    screen.check = &failing;
    frame.draw(session, view, screen);
    EXPECT_TRUE(ImguiFrame::shows(failing.summaryText())) << failing.summaryText();

    CheckWatch watch(MARROWGAST_CHECK_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    screen.check = &watch;
    // Whether the panel said "Checking" while the check ran.
    auto checked = [&](std::string_view text) {
        std::string failed;
        EXPECT_TRUE(watch.check(text, failed)) << failed;
        frame.draw(session, view, screen);
        const bool checking = ImguiFrame::shows("Checking");
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!watch.poll() && watch.state() == CheckWatch::State::Checking &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        frame.draw(session, view, screen);
        return checking;
    };
    EXPECT_TRUE(checked(session.editor().document().text()));
    ASSERT_EQ(watch.findings().size(), 2u) << watch.summaryText();
    EXPECT_TRUE(ImguiFrame::shows("Findings (2)"));
    EXPECT_TRUE(ImguiFrame::shows("saved | " + watch.measures()));
    EXPECT_TRUE(ImguiFrame::shows("the room"));
    frame.click(session, view, "line 3", screen);
    EXPECT_EQ(session.editor().selection(), 2u);
    EXPECT_TRUE(ImguiFrame::marked("line 3", ImGuiCol_Header));
    EXPECT_FALSE(ImguiFrame::marked("the room", ImGuiCol_Header));
    frame.click(session, view, watch.findings()[1].message.substr(0, 20), screen);
    EXPECT_EQ(session.editor().selection(), 2u) << "a finding about the room selects no line";
    session.selectLine(0);
    frame.draw(session, view, screen);
    EXPECT_EQ(session.editor().selection(), 0u) << "the list drawn without a click selects nothing";
    frame.click(session, view, watch.findings()[0].message.substr(0, 20), screen);
    EXPECT_EQ(session.editor().selection(), 2u) << "a click on a finding's words selects its line";

    checked("platform start 0 26 end 39 29 texture res/textures/stone.png\n"
            "entrypoint position 1 25 side left\nentrypoint position 37 25 side right\n");
    EXPECT_TRUE(watch.findings().empty()) << watch.summaryText();
    EXPECT_TRUE(ImguiFrame::shows("The check finds nothing"));
}

// The solver's answers in the panel, each way in its colour; a way crossed drawn as the hero's
// box where it stands along it, a way not crossed as the room its body filled: each unit cell
// of its box at every place reached shaded once, and no other.
TEST(ImguiRoomView, TheSolversWaysAreDrawnOverTheRoom) {
    ImguiFrame frame;
    const RoomView view = layOutRoomView(WindowWidth, WindowHeight);
    // A drop from a block ten units high: crossed east, never climbed back west.
    EditorSession session("drop.txt", "platform start 0 16 end 10 29 texture res/textures/stone.png\n"
                                      "platform start 11 26 end 39 29 texture res/textures/stone.png\n"
                                      "entrypoint position 1 15 side left\n"
                                      "entrypoint position 37 25 side right\n");
    TempDir scratch;
    SolverWatch solver(MARROWGAST_SOLVE_PROGRAM, MARROWGAST_SOURCE_DIR, scratch.path(""));
    std::string why;
    ASSERT_TRUE(solver.search(session.editor().document().text(), why)) << why;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while ((solver.searching() > 0 || solver.poll()) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    solver.poll();
    const WayAnswer &east = solver.answer(0), &west = solver.answer(1);
    ASSERT_EQ(east.state, WayAnswer::State::Crossed) << solver.answerText(0);
    ASSERT_EQ(west.state, WayAnswer::State::NotCrossed) << solver.answerText(1);
    EditorScreen screen;
    screen.solver = &solver;
    frame.draw(session, view, screen);
    const std::vector<Shown> eastText = ImguiFrame::shown(solver.answerText(0));
    const std::vector<Shown> westText = ImguiFrame::shown(solver.answerText(1));
    ASSERT_EQ(eastText.size(), 1u);
    ASSERT_EQ(westText.size(), 1u);
    EXPECT_NE(eastText[0].colour, westText[0].colour);

    const ImVector<ImDrawVert>& v = ImGui::GetBackgroundDrawList()->VtxBuffer;
    auto drawnNear = [&](float x, float y) {
        return std::any_of(v.begin(), v.end(), [&](const ImDrawVert& d) {
            return std::fabs(d.pos.x - view.toScreenX(x)) <= 1.5f &&
                   std::fabs(d.pos.y - view.toScreenY(y)) <= 1.5f;
        });
    };
    for (const auto& [x, y] : east.path) {
        EXPECT_TRUE(drawnNear(x, y - PlayerHeight) && drawnNear(x + PlayerWidth, y))
            << "no box at " << x << ", " << y;
    }
    // The shaded cells: squares of a unit filled at whole units, by their top-left corners.
    std::multiset<std::pair<int, int>> shaded;
    for (int i = 0; i + 3 < v.Size; ++i) {
        const ImVec2 a = v[i].pos, c = v[i + 2].pos;
        if (c.x - a.x == view.scale && c.y - a.y == view.scale && v[i + 1].pos.y == a.y &&
            v[i + 3].pos.x == a.x && std::fmod(view.toRoomX(a.x), 1.0f) == 0.0f &&
            std::fmod(view.toRoomY(a.y), 1.0f) == 0.0f)
            shaded.insert({static_cast<int>(view.toRoomX(a.x)), static_cast<int>(view.toRoomY(a.y))});
    }
    ASSERT_FALSE(west.reached.empty());
    for (const auto& [x, y] : west.reached)
        for (const auto& cell : {std::pair(x, y - 1), std::pair(x + 1, y - 3)})
            EXPECT_EQ(shaded.count(cell), cell.first < RoomWidth ? 1u : 0u)
                << "the body at " << x << ", " << y;
    for (const auto& [cx, cy] : shaded)
        EXPECT_TRUE(std::any_of(west.reached.begin(), west.reached.end(),
                                [&](const std::pair<int, int>& at) {
                                    return cx >= at.first && cx < at.first + 2 && cy >= at.second - 3 &&
                                           cy < at.second;
                                }))
            << "a cell shaded at " << cx << ", " << cy << " that no body filled";
}

} // namespace
