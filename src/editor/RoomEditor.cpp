#include "editor/RoomEditor.h"

#include "actors/Player.h"
#include "actors/Robot.h"
#include "definitions/Conversions.h"
#include "definitions/DataFile.h"
#include "definitions/NumberText.h"
#include "definitions/Quoted.h"
#include "editor/Inspector.h"
#include "game/WorldOperations.h"
#include "platform/OutputFile.h"
#include "world/Lift.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// Farther than this from the room the check calls a number absurd; the editor stays inside.
constexpr float FarthestPosition = 1000000.0f;

std::int32_t whole(float value) {
    return static_cast<std::int32_t>(std::lround(std::clamp(value, -FarthestPosition, FarthestPosition)));
}

std::string wholeText(std::int64_t value) {
    return std::to_string(value);
}

std::string decimalText(float value) {
    return shortestText(std::clamp(value, -FarthestPosition, FarthestPosition));
}

std::int32_t wholeValue(const ReadLine& read, const GivenKey* key, std::size_t i) {
    return key != nullptr ? readInteger(read.value(*key, i)) : 0;
}

float decimalValue(const ReadLine& read, const GivenKey* key, std::size_t i) {
    return key != nullptr ? readFloat(read.value(*key, i)) : 0.0f;
}

// Corners are any 32-bit numbers, as the game takes them.
float tileSpan(std::int32_t from, std::int32_t to) {
    return static_cast<float>(std::llabs(static_cast<std::int64_t>(to) - from) + 1);
}

// A lift's size, as a lift makes itself.
struct LiftSize {
    float w = 0.0f;
    float h = 0.0f;
};

LiftSize liftSize() {
    static const LiftSize size = [] {
        const Lift lift;
        return LiftSize{lift.w, lift.h};
    }();
    return size;
}

struct Stop {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

std::vector<Stop> liftStops(const ReadLine& read) {
    std::vector<Stop> stops;
    for (const GivenKey* stop : read.all("waypoint"))
        stops.push_back({readInteger(read.value(*stop, 0)), readInteger(read.value(*stop, 1))});
    return stops;
}

// The stop a lift starts at, or none when the game leaves the lift out.
std::optional<std::size_t> liftStart(const ReadLine& read, std::size_t stops) {
    const std::int32_t start = wholeValue(read, read.last("startpoint"), 0);
    if (start < 0 || static_cast<std::size_t>(start) >= stops)
        return std::nullopt;
    return static_cast<std::size_t>(start);
}

// The four words of a robot's "waypoints", as the game reads them.
std::array<std::int32_t, 4> robotWaypoints(const ReadLine& read) {
    const GivenKey* key = read.last("waypoints");
    return {wholeValue(read, key, 0), wholeValue(read, key, 1), wholeValue(read, key, 2),
            wholeValue(read, key, 3)};
}

std::vector<std::string> wholeTexts(std::initializer_list<std::int64_t> values) {
    std::vector<std::string> texts;
    for (const std::int64_t value : values)
        texts.push_back(wholeText(value));
    return texts;
}

// The keys a line gives, in order, with their value words.
using GivenWords = std::vector<std::pair<const RoomKey*, std::vector<std::string>>>;

GivenWords givenWords(const ReadLine& read) {
    GivenWords words;
    for (const GivenKey& g : read.given) {
        std::vector<std::string> values;
        for (std::size_t i = 0; i < g.values.size(); ++i)
            values.push_back(read.value(g, i));
        words.emplace_back(g.key, std::move(values));
    }
    return words;
}

bool sameGiven(const GivenWords& a, const GivenWords& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first &&
               std::equal(x.second.begin(), x.second.end(), y.second.begin(), y.second.end(),
                          [&](const std::string& p, const std::string& q) {
                              return sameValue(p, q, x.first->value);
                          });
    });
}

