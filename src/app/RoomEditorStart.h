#pragma once
#include <string>

// Where `marrowgast --edit` starts: the data directory (the folder that holds res/), the room
// file edited (a whole name: a ring room's file in that folder, or any file), and the folder
// the game was started from (screenshots of a play-test land there; empty when it is gone).
struct RoomEditorStart {
    std::string dataDirectory;
    std::string roomFile;
    std::string startedIn;
};

// The room editor's window, in builds that have one (MARROWGAST_ROOM_EDITOR): runs until the
// author leaves and returns the exit status: 0 on leaving, 1 when it cannot start or a stop
// signal ends it with changes not saved.
int runRoomEditor(const RoomEditorStart& start);
