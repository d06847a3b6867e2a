#pragma once
#include "editor/Inspector.h"
#include "editor/RoomEditor.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the editor's window does with the mouse and the keys, apart from any window: the
// palette, which part of the room a press takes hold of, what a drag does with it, and the
// commands. Every event is said in one status line (onStatus), which the window prints and
// shows; points are room units.
class EditorSession {
  public:
    // The room file's name as it is saved, and its bytes (empty for a new room).
    EditorSession(std::string fileName, std::string_view bytes);

    RoomEditor& editor() { return model; }
    const RoomEditor& editor() const { return model; }
    const std::string& fileName() const { return file; }

    // The kind a press on empty room places; none: a press there only clears the selection.
    std::optional<PieceKind> palette() const { return chosen; }
    void choosePalette(std::optional<PieceKind> kind);

    // The corners of the selected platform or searchable, which a drag resizes it by: top left,
    // top right, bottom left, bottom right. None for anything else.
    std::vector<EditorBox> handles(float reach) const;

    // A press of the mouse button at (x, y), `reach` units being about a handle's half size:
    // a handle or marker of the selection, an object (selected), or empty room (with the
    // palette, a new object there). What moves then moves with the drag, one undo step.
    void press(float x, float y, float reach);
    // The mouse moved with the button held; `free` (Shift) leaves positions that take decimals
    // off the grid.
    void drag(float x, float y, bool free);
    // Ends a drag, if there is one; every other operation ends it first too.
    void release();
    bool dragging() const { return grip != Grip::None; }

    // Selects the room file's line `line` (from 0), as a click on a finding of it does; nothing
    // past the last line or in the middle of a drag.
    void selectLine(std::size_t line);
    void removeSelection();
    // The selected entry point comes in from the other side.
    void flipSide();
    void undo();
    void redo();
    // Ctrl+S; false (with the reason said) when the file could not be written.
    bool save();
    // Ctrl+Q: true when the editor may close. With unsaved changes the first asks again.
    bool leave();
    // Whether the last Ctrl+Q warned of unsaved changes and nothing changed since.
    bool leaveWarned() const { return warned; }

    // The files the inspector offers and takes, listed once when the editor opens.
    void setChoices(ResourceChoices listed) { files = std::move(listed); }
    const ResourceChoices& choices() const { return files; }
    // The selected object's keys as the inspector lists them; none without a selection.
    std::vector<InspectedKey> inspected() const;
    // An edit committed in the inspector, to the selected object: one key's values (see
    // RoomEditor::setKey), the key removed, or its behaviour list changed by one word. Each is
    // one undo step and one status line; a value the game would not read, or a file that is not
    // one of the choices, is refused with its reason and the room stays as it was. True when the
    // room changed.
    bool setKey(std::string_view key, const std::vector<std::string>& values,
                std::optional<std::size_t> occurrence = std::nullopt);
    bool removeKey(std::string_view key, std::optional<std::size_t> occurrence = std::nullopt);
    bool editList(std::string_view key, std::optional<std::size_t> occurrence, ListEdit edit,
                  std::size_t index, std::string_view word = {});

    // One status line: printed by the window, kept as the last.
    void say(const std::string& line);
    const std::string& lastStatus() const { return last; }
    std::function<void(const std::string&)> onStatus;

  private:
    enum class Grip { None, Body, Marker, Corner };
    std::string describe(std::size_t line) const;
    // "speed of line 7", "waypoint 2 of line 5".
    std::string keyOfLine(std::string_view key, std::optional<std::size_t> occurrence) const;
    // The selected object's line, a drag let go first; none (said so) when no object is selected.
    std::optional<std::size_t> selectedObject();
    void changed();

    RoomEditor model;
    std::string file;
    std::optional<PieceKind> chosen;
    Grip grip = Grip::None;
    // What a grip holds, each set by the press that grips before anything reads it.
    std::size_t gripLine{};
    std::size_t gripIndex{};
    float offsetX{};
    float offsetY{};
    // The corner a resize holds still.
    float fixedX{};
    float fixedY{};
    bool moved{};
    bool warned = false;
    std::string last;
    ResourceChoices files;
};
