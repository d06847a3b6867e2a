#include "editorwindow/ImguiInspector.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr float ValueColumn = 92.0f;
constexpr float NumberWidth = 52.0f;

// The text of a field while it is typed in: ImGui keeps showing the buffer it is given, so it
// must outlive the frame until the field is committed.
struct Field {
    std::array<char, 512> text{};
    bool editing = false;
    int drawnAt = -1;
};
std::map<ImGuiID, Field> fields;

// A text field that shows `current` until it is typed in; true, with the text in `out`, when
// the typing is committed by Enter or by the field losing the keyboard.
bool committedField(const char* label, const std::string& current, float width, std::string& out) {
    Field& field = fields[ImGui::GetID(label)];
    // A field not drawn last frame was left (the selection changed): its typing is gone.
    if (field.drawnAt != ImGui::GetFrameCount() - 1)
        field.editing = false;
    field.drawnAt = ImGui::GetFrameCount();
    if (!field.editing) {
        const std::size_t size = std::min(current.size(), field.text.size() - 1);
        std::copy_n(current.begin(), size, field.text.begin());
        field.text[size] = '\0';
    }
    ImGui::SetNextItemWidth(width);
    ImGui::InputText(label, field.text.data(), field.text.size(), ImGuiInputTextFlags_AutoSelectAll);
    const bool committed = ImGui::IsItemDeactivatedAfterEdit();
    field.editing = ImGui::IsItemActive();
    if (committed)
        out = field.text.data();
    return committed;
}

// A combo box of `choices`; true, with the one picked in `out`.
bool pickedChoice(const char* label, const std::string& current, const std::vector<std::string>& choices,
                  std::string& out) {
    bool picked = false;
    ImGui::SetNextItemWidth(-1.0f);
    if (ImGui::BeginCombo(label, current.empty() ? "(not given)" : current.c_str())) {
        for (const std::string& choice : choices) {
            if (ImGui::Selectable(choice.c_str(), choice == current)) {
                out = choice;
                picked = true;
            }
        }
        ImGui::EndCombo();
    }
    return picked;
}

std::vector<std::string> keywordList(const RoomKey& key) {
    return {key.keywords.begin(), key.keywords.end()};
}

void numbersRow(EditorSession& session, const InspectedKey& row) {
    std::vector<std::string> values = row.values;
    for (std::size_t i = 0; i < row.key->count; ++i) {
        if (i > 0)
            ImGui::SameLine();
        const std::string label = "##" + std::to_string(i);
        std::string typed;
        if (committedField(label.c_str(), values[i], NumberWidth, typed)) {
            values[i] = typed;
            session.setKey(row.key->name, values, row.occurrence);
        }
    }
    if (row.key->unit.empty())
        return;
    // Beside the fields where it fits, under them where it does not.
    const std::string unit(row.key->unit);
    const float right = ImGui::GetWindowPos().x + ImGui::GetWindowContentRegionMax().x;
    if (right - ImGui::GetItemRectMax().x >
        ImGui::CalcTextSize(unit.c_str()).x + ImGui::GetStyle().ItemSpacing.x)
        ImGui::SameLine();
    else
        ImGui::SetCursorPosX(ValueColumn);
    ImGui::TextDisabled("%s", unit.c_str());
}

void behavioursRow(EditorSession& session, const InspectedKey& row) {
    const std::string_view key = row.key->name;
    for (std::size_t i = 0; i < row.values.size(); ++i) {
        ImGui::PushID(static_cast<int>(i));
        if (i > 0)
            ImGui::SetCursorPosX(ValueColumn);
        ImGui::Text("%zu %s", i + 1, row.values[i].c_str());
        ImGui::SameLine(ValueColumn + 130.0f);
        if (ImGui::SmallButton("up"))
            session.editList(key, row.occurrence, ListEdit::Up, i);
        ImGui::SameLine();
        if (ImGui::SmallButton("down"))
            session.editList(key, row.occurrence, ListEdit::Down, i);
        ImGui::SameLine();
        if (ImGui::SmallButton("x"))
            session.editList(key, row.occurrence, ListEdit::Remove, i);
        ImGui::PopID();
    }
    if (!row.values.empty())
        ImGui::SetCursorPosX(ValueColumn);
    std::string word;
    ImGui::SetNextItemWidth(-1.0f);
    if (ImGui::BeginCombo("##add", "add a behaviour")) {
        for (const std::string_view keyword : row.key->keywords) {
            if (ImGui::Selectable(std::string(keyword).c_str()))
                word = keyword;
        }
        ImGui::EndCombo();
    }
    if (!word.empty())
        session.editList(key, row.occurrence, ListEdit::Add, 0, word);
}

