#pragma once
// The inspector of the selected object, with Dear ImGui: every key its type reads, each with
// its kind's widget. An edit goes to the session when it is committed (Enter, the field losing
// the keyboard, a choice picked, a list button), never at each character.
#include "editor/EditorSession.h"

// Draws the inspector into the current ImGui window; nothing without a selected object.
void drawInspector(EditorSession& session);