// Where in the line's list of given keys the `occurrence`-th time of `key` stands (the last
// when none); the list's size when it is not given so often.
std::size_t givenIndex(const ReadLine& read, std::string_view key, std::optional<std::size_t> occurrence) {
    std::vector<std::size_t> places;
    for (std::size_t i = 0; i < read.given.size(); ++i) {
        if (read.given[i].key->name == key)
            places.push_back(i);
    }
    if (places.empty() || (occurrence && *occurrence >= places.size()))
        return read.given.size();
    return places[occurrence.value_or(places.size() - 1)];
}

// `text` with the key added right after the type word, for a line whose end would take it
// into a behaviour list.
std::string withKeyAfterType(const std::string& text, const ReadLine& read, std::string_view key,
                             const std::vector<std::string>& values) {
    std::string added = " " + std::string(key);
    for (const std::string& value : values)
        added += ' ' + value;
    std::string changed = text;
    changed.insert(read.words[0].offset + read.words[0].text.size(), added);
    return changed;
}

} // namespace

RoomEditor::RoomEditor(std::string_view bytes) : doc(registry) {
    registerObjectTypes(registry);
    doc.setText(bytes);
}

std::optional<Piece> RoomEditor::piece(std::size_t line) const {
    if (line >= doc.size())
        return std::nullopt;
    const ReadLine& read = doc.read(line);
    const auto type = std::find(PieceTypes.begin(), PieceTypes.end(), read.type);
    if (!read.isObject() || type == PieceTypes.end())
        return std::nullopt;
    Piece p;
    p.line = line;
    p.kind = static_cast<PieceKind>(type - PieceTypes.begin());
    switch (p.kind) {
    case PieceKind::Platform: {
        const GivenKey* start = read.last("start");
        const GivenKey* end = read.last("end");
        const std::int32_t sx = wholeValue(read, start, 0), sy = wholeValue(read, start, 1);
        const std::int32_t ex = wholeValue(read, end, 0), ey = wholeValue(read, end, 1);
        p.box = EditorBox{static_cast<float>(std::min(sx, ex)), static_cast<float>(std::max(sy, ey)),
                          tileSpan(sx, ex), tileSpan(sy, ey)};
        break;
    }
    case PieceKind::Lift: {
        const std::vector<Stop> stops = liftStops(read);
        const std::optional<std::size_t> start = liftStart(read, stops.size());
        if (!start)
            break;
        const float x = static_cast<float>(stops[*start].x);
        for (const Stop& stop : stops)
            p.markers.push_back({x, static_cast<float>(stop.y), liftSize().w, liftSize().h});
        p.box = p.markers[*start];
        break;
    }
    case PieceKind::Searchable: {
        const GivenKey* position = read.last("position");
        p.box = EditorBox{static_cast<float>(wholeValue(read, position, 0)),
                          static_cast<float>(wholeValue(read, position, 1)),
                          static_cast<float>(wholeValue(read, read.last("width"), 0)),
                          static_cast<float>(wholeValue(read, read.last("height"), 0))};
        break;
    }
    case PieceKind::Robot: {
        const GivenKey* start = read.last("start");
        const float y = decimalValue(read, start, 1);
        p.box = EditorBox{decimalValue(read, start, 0), y, RobotWidth, RobotHeight};
        const std::array<std::int32_t, 4> waypoints = robotWaypoints(read);
        for (const std::int32_t x : {waypoints[0], waypoints[2]})
            p.markers.push_back({static_cast<float>(x), y, RobotWidth, RobotHeight});
        break;
    }
    case PieceKind::EntryPoint: {
        const GivenKey* position = read.last("position");
        p.box = EditorBox{decimalValue(read, position, 0), decimalValue(read, position, 1), PlayerWidth,
                          PlayerHeight};
        // A word that is no side changes nothing, so the last side word that is one counts.
        for (const GivenKey* side : read.all("side")) {
            if (read.value(*side, 0) == "left" || read.value(*side, 0) == "right")
                p.side = read.value(*side, 0) == "right" ? 1 : 0;
        }
        break;
    }
    }
    return p;
}

std::vector<Piece> RoomEditor::pieces() const {
    std::vector<Piece> all;
    for (std::size_t line = 0; line < doc.size(); ++line) {
        if (std::optional<Piece> p = piece(line))
            all.push_back(std::move(*p));
    }
    return all;
}

