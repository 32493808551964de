#include "ui/Dialog.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <sstream>

#include "common/text.h"
#include "host/Host.h"
#include "ui/DialogData.h"

namespace ui {

bool CellBlock::Contains(int row, int column) const {
    const int rowFrom = std::min(row1, row2);
    const int rowTo = std::max(row1, row2);
    return column >= std::min(column1, column2) && column <= std::max(column1, column2) &&
           (WholeColumns() || (row >= rowFrom && row <= rowTo));
}

std::string Control::Cell(int row, int column) const {
    const auto found = cells.find({row, column});
    return found == cells.end() ? std::string() : found->second;
}

long Control::ItemData(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < itemData.size()
               ? itemData[static_cast<std::size_t>(index)]
               : 0;
}

void Control::SetItemData(int index, long data) {
    if (index < 0)
        return;
    if (itemData.size() <= static_cast<std::size_t>(index))
        itemData.resize(static_cast<std::size_t>(index) + 1, 0);
    itemData[static_cast<std::size_t>(index)] = data;
}

CellType Control::TypeOf(int row, int column) const {
    if (checkCells.count({row, column}) != 0)
        return CellType::CheckBox;
    if (cellItems.count({row, column}) != 0)
        return CellType::ComboBox;
    return CellType::Text;
}

bool Control::IsLocked(int row, int column) const {
    if (column >= 1 && static_cast<std::size_t>(column) <= lockedColumns.size() &&
        lockedColumns[static_cast<std::size_t>(column) - 1])
        return true;
    return lockedCells.count({row, column}) != 0;
}

bool Control::IsSelected(int row, int column) const {
    return std::any_of(selectedBlocks.begin(), selectedBlocks.end(),
                       [&](const CellBlock& block) { return block.Contains(row, column); });
}

std::string WindowPlacement::Text() const {
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
           std::to_string(height);
}

std::optional<WindowPlacement> WindowPlacement::FromText(std::string_view text) {
    long values[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? text.find(',', at) : text.size();
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::string field(common::Trim(text.substr(at, end - at)));
        char* stop = nullptr;
        values[i] = std::strtol(field.c_str(), &stop, 10);
        if (field.empty() || field.size() > 7 || *stop != '\0')
            return std::nullopt;
        at = end + 1;
    }
    const bool positions = std::labs(values[0]) <= 100000 && std::labs(values[1]) <= 100000;
    const bool sizes =
        values[2] >= 1 && values[2] <= 100000 && values[3] >= 1 && values[3] <= 100000;
    if (!positions || !sizes)
        return std::nullopt;
    return WindowPlacement{static_cast<int>(values[0]), static_cast<int>(values[1]),
                           static_cast<int>(values[2]), static_cast<int>(values[3])};
}

Dialog::Dialog(int templateId, std::string title)
    : m_templateId(templateId), m_title(std::move(title)) {}

Control& Dialog::AddControl(int id, ControlKind kind, std::string text) {
    Control control;
    control.id = id;
    control.kind = kind;
    control.text = std::move(text);
    if (Control* existing = GetDlgItem(id)) {
        *existing = std::move(control);
        return *existing;
    }
    m_controls.push_back(std::move(control));
    return m_controls.back();
}

bool Dialog::RemoveControl(int id) {
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [id](const Control& c) { return c.id == id; });
    if (found == m_controls.end())
        return false;
    m_controls.erase(found);
    return true;
}

Control* Dialog::GetDlgItem(int id) {
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [id](const Control& c) { return c.id == id; });
    return found == m_controls.end() ? nullptr : &*found;
}

const Control* Dialog::GetDlgItem(int id) const {
    return const_cast<Dialog*>(this)->GetDlgItem(id);
}

void Dialog::EndDialog(int result) {
    m_ended = true;
    m_result = result;
}

