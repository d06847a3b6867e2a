#pragma once
#include "editor/RoomDocument.h"
#include "world/ObjectRegistry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The objects the editor's palette places, in the order of its keys 1 to 5.
enum class PieceKind { Platform, Lift, Searchable, Robot, EntryPoint };
inline constexpr std::array<std::string_view, 5> PieceTypes = {"platform", "lift", "searchable", "robot",
                                                               "entrypoint"};

// A box as the game's objects have one: left edge x, bottom edge y (y grows downward).
struct EditorBox {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
    // Left and top edges inside, right and bottom edges outside.
    bool contains(float px, float py) const { return px >= x && px < x + w && py >= y - h && py < y; }
    bool operator==(const EditorBox&) const = default;
};

// An object line as the editor shows it: where the room starts it, and its markers.
struct Piece {
    std::size_t line = 0;
    PieceKind kind = PieceKind::Platform;
    // None for a lift the game leaves out (no stop, or a "startpoint" that is none of them).
    std::optional<EditorBox> box;
    // A lift's stops (the lift's box at each stop, from the top of the list) and a robot's two
    // waypoints (its box at each waypoint's x, at its start height).
    std::vector<EditorBox> markers;
    // An entry point's side: 0 "left", 1 "right".
    int side = 0;
};

// What a point in the room falls on: an object's line and, on a marker of the selected
// object, which one.
struct Pick {
    std::size_t line = 0;
    std::optional<std::size_t> marker;
    bool operator==(const Pick&) const = default;
};

// The editor's state apart from any window: a room file's lines, the selection, the changes
// made to it and their undo history. Every change rewrites only the lines it is about, and only
// the value words that changed; a file opened and saved without a change is the same bytes.
// Positions are room units, whole numbers where the room files take whole numbers.
class RoomEditor {
  public:
    // The room file's bytes; empty for a new room.
    explicit RoomEditor(std::string_view bytes = {});
    RoomEditor(const RoomEditor&) = delete;
    RoomEditor& operator=(const RoomEditor&) = delete;

    const RoomDocument& document() const { return doc; }
    // Every object line, in line order.
    std::vector<Piece> pieces() const;
    std::optional<Piece> piece(std::size_t line) const;

    // What is under the point, topmost first: the selected object's markers (but for one that
    // lies exactly on its body, a lift's start stop, which the body stands for), then entry points,
    // robots, searchables, platforms and lifts (the game draws searchables over platforms and
    // lifts, robots over both; the editor shows entry points over all), later lines over earlier.
    std::optional<Pick> pick(float x, float y) const;
    // Selects what is under the point (or nothing); true when something is.
    bool select(float x, float y);
    void selectLine(std::optional<std::size_t> line) { selected = line; }
    std::optional<std::size_t> selection() const { return selected; }

    // The changes. Each is one step of the history (or part of the open group) and returns
    // whether the room changed: false, with nothing changed, for one that cannot be made (not an
    // object of that kind, a line the editor does not change, a position that is no number) or
    // that leaves every value as it was.
    //
    // A new object whose bottom-left tile is the one under the point, with the keys of the
    // bundled rooms, appended as the last line and selected; its line.
    std::optional<std::size_t> place(PieceKind kind, float x, float y);
    // Puts the object's box's left and bottom edges at (x, y), to the nearest whole unit; with
    // `free`, entry points and robot starts (which take decimals) go exactly there. A lift's
    // stops and a robot's waypoints move with it.
    bool moveTo(std::size_t line, float x, float y, bool free = false);
    // A platform's or searchable's new box, in whole units, at least 1 by 1.
    bool resize(std::size_t line, const EditorBox& box);
    // A lift's stop (only its height: a lift rides up and down) or a robot's waypoint (only its
    // x: the game reads no more of it), to the nearest whole unit.
    bool moveMarker(std::size_t line, std::size_t marker, float x, float y);
    // An entry point's side: 0 "left", 1 "right".
    bool setSide(std::size_t line, int side);
    // Removes the line of an object.
    bool remove(std::size_t line);
    // Sets one key's values on an object line: the `occurrence`-th time it is given (from 0;
    // the last time when none), a behaviour list to a list of any length; a key the line lacks
    // (or an occurrence past its last) is added. False with the reason in `why` when the game
    // would not read the values as given (`why` stays empty when they are already the line's).
    bool setKey(std::size_t line, std::string_view key, const std::vector<std::string>& values,
                std::optional<std::size_t> occurrence, std::string& why);
    // Removes that time the key is given, word and values; false with the reason in `why`.
    bool removeKey(std::size_t line, std::string_view key, std::optional<std::size_t> occurrence,
                   std::string& why);

    // Changes made between these are one step, as a drag is.
    void beginGroup();
    void endGroup();

    bool canUndo() const { return !undoSteps.empty(); }
    bool canRedo() const { return !redoSteps.empty(); }
    // Each takes back (or makes again) one step and its selection; false when there is none.
    bool undo();
    bool redo();

    // Whether the room differs from the last time it was saved (or opened).
    bool modified() const { return revision() != savedRevision; }
    // Writes the room to `fileName` atomically, never through a link and only over a regular
    // file; false with the reason, the room still modified.
    bool save(const std::string& fileName, std::string& why);

  private:
    struct LineChange {
        std::size_t index = 0;
        std::optional<RoomLine> before;
        std::optional<RoomLine> after;
    };
    struct Step {
        std::vector<LineChange> changes;
        std::optional<std::size_t> selectionBefore;
        std::optional<std::size_t> selectionAfter;
        std::uint64_t id = 0;
    };

    void apply(const LineChange& change, bool forward);
    void record(Step step);
    std::uint64_t revision() const { return undoSteps.empty() ? 0 : undoSteps.back().id; }
    // Rewrites a key's values on an object line as one change; false when the line refuses it.
    bool setKeys(std::size_t line, const std::vector<std::pair<std::string, std::vector<std::string>>>& keys,
                 const std::vector<std::optional<std::size_t>>& occurrences = {});
    // The line's text changed to `text`, as one step.
    void replaceLineText(std::size_t line, std::string text);

    ObjectRegistry registry;
    RoomDocument doc;
    std::optional<std::size_t> selected;
    std::vector<Step> undoSteps;
    std::vector<Step> redoSteps;
    std::uint64_t nextId = 1;
    std::uint64_t savedRevision = 0;
    int groupDepth = 0;
    bool groupStarted = false;
};

// Reads a whole room file as the game would open it (a regular file within the room limit; a
// relative name is the data folder's, as every data file's): false with the reason.
bool readRoomFile(const std::string& fileName, std::string& bytes, std::string& why);
