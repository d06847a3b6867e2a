#include "editor/EditorSession.h"

#include "definitions/Quoted.h"

#include <algorithm>
#include <cmath>
#include <utility>

EditorSession::EditorSession(std::string fileName, std::string_view bytes)
    : model(bytes), file(std::move(fileName)) {}

void EditorSession::choosePalette(std::optional<PieceKind> kind) {
    chosen = kind;
    say(kind ? "palette: " + std::string(PieceTypes[static_cast<std::size_t>(*kind)]) : "palette: none");
}

std::string EditorSession::describe(std::size_t line) const {
    const std::optional<Piece> p = model.piece(line);
    const std::string where = " at line " + std::to_string(line + 1);
    return p ? std::string(PieceTypes[static_cast<std::size_t>(p->kind)]) + where : "line" + where;
}

void EditorSession::say(const std::string& line) {
    last = line;
    if (onStatus)
        onStatus(line);
}

void EditorSession::changed() {
    warned = false;
}

std::vector<EditorBox> EditorSession::handles(float reach) const {
    if (!model.selection())
        return {};
    const std::optional<Piece> p = model.piece(*model.selection());
    if (!p || !p->box || (p->kind != PieceKind::Platform && p->kind != PieceKind::Searchable))
        return {};
    const EditorBox& b = *p->box;
    std::vector<EditorBox> corners;
    for (const float cy : {b.y - b.h, b.y}) {
        for (const float cx : {b.x, b.x + b.w})
            corners.push_back({cx - reach, cy + reach, 2.0f * reach, 2.0f * reach});
    }
    return corners;
}

void EditorSession::press(float x, float y, float reach) {
    release();
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    // Only a drag of what this press grips moves it.
    moved = false;
    const std::vector<EditorBox> corners = handles(reach);
    for (std::size_t i = 0; i < corners.size(); ++i) {
        if (!corners[i].contains(x, y))
            continue;
        const EditorBox box = *model.piece(*model.selection())->box;
        // Corners 1 and 3 are on the right, 2 and 3 at the bottom; the opposite one stays.
        fixedX = (i & 1) != 0 ? box.x : box.x + box.w;
        fixedY = (i & 2) != 0 ? box.y - box.h : box.y;
        grip = Grip::Corner;
        gripLine = *model.selection();
        gripIndex = i;
        model.beginGroup();
        return;
    }
    const std::optional<Pick> hit = model.pick(x, y);
    if (hit && hit->marker) {
        // A copy: the piece is a temporary.
        const EditorBox m = model.piece(hit->line)->markers[*hit->marker];
        grip = Grip::Marker;
        gripLine = hit->line;
        gripIndex = *hit->marker;
        offsetX = x - m.x;
        offsetY = y - m.y;
        model.beginGroup();
        return;
    }
    std::optional<std::size_t> line;
    model.beginGroup();
    if (hit) {
        line = hit->line;
        if (model.selection() != line) {
            model.selectLine(line);
            say("selected " + describe(*line));
        }
    } else if (chosen) {
        line = model.place(*chosen, x, y);
        if (line) {
            changed();
            say("placed " + describe(*line));
        }
    } else if (model.selection()) {
        model.selectLine(std::nullopt);
        say("selection cleared");
    }
    const std::optional<Piece> p = line ? model.piece(*line) : std::nullopt;
    if (!p || !p->box) {
        model.endGroup();
        return;
    }
    grip = Grip::Body;
    gripLine = *line;
    offsetX = x - p->box->x;
    offsetY = y - p->box->y;
}

void EditorSession::drag(float x, float y, bool free) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    bool done = false;
    switch (grip) {
    case Grip::None:
        return;
    case Grip::Body:
        done = model.moveTo(gripLine, x - offsetX, y - offsetY, free);
        break;
    case Grip::Marker:
        done = model.moveMarker(gripLine, gripIndex, x - offsetX, y - offsetY);
        break;
    case Grip::Corner: {
        // The corner held follows the point to the grid, never past the one that stays.
        const float cx = std::round(x), cy = std::round(y);
        const bool right = (gripIndex & 1) != 0, bottom = (gripIndex & 2) != 0;
        const float left = right ? fixedX : std::min(cx, fixedX - 1.0f);
        const float rightEdge = right ? std::max(cx, fixedX + 1.0f) : fixedX;
        const float top = bottom ? fixedY : std::min(cy, fixedY - 1.0f);
        const float bottomEdge = bottom ? std::max(cy, fixedY + 1.0f) : fixedY;
        done = model.resize(gripLine, {left, bottomEdge, rightEdge - left, bottomEdge - top});
        break;
    }
    }
    if (done) {
        moved = true;
        changed();
    }
}

