#pragma once
// What a key pressed over the room does in the editor, apart from the window that reads it.
#include "editor/EditorSession.h"

#include <SDL.h>

// What a key leaves to the window: to close, or a play-test to start.
struct EditorKeyResult {
    enum class Then { Nothing, Close, Play, PlayCrossing };
    Then then = Then::Nothing;
    // Play: the entry point's side (0 left); PlayCrossing: the way (0 east).
    int way = 0;
};

// Does what the key asks of the session: the palette, removing, flipping, undo and redo, saving,
// leaving. `repeat` when the key is held down: undo and redo repeat, nothing else does.
EditorKeyResult pressEditorKey(EditorSession& session, SDL_Keycode key, Uint16 modifiers, bool repeat);
