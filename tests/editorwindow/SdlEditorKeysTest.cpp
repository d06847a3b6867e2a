// What each key pressed over the room does to the session, and what it leaves to the window.
#include "editorwindow/SdlEditorKeys.h"

#include "support/ReadText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using Then = EditorKeyResult::Then;

TEST(SdlEditorKeys, EachKeyDoesItsCommandAndOnlyUndoAndRedoRepeat) {
    TempDir folder;
    const std::string file = folder.path("room.txt");
    EditorSession session(file, "entrypoint position 10 20 side left\n");
    auto press = [&](SDL_Keycode key, Uint16 modifiers = KMOD_NONE, bool repeat = false) {
        return pressEditorKey(session, key, modifiers, repeat);
    };
    // The palette by its numbers; 0 and Escape choose none; a key held does not choose.
    press(SDLK_1);
    EXPECT_EQ(session.palette(), PieceKind::Platform);
    press(SDLK_5);
    press(SDLK_6);
    EXPECT_EQ(session.palette(), PieceKind::EntryPoint);
    press(SDLK_0);
    EXPECT_EQ(session.palette(), std::nullopt);
    press(SDLK_2);
    press(SDLK_ESCAPE);
    press(SDLK_4, KMOD_NONE, true);
    EXPECT_EQ(session.palette(), std::nullopt);

    session.selectLine(0);
    press(SDLK_f);
    EXPECT_EQ(session.editor().document().line(0).text, "entrypoint position 10 20 side right");
    press(SDLK_f, KMOD_NONE, true);
    press(SDLK_BACKSPACE);
    EXPECT_EQ(session.editor().document().size(), 0u);
    press(SDLK_z, KMOD_LCTRL);
    EXPECT_EQ(session.lastStatus(), "undone");
    press(SDLK_z, KMOD_RCTRL | KMOD_LSHIFT, true);
    EXPECT_EQ(session.lastStatus(), "redone");
    press(SDLK_z, KMOD_LCTRL, true);
    press(SDLK_y, KMOD_LCTRL, true);
    EXPECT_EQ(session.lastStatus(), "redone");
    press(SDLK_z, KMOD_LCTRL);
    session.selectLine(0);
    press(SDLK_DELETE, KMOD_NONE, true);
    press(SDLK_DELETE);
    press(SDLK_z, KMOD_LCTRL);
    EXPECT_EQ(session.lastStatus(), "undone");

    // Saving and leaving do not repeat; a saved room closes at the first Ctrl+Q.
    press(SDLK_s, KMOD_LCTRL, true);
    EXPECT_EQ(session.editor().modified(), true);
    EXPECT_EQ(press(SDLK_q, KMOD_LCTRL).then, Then::Nothing) << "an unsaved change is warned of first";
    EXPECT_EQ(press(SDLK_s, KMOD_RCTRL).then, Then::Nothing);
    EXPECT_EQ(readText(file), "entrypoint position 10 20 side right\n");
    EXPECT_EQ(press(SDLK_q, KMOD_LCTRL, true).then, Then::Nothing);
    EXPECT_EQ(press(SDLK_q).then, Then::Nothing);
    EXPECT_EQ(press(SDLK_q, KMOD_RCTRL).then, Then::Close);

    // The play-tests: F5 from the left, Shift+F5 from the right; F6 the crossing east, Shift west.
    const EditorKeyResult left = press(SDLK_F5), right = press(SDLK_F5, KMOD_RSHIFT);
    const EditorKeyResult east = press(SDLK_F6), west = press(SDLK_F6, KMOD_LSHIFT);
    EXPECT_TRUE(left.then == Then::Play && left.way == 0 && right.then == Then::Play && right.way == 1);
    EXPECT_TRUE(east.then == Then::PlayCrossing && east.way == 0 && west.then == Then::PlayCrossing &&
                west.way == 1);
    EXPECT_EQ(press(SDLK_F5, KMOD_NONE, true).then, Then::Nothing);
}

} // namespace