std::optional<Pick> RoomEditor::pick(float x, float y) const {
    if (selected) {
        if (const std::optional<Piece> p = piece(*selected)) {
            for (std::size_t m = p->markers.size(); m-- > 0;) {
                // A marker the body covers exactly (a lift's start stop) is grabbed by the body.
                if (p->markers[m].contains(x, y) && p->markers[m] != p->box)
                    return Pick{p->line, m};
            }
        }
    }
    const std::vector<Piece> all = pieces();
    // Topmost first: what the editor and the game draw last.
    constexpr PieceKind Order[] = {PieceKind::EntryPoint, PieceKind::Robot, PieceKind::Searchable};
    auto rank = [&](PieceKind kind) {
        const auto at = std::find(std::begin(Order), std::end(Order), kind);
        return static_cast<int>(at - std::begin(Order));
    };
    std::optional<Pick> best;
    int bestRank = 0;
    for (std::size_t i = all.size(); i-- > 0;) {
        const Piece& p = all[i];
        if (!p.box || !p.box->contains(x, y))
            continue;
        if (!best || rank(p.kind) < bestRank) {
            best = Pick{p.line, std::nullopt};
            bestRank = rank(p.kind);
        }
    }
    return best;
}

bool RoomEditor::select(float x, float y) {
    const std::optional<Pick> hit = pick(x, y);
    selected = hit ? std::optional(hit->line) : std::nullopt;
    return hit.has_value();
}

void RoomEditor::apply(const LineChange& change, bool forward) {
    const std::optional<RoomLine>& from = forward ? change.before : change.after;
    const std::optional<RoomLine>& to = forward ? change.after : change.before;
    if (from && to)
        doc.replace(change.index, *to);
    else if (to)
        doc.insert(change.index, *to);
    else
        doc.erase(change.index);
}

void RoomEditor::record(Step step) {
    redoSteps.clear();
    step.id = nextId++;
    if (groupDepth > 0 && groupStarted && !undoSteps.empty()) {
        Step& open = undoSteps.back();
        open.changes.insert(open.changes.end(), step.changes.begin(), step.changes.end());
        open.selectionAfter = step.selectionAfter;
        open.id = step.id;
        return;
    }
    undoSteps.push_back(std::move(step));
    groupStarted = groupDepth > 0;
}

void RoomEditor::beginGroup() {
    if (groupDepth++ == 0)
        groupStarted = false;
}

void RoomEditor::endGroup() {
    if (groupDepth > 0)
        --groupDepth;
}

bool RoomEditor::undo() {
    if (undoSteps.empty())
        return false;
    groupStarted = false;
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    for (std::size_t i = step.changes.size(); i-- > 0;)
        apply(step.changes[i], false);
    selected = step.selectionBefore;
    redoSteps.push_back(std::move(step));
    return true;
}

bool RoomEditor::redo() {
    // Something to redo means nothing was recorded since the last undo, which closed any open
    // group's step.
    if (redoSteps.empty())
        return false;
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    for (const LineChange& change : step.changes)
        apply(change, true);
    selected = step.selectionAfter;
    undoSteps.push_back(std::move(step));
    return true;
}

bool RoomEditor::setKeys(std::size_t line,
                         const std::vector<std::pair<std::string, std::vector<std::string>>>& keys,
                         const std::vector<std::optional<std::size_t>>& occurrences) {
    const RoomLine& before = doc.line(line);
    std::string text = before.text;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const ReadLine read = readRoomLine(text, doc.registry());
        const std::optional<std::size_t> occurrence = i < occurrences.size() ? occurrences[i] : std::nullopt;
        std::optional<std::string> changed =
            withKeyValues(text, read, keys[i].first, keys[i].second, occurrence);
        if (!changed)
            return false;
        text = std::move(*changed);
    }
    if (text == before.text)
        return false;
    LineChange change{line, before, RoomLine{text, before.ending}};
    apply(change, true);
    record({{std::move(change)}, selected, selected, 0});
    return true;
}