void keyRow(EditorSession& session, const InspectedKey& row, std::size_t given) {
    const RoomKey& key = *row.key;
    std::string name(key.name);
    if (row.occurrence && given > 1)
        name += " " + std::to_string(*row.occurrence + 1);
    ImGui::TextUnformatted(name.c_str());
    // A key that is not required, or one more time a key that adds is given, may go.
    const bool removable = row.given && (!key.required() || (key.adds && given > 1));
    if (removable && ImGui::IsItemHovered())
        ImGui::SetTooltip("right-click: remove");
    if (removable && ImGui::IsItemClicked(ImGuiMouseButton_Right))
        session.removeKey(key.name, row.occurrence);
    ImGui::SameLine(ValueColumn);
    // A number key not given has a button that adds it as zeros, to type over; the others'
    // widgets offer their choices as they are.
    if (!row.given && (key.value == KeyValue::Whole || key.value == KeyValue::Decimal)) {
        if (ImGui::SmallButton("add"))
            session.setKey(key.name, std::vector<std::string>(key.count, "0"), row.occurrence);
        ImGui::SameLine();
        ImGui::TextDisabled("%s", key.withoutIt.empty() ? "not given" : std::string(key.withoutIt).c_str());
        return;
    }
    std::string picked;
    const std::string current = row.values.empty() ? std::string() : row.values.front();
    switch (key.value) {
    case KeyValue::Whole:
    case KeyValue::Decimal:
        numbersRow(session, row);
        break;
    case KeyValue::ImageFile:
    case KeyValue::SetFile:
        if (pickedChoice("##file", current,
                         key.value == KeyValue::ImageFile ? session.choices().images : session.choices().sets,
                         picked))
            session.setKey(key.name, {picked}, row.occurrence);
        break;
    case KeyValue::Keyword:
        if (pickedChoice("##word", current, keywordList(key), picked))
            session.setKey(key.name, {picked}, row.occurrence);
        break;
    case KeyValue::Behaviours:
        behavioursRow(session, row);
        break;
    }
    if (!row.given && !key.withoutIt.empty()) {
        ImGui::SetCursorPosX(ValueColumn);
        ImGui::TextDisabled("without it %s", std::string(key.withoutIt).c_str());
    }
}

} // namespace

void drawInspector(EditorSession& session) {
    const std::vector<InspectedKey> rows = session.inspected();
    if (rows.empty() || !session.editor().selection())
        return;
    const std::size_t line = *session.editor().selection();
    ImGui::PushID(static_cast<int>(line));
    ImGui::Text("Inspector: %s, line %zu", session.editor().document().read(line).type.c_str(), line + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t given = static_cast<std::size_t>(std::count_if(
            rows.begin(), rows.end(), [&](const InspectedKey& r) { return r.key == rows[i].key; }));
        ImGui::PushID(static_cast<int>(i));
        keyRow(session, rows[i], given);
        // One more stop for a key that adds numbers: a copy of the last, to drag or type.
        if (rows[i].key->adds && rows[i].given && rows[i].key->value != KeyValue::Behaviours &&
            (i + 1 == rows.size() || rows[i + 1].key != rows[i].key)) {
            ImGui::SetCursorPosX(ValueColumn);
            if (ImGui::SmallButton("add another"))
                session.setKey(rows[i].key->name, rows[i].values, given);
        }
        ImGui::PopID();
    }
    ImGui::PopID();
}
