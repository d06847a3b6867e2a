#pragma once
#include <functional>
#include <string>

class EditorSession;
struct SDL_Window;

// Where `marrowgast --edit` starts: the data directory (the folder that holds res/), the room
// file edited (a whole name: a ring room's file in that folder, or any file), and the folder
// the game was started from (screenshots of a play-test land there; empty when it is gone).
struct RoomEditorStart {
    std::string dataDirectory;
    std::string roomFile;
    std::string startedIn;
    // Called before each pass of the editor's loop when set, with the session and the window as
    // they stand: a test drives the window through the SDL events it queues there.
    std::function<void(const EditorSession&, SDL_Window*)> beforePass;
};

// The room editor's window, in builds that have one (MARROWGAST_ROOM_EDITOR): runs until the
// author leaves and returns the exit status: 0 on leaving, 1 when it cannot start or a stop
// signal ends it with changes not saved.
int runRoomEditor(const RoomEditorStart& start);