std::optional<std::size_t> RoomEditor::place(PieceKind kind, float x, float y) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    // The tile under the point: column c covers x c to c + 1, row r covers y r - 1 to r.
    const std::int64_t c = whole(std::floor(x));
    const std::int64_t r = whole(std::floor(y)) + 1;
    std::string text;
    switch (kind) {
    case PieceKind::Platform:
        text = "platform start " + wholeText(c) + " " + wholeText(r) + " end " + wholeText(c + 3) + " " +
               wholeText(r) + " texture res/textures/stone.png tile res/textures/grass_band.png";
        break;
    case PieceKind::Lift: {
        // A second stop six units above (below, near the top), listed from the top down.
        const std::int64_t other = r - 6 >= 1 ? r - 6 : r + 6;
        const std::int64_t top = std::min(r, other);
        text = "lift waypoint " + wholeText(c) + " " + wholeText(top) + " waypoint " + wholeText(c) + " " +
               wholeText(std::max(r, other)) + " startpoint " + (top == r ? "0" : "1") +
               " texture res/textures/lift.png tile res/textures/lift_deck.png";
        break;
    }
    case PieceKind::Searchable:
        text = "searchable position " + wholeText(c) + " " + wholeText(r) +
               " width 2 height 2 percentage 100 texture res/textures/crate.png";
        break;
    case PieceKind::Robot:
        text =
            "robot start " + wholeText(c) + " " + wholeText(r) + " direction 1 waypoints " +
            wholeText(c - 4) + " " + wholeText(r) + " " + wholeText(c + 4) + " " + wholeText(r) +
            " speed normal texture res/textures/robot_a.set laser res/textures/laser.set patrol movetopoint2 "
            "pause movetopoint1 pause";
        break;
    case PieceKind::EntryPoint: {
        // "right" once the room has a "left" one, so that a new room gets both.
        bool hasLeft = false;
        for (const Piece& p : pieces())
            hasLeft = hasLeft || (p.kind == PieceKind::EntryPoint && p.side == 0);
        text = "entrypoint position " + wholeText(c) + " " + wholeText(r) + " side " +
               (hasLeft ? "right" : "left");
        break;
    }
    }
    if (text.empty())
        return std::nullopt;
    const std::string ending = doc.usualEnding();
    Step step{{}, selected, doc.size(), 0};
    // A last line without a break gets one, so that the new line stands on its own.
    if (doc.size() > 0 && doc.line(doc.size() - 1).ending.empty()) {
        const RoomLine& last = doc.line(doc.size() - 1);
        step.changes.push_back({doc.size() - 1, last, RoomLine{last.text, ending}});
        apply(step.changes.back(), true);
    }
    step.changes.push_back({doc.size(), std::nullopt, RoomLine{text, ending}});
    apply(step.changes.back(), true);
    selected = doc.size() - 1;
    record(std::move(step));
    return selected;
}