void EditorSession::release() {
    if (grip == Grip::None)
        return;
    model.endGroup();
    if (moved) {
        const std::string what = describe(gripLine);
        if (grip == Grip::Corner)
            say("resized " + what);
        else if (grip == Grip::Marker)
            say("moved marker " + std::to_string(gripIndex + 1) + " of " + what);
        else
            say("moved " + what);
    }
    grip = Grip::None;
}

void EditorSession::selectLine(std::size_t line) {
    if (dragging() || line >= model.document().size())
        return;
    model.selectLine(line);
    say("selected " + describe(line));
}

void EditorSession::removeSelection() {
    release();
    const std::optional<std::size_t> line = model.selection();
    if (!line) {
        say("nothing selected");
        return;
    }
    const std::string what = describe(*line);
    if (model.remove(*line)) {
        changed();
        say("removed " + what);
    }
}

void EditorSession::flipSide() {
    release();
    const std::optional<std::size_t> line = model.selection();
    const std::optional<Piece> p = line ? model.piece(*line) : std::nullopt;
    if (!p || p->kind != PieceKind::EntryPoint) {
        say("no entry point selected");
        return;
    }
    if (model.setSide(*line, 1 - p->side)) {
        changed();
        say(describe(*line) + (p->side == 0 ? " is the right side's" : " is the left side's"));
    }
}

void EditorSession::undo() {
    release();
    if (model.undo()) {
        changed();
        say("undone");
    } else {
        say("nothing to undo");
    }
}

void EditorSession::redo() {
    release();
    if (model.redo()) {
        changed();
        say("redone");
    } else {
        say("nothing to redo");
    }
}

bool EditorSession::save() {
    release();
    std::string why;
    if (!model.save(file, why)) {
        say("cannot save " + quotedText(file) + ": " + why);
        return false;
    }
    warned = false;
    say("saved " + quotedText(file));
    return true;
}

bool EditorSession::leave() {
    release();
    if (!model.modified()) {
        say("left the editor");
        return true;
    }
    if (warned) {
        say("left without saving");
        return true;
    }
    warned = true;
    say("unsaved changes: Ctrl+Q again to leave without saving");
    return false;
}

std::vector<InspectedKey> EditorSession::inspected() const {
    const std::optional<std::size_t> line = model.selection();
    if (!line || !model.piece(*line))
        return {};
    return inspectLine(model.document().read(*line));
}

std::string EditorSession::keyOfLine(std::string_view key, std::optional<std::size_t> occurrence) const {
    // A key given once is named alone; a key given again, by which time it is.
    const std::size_t line = *model.selection();
    const bool counted = occurrence && (*occurrence > 0 || model.document().read(line).all(key).size() > 1);
    return std::string(key) + (counted ? " " + std::to_string(*occurrence + 1) : "") + " of line " +
           std::to_string(line + 1);
}

std::optional<std::size_t> EditorSession::selectedObject() {
    release();
    const std::optional<std::size_t> line = model.selection();
    if (!line || !model.piece(*line)) {
        say("nothing selected");
        return std::nullopt;
    }
    return line;
}

bool EditorSession::setKey(std::string_view key, const std::vector<std::string>& values,
                           std::optional<std::size_t> occurrence) {
    const std::optional<std::size_t> line = selectedObject();
    if (!line)
        return false;
    const std::string what = keyOfLine(key, occurrence);
    const RoomKey* described = findRoomKey(model.document().read(*line).keys, key);
    std::string why = described != nullptr ? refusedValues(*described, values, &files) : std::string();
    if (why.empty() && model.setKey(*line, key, values, occurrence, why)) {
        changed();
        std::string words;
        for (const std::string& value : values)
            words += " " + value;
        say("set " + what + " to" + (words.empty() ? " nothing" : words));
        return true;
    }
    say(why.empty() ? what + " unchanged" : "cannot set " + what + ": " + why);
    return false;
}

bool EditorSession::removeKey(std::string_view key, std::optional<std::size_t> occurrence) {
    const std::optional<std::size_t> line = selectedObject();
    if (!line)
        return false;
    std::string why;
    const std::string what = keyOfLine(key, occurrence);
    if (!model.removeKey(*line, key, occurrence, why)) {
        say("cannot remove " + what + ": " + why);
        return false;
    }
    changed();
    say("removed " + what);
    return true;
}

bool EditorSession::editList(std::string_view key, std::optional<std::size_t> occurrence, ListEdit edit,
                             std::size_t index, std::string_view word) {
    for (const InspectedKey& row : inspected()) {
        if (row.key->name != key || row.occurrence != occurrence)
            continue;
        if (const std::optional<std::vector<std::string>> list = editedList(row.values, edit, index, word))
            return setKey(key, *list, occurrence);
        break;
    }
    say("cannot change " + (model.selection() ? keyOfLine(key, occurrence) : std::string(key)) +
        ": no such place in the list");
    return false;
}
