// The editor's window run headless, driven by the SDL events an author's keys and mouse make.
#include "app/RoomEditorStart.h"
#include "definitions/StopRequests.h"
#include "editor/EditorSession.h"
#include "editorwindow/ImguiRoomView.h"
#include "graphics/Graphics.h"

#include "support/ReadText.h"
#include "support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

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
    const std::string room = folder.write("room.txt", readText(MARROWGAST_SOURCE_DIR "/res/rooms/room1.txt"));
    const std::string name = "Marrowgast room editor: room.txt";
    const RoomView view = layOutRoomView(1290, 746);
    std::string title, said;
    SDL_Window* shownIn = nullptr;
    // What is done at the first pass after each status line, by the line's first word.
    const std::map<std::string, std::function<void()>> steps = {
        {"editing", [] { press(SDLK_1); }},
        {"palette:",
         [&] {
             EXPECT_EQ(title, name);
             // The room's frame as the game composed it, a window pixel a frame pixel: each
             // unit's middle over the top nine rows, where nothing is outlined.
             const RgbaImage& frame = theGraphics.device->frame().image();
             std::vector<std::uint8_t> shown(frame.pixels.size());
             const SDL_Rect place{static_cast<int>(view.left), static_cast<int>(view.top), 960, 720};
             SDL_RenderReadPixels(SDL_GetRenderer(shownIn), &place, SDL_PIXELFORMAT_RGBA32, shown.data(),
                                  3840);
             int differ = 0;
             for (std::size_t at = 12 * 960 + 12; at < 9 * 24 * 960;
                  at += at % 960 == 948 ? 23 * 960 + 24 : 24)
                 differ += std::equal(&shown[at * 4], &shown[at * 4 + 3], &frame.pixels[at * 4]) ? 0 : 1;
             EXPECT_EQ(differ, 0) << "units' middles shown otherwise than composed";
             for (const Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP})
                 push(type, [&](SDL_Event& e) {
                     e.button.button = SDL_BUTTON_LEFT;
                     e.button.x = static_cast<int>(view.toScreenX(25.5f));
                     e.button.y = static_cast<int>(view.toScreenY(10.5f));
                 });
         }},
        {"placed",
         [&] {
             EXPECT_EQ(title, name + " *");
             press(SDLK_s, KMOD_LCTRL);
         }},
        {"saved",
         [&] {
             EXPECT_EQ(title, name);
             press(SDLK_F5);
         }},
        {"play-test", [] { press(SDLK_ESCAPE); }},
        // The play-test's last frame is still up.
        {"back",
         [&] {
             EXPECT_EQ(title, name + " (play-test)");
             press(SDLK_F6);
         }},
        {"no", [] { press(SDLK_DELETE); }},
        {"removed",
         [] { push(SDL_WINDOWEVENT, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; }); }},
        {"unsaved", [] { push(SDL_QUIT, [](SDL_Event&) {}); }}};
    RoomEditorStart start{MARROWGAST_SOURCE_DIR, room, folder.path("shots"), {}};
    int passes = 0;
    start.beforePass = [&](const EditorSession& session, SDL_Window* window) {
        shownIn = window;
        title = SDL_GetWindowTitle(window);
        const std::string& line = session.lastStatus();
        const auto step = steps.find(line.substr(0, line.find(' ')));
        if (++passes > 400)
            requestStop(); // what was asked for never came: the editor ends as on a stop signal
        else if (line != said && step != steps.end())
            step->second();
        said = line;
    };
#if defined(__SANITIZE_ADDRESS__)
    // The offscreen driver's libraries leak, unloaded before the leak check can name them; the
    // window's own memory errors are still caught.
    const __lsan::ScopedDisabler libraries;
#endif
    testing::internal::CaptureStdout();
    EXPECT_EQ(runRoomEditor(start), 0);
    said = testing::internal::GetCapturedStdout();
    // Where the tools were looked for, and how many steps the play-test ran, vary.
    said = std::regex_replace(said, std::regex(" at [^\n]*marrowgast-(solve|check)[^\n]*\n"), " at ...\n");
    said = std::regex_replace(said, std::regex("after [0-9]+ steps"), "after N steps");
    EXPECT_EQ(
        said,
        "editing \"" + room + "\"\nsolver: not found: no marrowgast-solve at ...\n" +
            "check: not found: no marrowgast-check at ...\npalette: platform\nplaced platform at line 20\n" +
            "saved \"" + room + "\"\nplay-test from left\nplay-test ended after N steps, the player at x " +
            "1.00 y 25.00\nback in the editor\nno crossing to play: not found: no marrowgast-solve at ...\n" +
            "removed platform at line 20\nunsaved changes: Ctrl+Q again to leave without saving\n" +
            "left without saving\n");
}

} // namespace