bool RoomEditor::moveTo(std::size_t line, float x, float y, bool free) {
    const std::optional<Piece> p = piece(line);
    if (!p || !p->box || !std::isfinite(x) || !std::isfinite(y))
        return false;
    const ReadLine& read = doc.read(line);
    const std::int64_t nx = whole(x), ny = whole(y);
    switch (p->kind) {
    case PieceKind::Platform: {
        const GivenKey* start = read.last("start");
        const GivenKey* end = read.last("end");
        const std::int64_t dx = nx - static_cast<std::int64_t>(p->box->x);
        const std::int64_t dy = ny - static_cast<std::int64_t>(p->box->y);
        return setKeys(
            line, {{"start", wholeTexts({wholeValue(read, start, 0) + dx, wholeValue(read, start, 1) + dy})},
                   {"end", wholeTexts({wholeValue(read, end, 0) + dx, wholeValue(read, end, 1) + dy})}});
    }
    case PieceKind::Lift: {
        const std::vector<Stop> stops = liftStops(read);
        const std::int64_t dx = nx - static_cast<std::int64_t>(p->box->x);
        const std::int64_t dy = ny - static_cast<std::int64_t>(p->box->y);
        std::vector<std::pair<std::string, std::vector<std::string>>> keys;
        std::vector<std::optional<std::size_t>> occurrences;
        for (std::size_t i = 0; i < stops.size(); ++i) {
            keys.emplace_back("waypoint", wholeTexts({stops[i].x + dx, stops[i].y + dy}));
            occurrences.emplace_back(i);
        }
        return setKeys(line, keys, occurrences);
    }
    case PieceKind::Searchable:
        return setKeys(line, {{"position", wholeTexts({nx, ny})}});
    case PieceKind::Robot: {
        const float sx = free ? x : static_cast<float>(nx), sy = free ? y : static_cast<float>(ny);
        std::vector<std::pair<std::string, std::vector<std::string>>> keys = {
            {"start", {decimalText(sx), decimalText(sy)}}};
        // The patrol goes with the robot, by whole units.
        if (read.last("waypoints") != nullptr) {
            const std::int64_t dx = whole(sx - p->box->x), dy = whole(sy - p->box->y);
            const std::array<std::int32_t, 4> w = robotWaypoints(read);
            keys.emplace_back("waypoints", wholeTexts({w[0] + dx, w[1] + dy, w[2] + dx, w[3] + dy}));
        }
        return setKeys(line, keys);
    }
    case PieceKind::EntryPoint:
        return setKeys(line, {{"position", free ? std::vector{decimalText(x), decimalText(y)}
                                                : std::vector{wholeText(nx), wholeText(ny)}}});
    }
    return false;
}

bool RoomEditor::resize(std::size_t line, const EditorBox& box) {
    const std::optional<Piece> p = piece(line);
    if (!p || !std::isfinite(box.x) || !std::isfinite(box.y) || !std::isfinite(box.w) ||
        !std::isfinite(box.h))
        return false;
    const std::int64_t x = whole(box.x), y = whole(box.y);
    const std::int64_t w = std::max<std::int64_t>(1, whole(box.w)),
                       h = std::max<std::int64_t>(1, whole(box.h));
    if (p->kind == PieceKind::Searchable)
        return setKeys(
            line, {{"position", wholeTexts({x, y})}, {"width", {wholeText(w)}}, {"height", {wholeText(h)}}});
    if (p->kind != PieceKind::Platform)
        return false;
    // The corners keep the sides of the box they stood on.
    const ReadLine& read = doc.read(line);
    const GivenKey* start = read.last("start");
    const GivenKey* end = read.last("end");
    const bool leftFirst = wholeValue(read, start, 0) <= wholeValue(read, end, 0);
    const bool topFirst = wholeValue(read, start, 1) <= wholeValue(read, end, 1);
    const std::int64_t left = x, right = x + w - 1, top = y - h + 1, bottom = y;
    return setKeys(line, {{"start", wholeTexts({leftFirst ? left : right, topFirst ? top : bottom})},
                          {"end", wholeTexts({leftFirst ? right : left, topFirst ? bottom : top})}});
}

bool RoomEditor::moveMarker(std::size_t line, std::size_t marker, float x, float y) {
    const std::optional<Piece> p = piece(line);
    if (!p || marker >= p->markers.size() || !std::isfinite(x) || !std::isfinite(y))
        return false;
    const ReadLine& read = doc.read(line);
    if (p->kind == PieceKind::Lift) {
        const GivenKey* stop = read.all("waypoint")[marker];
        return setKeys(line, {{"waypoint", {read.value(*stop, 0), wholeText(whole(y))}}}, {marker});
    }
    std::array<std::int32_t, 4> w = robotWaypoints(read);
    w[marker * 2] = whole(x);
    return setKeys(line, {{"waypoints", wholeTexts({w[0], w[1], w[2], w[3]})}});
}

bool RoomEditor::setSide(std::size_t line, int side) {
    const std::optional<Piece> p = piece(line);
    if (!p || p->kind != PieceKind::EntryPoint || (side != 0 && side != 1) || p->side == side)
        return false;
    return setKeys(line, {{"side", {side == 0 ? "left" : "right"}}});
}