namespace {

constexpr std::array<std::pair<ControlKind, const char*>, 8> kKindNames = {{
    {ControlKind::Static, "static"},
    {ControlKind::Button, "button"},
    {ControlKind::CheckBox, "check"},
    {ControlKind::RadioButton, "radio"},
    {ControlKind::Edit, "edit"},
    {ControlKind::ComboBox, "combo"},
    {ControlKind::ListBox, "list"},
    {ControlKind::Grid, "grid"},
}};

std::string BlockText(const CellBlock& block) {
    const int c1 = std::min(block.column1, block.column2);
    const int c2 = std::max(block.column1, block.column2);
    if (block.WholeColumns())
        return c1 == c2 ? "column " + std::to_string(c1)
                        : "columns " + std::to_string(c1) + "-" + std::to_string(c2);
    const int r1 = std::min(block.row1, block.row2);
    const int r2 = std::max(block.row1, block.row2);
    return "R" + std::to_string(r1) + "C" + std::to_string(c1) + ":R" + std::to_string(r2) + "C" +
           std::to_string(c2);
}

void DescribeGrid(const Control& c, std::ostringstream& out) {
    for (int row = 0; row <= c.rows; ++row) {
        out << "  " << row << ":";
        for (int column = 1; column <= c.columns; ++column) {
            out << " |";
            if (row > 0) {
                // The marks a user reads the grid by: ">" the active cell, "*" selected, "#"
                // locked.
                const bool active = row == c.activeRow && column == c.activeColumn;
                const std::string marks = std::string(active ? ">" : "") +
                                          (c.IsSelected(row, column) ? "*" : "") +
                                          (c.IsLocked(row, column) ? "#" : "");
                if (!marks.empty())
                    out << " " << marks;
            }
            if (row > 0 && c.TypeOf(row, column) == CellType::CheckBox)
                out << (c.Cell(row, column) == "1" ? " [x]" : " [ ]");
            else
                out << " " << c.Cell(row, column);
        }
        out << "\n";
    }
    std::vector<std::string> locked;
    for (std::size_t column = 0; column < c.lockedColumns.size(); ++column)
        if (c.lockedColumns[column])
            locked.push_back("column " + std::to_string(column + 1));
    for (const auto& [row, column] : c.lockedCells)
        locked.push_back("R" + std::to_string(row) + "C" + std::to_string(column));
    if (!locked.empty()) {
        out << "  locked:";
        for (std::size_t i = 0; i < locked.size(); ++i)
            out << (i == 0 ? " " : ", ") << locked[i];
        out << "\n";
    }
    out << "  selection:";
    if (c.selectedBlocks.empty())
        out << " none";
    for (std::size_t i = 0; i < c.selectedBlocks.size(); ++i)
        out << (i == 0 ? " " : ", ") << BlockText(c.selectedBlocks[i]);
    if (c.activeRow > 0 && c.activeColumn > 0)
        out << "; active cell R" << c.activeRow << "C" << c.activeColumn;
    out << (c.multiBlockSelection ? " (several blocks)" : "") << "\n";
}

}  // namespace

const char* ControlKindName(ControlKind kind) {
    for (const auto& [known, name] : kKindNames)
        if (known == kind)
            return name;
    return "";
}

std::optional<ControlKind> ControlKindFromName(std::string_view name) {
    for (const auto& [kind, known] : kKindNames)
        if (name == known)
            return kind;
    return std::nullopt;
}

bool Dialog::GetDialogData(std::string_view name, std::string& value) const {
    std::string error;
    if (ui::GetDialogData(m_dialogName, name, value, &error))
        return true;
    if (!error.empty())
        host::Host::Instance().Console() << "\n(" << error << ")";
    return false;
}

bool Dialog::SetDialogData(std::string_view name, std::string_view value) const {
    std::string error;
    if (ui::SetDialogData(m_dialogName, name, value, &error))
        return true;
    host::Host::Instance().Console() << "\n(" << error << ")";
    return false;
}

int ScreenPixelsPerInch() {
    const char* text = std::getenv("CADHOST_DPI");
    if (text == nullptr)
        return 96;
    char* end = nullptr;
    const long dpi = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && dpi >= 48 && dpi <= 960 ? static_cast<int>(dpi) : 96;
}

