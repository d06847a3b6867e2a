// What the editor draws over the room, read back from Dear ImGui's draw list without a window.
#include "editorwindow/ImguiRoomView.h"
#include "editor/EditorSession.h"
#include "graphics/SpriteRenderer.h"

#include <gtest/gtest.h>
#include <imgui.h>

#include <cmath>
#include <vector>

namespace {

constexpr int WindowWidth = 1290;
constexpr int WindowHeight = 746;

// One frame of the editor's screen, drawn by Dear ImGui alone: lines as plain quads (no
// anti-aliasing), so that each vertex lies half a pixel from its line.
class ImguiFrame {
  public:
    ImguiFrame() : context(ImGui::CreateContext()) {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(WindowWidth, WindowHeight);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        unsigned char* pixels = nullptr;
        int width = 0, height = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        ImGui::GetStyle().AntiAliasedLines = false;
        ImGui::GetStyle().AntiAliasedFill = false;
    }
    ~ImguiFrame() { ImGui::DestroyContext(context); }
    ImguiFrame(const ImguiFrame&) = delete;
    ImguiFrame& operator=(const ImguiFrame&) = delete;

    // The vertices of `colour` drawn over the room.
    std::vector<ImVec2> drawn(EditorSession& session, const RoomView& view, ImU32 colour) {
        ImGui::NewFrame();
        drawEditorScreen(session, view, EditorScreen{});
        ImGui::Render();
        std::vector<ImVec2> found;
        for (const ImDrawVert& v : ImGui::GetBackgroundDrawList()->VtxBuffer) {
            if (v.col == colour)
                found.push_back(v.pos);
        }
        return found;
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
    EditorSession session("room.txt", "platform start 3 10 end 6 12 texture res/textures/stone.png\n");

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

} // namespace
