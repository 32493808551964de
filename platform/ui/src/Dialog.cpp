#include "ui/Dialog.h"

#include <algorithm>
#include <sstream>

#include "common/text.h"
#include "host/Host.h"

namespace ui {

std::string Control::Cell(int row, int column) const {
    const auto found = cells.find({row, column});
    return found == cells.end() ? std::string() : found->second;
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

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Static:
            return "static";
        case ControlKind::Button:
            return "button";
        case ControlKind::CheckBox:
            return "check";
        case ControlKind::RadioButton:
            return "radio";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::ComboBox:
            return "combo";
        case ControlKind::ListBox:
            return "list";
        case ControlKind::Grid:
            return "grid";
    }
    return "";
}

}  // namespace

std::string Dialog::Describe() const {
    std::ostringstream out;
    out << "\n*** dialog " << m_templateId << " \"" << m_title << "\" ***\n";
    for (const Control& c : m_controls) {
        if (!c.visible)
            continue;
        out << "[" << c.id << "] " << KindName(c.kind);
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
        if (c.kind == ControlKind::Grid) {
            for (int row = 0; row <= c.rows; ++row) {
                out << "  " << row << ":";
                for (int column = 1; column <= c.columns; ++column)
                    out << " | " << c.Cell(row, column);
                out << "\n";
            }
        }
    }
    return out.str();
}

bool Dialog::Apply(const std::string& action, std::string* error) {
    std::istringstream in(action);
    std::string verb;
    in >> verb;
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
        const auto items = control->cellItems.find({row, column});
        if (items != control->cellItems.end() &&
            std::find(items->second.begin(), items->second.end(), value) == items->second.end())
            return fail("\"" + value + "\" is not in the list of the cell");
        control->cells[{row, column}] = value;
        OnCellChanged(id, row, column);
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
    host.Console() << "\n*** dialog " << m_templateId << " closed: "
                   << (m_result == kIdOk       ? "OK"
                       : m_result == kIdCancel ? "CANCEL"
                                               : std::to_string(m_result))
                   << " ***\n";
    host.Console().flush();
    return m_result;
}

}  // namespace ui