void Dialog::MessageBeep() const {
    host::Host::Instance().Console() << "\a\n(beep)";
}

std::string Dialog::Describe() const {
    std::ostringstream out;
    out << "\n*** dialog " << m_templateId << " \"" << m_title << "\" ***\n";
    if (m_placementKnown)
        out << "window: " << m_placement.x << "," << m_placement.y << " " << m_placement.width
            << "x" << m_placement.height << "\n";
    for (const Control& c : m_controls) {
        if (!c.visible)
            continue;
        out << "[" << c.id << "] " << ControlKindName(c.kind);
        if (!c.enabled)
            out << " (disabled)";
        if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton)
            out << (c.checked ? " [x]" : " [ ]");
        if (!c.text.empty() || c.kind == ControlKind::Edit)
            out << " \"" << c.text << "\"";
        if (c.kind == ControlKind::ComboBox || c.kind == ControlKind::ListBox) {
            for (std::size_t i = 0; i < c.items.size(); ++i)
                out << (static_cast<int>(i) == c.selection ? " *" : " ") << i << ":" << c.items[i];
        }
        out << "\n";
        if (c.kind == ControlKind::Grid)
            DescribeGrid(c, out);
    }
    return out.str();
}

bool Dialog::Apply(const std::string& action, std::string* error) {
    std::istringstream in(action);
    std::string verb;
    in >> verb;
    const std::string typedVerb = verb;
    verb = common::ToUpper(verb);
    auto fail = [&](const std::string& why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (verb == "OK") {
        OnOK();
        return true;
    }
    if (verb == "CANCEL" || verb == "*CANCEL*") {
        OnCancel();
        return true;
    }
    if (verb == "MOVE") {
        std::string rest;
        std::getline(in >> std::ws, rest);
        std::string fields = rest;
        std::replace(fields.begin(), fields.end(), ' ', ',');
        const auto placement = WindowPlacement::FromText(fields);
        if (!placement)
            return fail(
                "\"move\" takes the position and the size: X Y WIDTH HEIGHT (sizes from 1)");
        const WindowPlacement previous = m_placement;
        m_placement = *placement;
        m_placementKnown = true;
        OnSize(previous);
        return true;
    }
    int id = 0;
    if (!(in >> id))
        return fail("\"" + action + "\": a control id is missing");
    Control* control = GetDlgItem(id);
    if (control == nullptr || !control->visible)
        return fail("the dialog has no control " + std::to_string(id));
    if (!control->enabled)
        return fail("the control " + std::to_string(id) + " is disabled");
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (verb == "CLICK") {
        if (control->kind == ControlKind::CheckBox) {
            control->checked = !control->checked;
        } else if (control->kind == ControlKind::RadioButton) {
            for (Control& other : m_controls)
                if (other.kind == ControlKind::RadioButton && other.group == control->group)
                    other.checked = false;
            control->checked = true;
        } else if (control->kind != ControlKind::Button) {
            return fail("the control " + std::to_string(id) + " cannot be clicked");
        }
        if (id == kIdOk && control->kind == ControlKind::Button)
            OnOK();
        else if (id == kIdCancel && control->kind == ControlKind::Button)
            OnCancel();
        else
            OnCommand(id);
        return true;
    }
    if (verb == "CHECK") {
        if (control->kind != ControlKind::CheckBox || (rest != "0" && rest != "1"))
            return fail("\"check " + std::to_string(id) + "\" takes a check box and 0 or 1");
        control->checked = rest == "1";
        OnCommand(id);
        return true;
    }
    if (verb == "SELECT") {
        char* end = nullptr;
        const long index = std::strtol(rest.c_str(), &end, 10);
        if ((control->kind != ControlKind::ComboBox && control->kind != ControlKind::ListBox) ||
            rest.empty() || *end != '\0' || index < 0 ||
            index >= static_cast<long>(control->items.size()))
            return fail("\"select " + std::to_string(id) + "\" takes a list and an item index");
        control->selection = static_cast<int>(index);
        control->text = control->items[static_cast<std::size_t>(index)];
        OnCommand(id);
        return true;
    }
    if (verb == "TYPE") {
        // Typed a character at a time into an emptied field: the dialog hears every change.
        if (control->kind != ControlKind::Edit && control->kind != ControlKind::ComboBox)
            return fail("the control " + std::to_string(id) + " takes no text");
        control->text.clear();
        control->selection = -1;
        OnCommand(id);
        for (std::size_t i = 0; i < rest.size();) {
            std::size_t length = 1;
            while (i + length < rest.size() &&
                   (static_cast<unsigned char>(rest[i + length]) & 0xC0) == 0x80)
                ++length;
            control->text += rest.substr(i, length);
            i += length;
            const auto found =
                std::find(control->items.begin(), control->items.end(), control->text);
            control->selection = found == control->items.end()
                                     ? -1
                                     : static_cast<int>(found - control->items.begin());
            OnCommand(id);
        }
        return true;
    }
    if (verb == "TEXT") {
        if (control->kind != ControlKind::Edit && control->kind != ControlKind::ComboBox)
            return fail("the control " + std::to_string(id) + " takes no text");
        control->text = rest;
        if (control->kind == ControlKind::ComboBox) {
            const auto found = std::find(control->items.begin(), control->items.end(), rest);
            control->selection = found == control->items.end()
                                     ? -1
                                     : static_cast<int>(found - control->items.begin());
        }
        OnCommand(id);
        return true;
    }
    if (verb == "CELL") {
        std::istringstream cell(rest);
        int row = 0, column = 0;
        std::string value;
        if (control->kind != ControlKind::Grid || !(cell >> row >> column))
            return fail("\"cell " + std::to_string(id) + "\" takes a grid, a row and a column");
        std::getline(cell >> std::ws, value);
        if (row < 1 || row > control->rows || column < 1 || column > control->columns)
            return fail("the grid " + std::to_string(id) + " has no cell " + std::to_string(row) +
                        "," + std::to_string(column));
        if (static_cast<std::size_t>(column) <= control->lockedColumns.size() &&
            control->lockedColumns[static_cast<std::size_t>(column) - 1])
            return fail("the column " + std::to_string(column) + " of the grid " +
                        std::to_string(id) + " is locked");
        if (control->IsLocked(row, column))
            return fail("the cell " + std::to_string(row) + "," + std::to_string(column) +
                        " of the grid " + std::to_string(id) + " is locked");
        if (control->TypeOf(row, column) == CellType::CheckBox && value != "0" && value != "1")
            return fail("the cell " + std::to_string(row) + "," + std::to_string(column) +
                        " is a check box: 0 or 1");
        const auto items = control->cellItems.find({row, column});
        if (items != control->cellItems.end() &&
            std::find(items->second.begin(), items->second.end(), value) == items->second.end())
            return fail("\"" + value + "\" is not in the list of the cell");
        control->cells[{row, column}] = value;
        OnCellChanged(id, row, column);
        return true;
    }
    if (verb == "BLOCK" || verb == "ADDBLOCK" || verb == "COLUMNS" || verb == "ADDCOLUMNS" ||
        verb == "ACTIVE") {
        if (control->kind != ControlKind::Grid)
            return fail("the control " + std::to_string(id) + " is no grid");
        std::istringstream numbers(rest);
        std::vector<long> n;
        std::string word;
        while (numbers >> word) {
            char* end = nullptr;
            const long value = std::strtol(word.c_str(), &end, 10);
            if (*end != '\0' || word.size() > 9)
                return fail("\"" + word + "\" is not a row or column number");
            n.push_back(value);
        }
        const bool whole = verb == "COLUMNS" || verb == "ADDCOLUMNS";
        const bool add = verb == "ADDBLOCK" || verb == "ADDCOLUMNS";
        const std::size_t wanted = verb == "ACTIVE" ? 2 : whole ? 2 : 4;
        if (n.size() != wanted)
            return fail("\"" + typedVerb + " " + std::to_string(id) + "\" takes " +
                        (verb == "ACTIVE" ? "a row and a column"
                         : whole          ? "the first and the last column"
                                          : "a column, a row, a column and a row"));
        auto columnOk = [&](long c) { return c >= 1 && c <= control->columns; };
        auto rowOk = [&](long r) { return r >= 1 && r <= control->rows; };
        if (verb == "ACTIVE") {
            if (!rowOk(n[0]) || !columnOk(n[1]))
                return fail("the grid " + std::to_string(id) + " has no cell " +
                            std::to_string(n[0]) + "," + std::to_string(n[1]));
            // As a click on the cell: it becomes the active cell and the only selection.
            control->activeRow = static_cast<int>(n[0]);
            control->activeColumn = static_cast<int>(n[1]);
            control->selectedBlocks = {{control->activeColumn, control->activeRow,
                                        control->activeColumn, control->activeRow}};
            OnGridSelection(id);
            return true;
        }
        CellBlock block;
        if (whole) {
            if (!columnOk(n[0]) || !columnOk(n[1]))
                return fail("the grid " + std::to_string(id) + " has no column " +
                            std::to_string(columnOk(n[0]) ? n[1] : n[0]));
            block = {static_cast<int>(n[0]), -1, static_cast<int>(n[1]), -1};
        } else {
            if (!columnOk(n[0]) || !rowOk(n[1]) || !columnOk(n[2]) || !rowOk(n[3]))
                return fail("the grid " + std::to_string(id) + " has no block " +
                            std::to_string(n[0]) + "," + std::to_string(n[1]) + " to " +
                            std::to_string(n[2]) + "," + std::to_string(n[3]) + " (column, row)");
            block = {static_cast<int>(n[0]), static_cast<int>(n[1]), static_cast<int>(n[2]),
                     static_cast<int>(n[3])};
        }
        if (add && !control->multiBlockSelection)
            return fail("the grid " + std::to_string(id) +
                        " takes one block at a time (several blocks are not allowed)");
        if (!add)
            control->selectedBlocks.clear();
        control->selectedBlocks.push_back(block);
        // The block's first cell becomes the active cell (its first row for whole columns).
        control->activeColumn = block.column1;
        control->activeRow = block.WholeColumns() ? 1 : block.row1;
        if (control->rows < 1)
            control->activeRow = 0;
        OnGridSelection(id);
        return true;
    }
    return fail("unknown dialog action \"" + verb + "\"");
}

int Dialog::DoModal() {
    m_ended = false;
    m_result = kIdCancel;
    if (!OnInitDialog())
        return kIdCancel;
    host::Host& host = host::Host::Instance();
    // The dialog memory: the placement the dialog had when it was last closed.
    if (!m_dialogName.empty()) {
        std::string stored;
        if (GetDialogData(kPlacementValue, stored)) {
            if (const auto placement = WindowPlacement::FromText(stored)) {
                const WindowPlacement previous = m_placement;
                m_placement = *placement;
                m_placementKnown = true;
                OnSize(previous);
            }
        }
    }
    const WindowPlacement opened = m_placement;
    while (!m_ended) {
        const auto action = host.Ask({host::Request::Kind::Dialog, Describe() + "action: ", ""});
        if (!action) {
            OnCancel();
            if (!m_ended)
                EndDialog(kIdCancel);
            break;
        }
        std::string error;
        if (!Apply(std::string(common::Trim(*action)), &error))
            host.Console() << "\n(" << error << ")";
    }
    if (!m_dialogName.empty() && m_placementKnown && !(m_placement == opened))
        SetDialogData(kPlacementValue, m_placement.Text());
    host.Console() << "\n*** dialog " << m_templateId << " closed: "
                   << (m_result == kIdOk       ? "OK"
                       : m_result == kIdCancel ? "CANCEL"
                                               : std::to_string(m_result))
                   << " ***\n";
    host.Console().flush();
    return m_result;
}

}  // namespace ui
