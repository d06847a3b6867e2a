#include "editorwindow/SdlEditorKeys.h"

EditorKeyResult pressEditorKey(EditorSession& session, SDL_Keycode key, Uint16 modifiers, bool repeat) {
    using Then = EditorKeyResult::Then;
    const bool control = (modifiers & KMOD_CTRL) != 0;
    const bool shift = (modifiers & KMOD_SHIFT) != 0;
    if (control) {
        if (key == SDLK_z)
            shift ? session.redo() : session.undo();
        else if (key == SDLK_y)
            session.redo();
        else if (repeat)
            return {};
        else if (key == SDLK_s)
            session.save();
        else if (key == SDLK_q && session.leave())
            return {Then::Close};
        return {};
    }
    if (repeat)
        return {};
    if (key >= SDLK_1 && key <= SDLK_5)
        session.choosePalette(static_cast<PieceKind>(key - SDLK_1));
    else if (key == SDLK_0 || key == SDLK_ESCAPE)
        session.choosePalette(std::nullopt);
    else if (key == SDLK_DELETE || key == SDLK_BACKSPACE)
        session.removeSelection();
    else if (key == SDLK_f)
        session.flipSide();
    else if (key == SDLK_F5)
        return {Then::Play, shift ? 1 : 0};
    else if (key == SDLK_F6)
        return {Then::PlayCrossing, shift ? 1 : 0};
    return {};
}