bool RoomEditor::remove(std::size_t line) {
    if (!piece(line))
        return false;
    Step step{{{line, doc.line(line), std::nullopt}}, selected, selected, 0};
    if (selected && *selected == line)
        step.selectionAfter.reset();
    else if (selected && *selected > line)
        step.selectionAfter = *selected - 1;
    apply(step.changes.back(), true);
    selected = step.selectionAfter;
    record(std::move(step));
    return true;
}

void RoomEditor::replaceLineText(std::size_t line, std::string text) {
    const RoomLine& before = doc.line(line);
    LineChange change{line, before, RoomLine{std::move(text), before.ending}};
    apply(change, true);
    record({{std::move(change)}, selected, selected, 0});
}

bool RoomEditor::setKey(std::size_t line, std::string_view key, const std::vector<std::string>& values,
                        std::optional<std::size_t> occurrence, std::string& why) {
    why.clear();
    if (!piece(line)) {
        why = "line " + std::to_string(line + 1) + " holds no object";
        return false;
    }
    const ReadLine& read = doc.read(line);
    const RoomKey* described = findRoomKey(read.keys, key);
    if (described == nullptr) {
        why = "a " + read.type + " has no key " + quotedText(key);
        return false;
    }
    if (why = refusedValues(*described, values); !why.empty())
        return false;
    const std::string& text = doc.line(line).text;
    std::optional<std::string> changed = withKeyValues(text, read, key, values, occurrence);
    if (!changed) {
        why = "line " + std::to_string(line + 1) + " is cut short and is only removed whole";
        return false;
    }
    if (*changed == text)
        return false;
    // The game must read the line as before but for this key's values; a key added at the end
    // of a behaviour list would be taken into it, so it goes after the type word instead.
    GivenWords expected = givenWords(read);
    const std::size_t at = givenIndex(read, key, occurrence);
    const bool adding = at == expected.size();
    if (adding)
        expected.emplace_back(described, values);
    else
        expected[at].second = values;
    if (!sameGiven(givenWords(readRoomLine(*changed, doc.registry())), expected) && adding) {
        changed = withKeyAfterType(text, read, key, values);
        expected.pop_back();
        expected.insert(expected.begin(), {described, values});
    }
    if (!sameGiven(givenWords(readRoomLine(*changed, doc.registry())), expected)) {
        why = "the game would read line " + std::to_string(line + 1) + " otherwise";
        return false;
    }
    replaceLineText(line, std::move(*changed));
    return true;
}

bool RoomEditor::removeKey(std::size_t line, std::string_view key, std::optional<std::size_t> occurrence,
                           std::string& why) {
    why.clear();
    if (!piece(line)) {
        why = "line " + std::to_string(line + 1) + " holds no object";
        return false;
    }
    const ReadLine& read = doc.read(line);
    const std::size_t at = givenIndex(read, key, occurrence);
    std::optional<std::string> changed = withoutKey(doc.line(line).text, read, key, occurrence);
    if (!changed || at == read.given.size()) {
        why = "line " + std::to_string(line + 1) +
              (read.changeable ? " does not give " + quotedText(key)
                               : " is cut short and is only removed whole");
        return false;
    }
    GivenWords expected = givenWords(read);
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
    if (!sameGiven(givenWords(readRoomLine(*changed, doc.registry())), expected)) {
        why = "the game would read line " + std::to_string(line + 1) + " otherwise";
        return false;
    }
    replaceLineText(line, std::move(*changed));
    return true;
}

bool RoomEditor::save(const std::string& fileName, std::string& why) {
    if (!replaceFile(fileName, doc.text(), why))
        return false;
    savedRevision = revision();
    return true;
}

bool readRoomFile(const std::string& fileName, std::string& bytes, std::string& why) {
    DataFileStatus status;
    if (readWholeDataFile(fileName, MaxDefinitionFileBytes, bytes, &status))
        return true;
    why = describeDataFileProblem(status, MaxDefinitionFileBytes);
    return false;
}
