// The editor's window run headless, driven by the SDL events an author's keys and mouse make.
#include "app/RoomEditorStart.h"
#include "editor/EditorSession.h"
#include "editorwindow/ImguiRoomView.h"
#include "graphics/Graphics.h"

#include "support/ReadText.h"
#include "support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace {

// An event with its type and one field filled in, queued for the editor's next pass.
template <class Fill> void push(Uint32 type, Fill fill) {
    SDL_Event event{};
    event.type = type;
    fill(event);
    SDL_PushEvent(&event);
}

void press(SDL_Keycode key, Uint16 mod = 0) {
    for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP})
        push(type, [&](SDL_Event& e) { e.key.keysym = {SDL_GetScancodeFromKey(key), key, mod, 0}; });
}

// The editor driven as an author would: a platform placed in room 1 with key 1 and a click,
// saved, played and left with Escape, a crossing asked of a solver that is not there, the
// platform removed and the window closed twice over that unsaved change.
TEST(EditorWindow, PlacesSavesPlaysAndLeavesAsTheAuthorAsks) {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    TempDir folder;
    const std::string original = readText(MARROWGAST_SOURCE_DIR "/res/rooms/room1.txt");
    const std::string room = folder.write("room.txt", original);
    const EditorSession* session = nullptr;
    SDL_Window* window = nullptr;
    auto title = [&] { return std::string(SDL_GetWindowTitle(window)); };
    // Each step runs at the first pass after its status line is said.
    std::vector<std::pair<std::string, std::function<void()>>> steps;
    const auto then = [&steps](std::string status, std::function<void()> step) {
        steps.emplace_back(std::move(status), std::move(step));
    };
    const RoomView view = layOutRoomView(1290, 746);
    then("editing \"" + room + "\"", [] { press(SDLK_1); });
    then("palette: platform", [&] {
        EXPECT_EQ(title(), "Marrowgast room editor: room.txt");
        // The room's frame is shown as the game composed it, a window pixel a frame pixel: each
        // unit's middle over the top nine rows, where nothing is outlined.
        const RgbaImage& frame = theGraphics.device->frame().image();
        std::vector<std::uint8_t> shown(frame.pixels.size());
        const SDL_Rect place{static_cast<int>(view.left), static_cast<int>(view.top), 960, 720};
        ASSERT_EQ(
            SDL_RenderReadPixels(SDL_GetRenderer(window), &place, SDL_PIXELFORMAT_RGBA32, shown.data(), 3840),
            0);
        for (std::size_t at = 12 * 960 + 12; at < 9 * 24 * 960; at += at % 960 == 948 ? 23 * 960 + 24 : 24)
            EXPECT_TRUE(std::equal(&shown[at * 4], &shown[at * 4 + 3], &frame.pixels[at * 4]))
                << "pixel " << at;
        for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
            push(type, [&](SDL_Event& e) {
                e.button = {type,
                            0,
                            0,
                            0,
                            SDL_BUTTON_LEFT,
                            0,
                            1,
                            0,
                            static_cast<int>(view.toScreenX(25.5f)),
                            static_cast<int>(view.toScreenY(10.5f))};
            });
    });
    then("placed platform at line 20", [&] {
        EXPECT_EQ(title(), "Marrowgast room editor: room.txt *");
        press(SDLK_s, KMOD_LCTRL);
    });
    then("saved \"" + room + "\"", [&] {
        EXPECT_EQ(readText(room), session->editor().document().text());
        EXPECT_EQ(title(), "Marrowgast room editor: room.txt");
        press(SDLK_F5);
    });
    // The play-test's title from its first frame on.
    then("play-test from left", [] {});
    then("play-test from left", [&] {
        EXPECT_EQ(title(), "Marrowgast room editor: room.txt (play-test)");
        press(SDLK_ESCAPE);
    });
    then("back in the editor", [] { press(SDLK_F6); });
    then("no crossing to play: ", [] { press(SDLK_DELETE); });
    then("removed platform",
         [] { push(SDL_WINDOWEVENT, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; }); });
    then("unsaved changes", [] { push(SDL_QUIT, [](SDL_Event&) {}); });
    RoomEditorStart start{MARROWGAST_SOURCE_DIR, room, folder.path("shots"), {}};
    std::size_t next = 0;
    int passes = 0;
    start.beforePass = [&](const EditorSession& now, SDL_Window* shown) {
        session = &now;
        window = shown;
        if (++passes > 1000)
            push(SDL_QUIT, [](SDL_Event&) {});
        else if (next < steps.size() && now.lastStatus().rfind(steps[next].first, 0) == 0)
            steps[next++].second();
    };
    testing::internal::CaptureStdout();
    EXPECT_EQ(runRoomEditor(start), 0);
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(next, steps.size()) << said;
    EXPECT_EQ(std::regex_replace(readText(room), std::regex("platform start 25 11 end 28 11 [^\n]*\n"), ""),
              original)
        << "saved with the platform, and not again without it";
    // Where the tools were looked for, and how many steps the play-test ran, vary.
    said = std::regex_replace(said, std::regex(" at [^\n]*marrowgast-(solve|check)[^\n]*\n"), " at ...\n");
    said = std::regex_replace(said, std::regex("after [0-9]+ steps"), "after N steps");
    EXPECT_EQ(
        said,
        "editing \"" + room + "\"\nsolver: not found: no marrowgast-solve at ...\n" +
            "check: not found: no marrowgast-check at ...\npalette: platform\n" +
            "placed platform at line 20\nsaved \"" + room + "\"\nplay-test from left\n" +
            "play-test ended after N steps, the player at x 1.00 y 25.00\nback in the editor\n" +
            "no crossing to play: not found: no marrowgast-solve at ...\nremoved platform at line 20\n" +
            "unsaved changes: Ctrl+Q again to leave without saving\nleft without saving\n");
}

} // namespace
