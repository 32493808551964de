#pragma once

// The small control toolkit the plug-in's dialogs are built on: a modal dialog with controls
// addressed by their ids, and handlers the dialog class overrides. The host presents the
// dialog on its console and takes the user's actions from the terminal or a script
// (platform/ui/README.md), so every dialog can run unattended.

#include <map>
#include <string>
#include <vector>

namespace ui {

enum class ControlKind { Static, Button, CheckBox, RadioButton, Edit, ComboBox, ListBox, Grid };

/// One control: what it shows and what the user set.
struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    std::string text;  // caption, or the edit text (also of a combo box with an edit field)
    bool enabled = true;
    bool visible = true;
    bool checked = false;            // check box, radio button
    int group = 0;                   // radio buttons of one group share it
    std::vector<std::string> items;  // combo box, list box
    int selection = -1;              // combo box, list box: the selected item
    // Grid: cells by (row, column), both from 1; row 0 holds the column headers.
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, std::string> cells;
    std::map<std::pair<int, int>, std::vector<std::string>> cellItems;  // combo cells
    std::vector<bool> lockedColumns;                                    // by column, from 1

    std::string Cell(int row, int column) const;
};

/// The result of DoModal for the two standard buttons.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

class Dialog {
public:
    explicit Dialog(int templateId, std::string title);
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    /// Adds a control (replacing one with the same id).
    Control& AddControl(int id, ControlKind kind, std::string text = {});
    Control* GetDlgItem(int id);
    const Control* GetDlgItem(int id) const;
    const std::vector<Control>& Controls() const { return m_controls; }

    int TemplateId() const { return m_templateId; }
    const std::string& Title() const { return m_title; }
    void SetWindowText(std::string title) { m_title = std::move(title); }

    /// Shows the dialog until a handler ends it; returns the value given to EndDialog
    /// (kIdCancel when the user's actions run out).
    int DoModal();
    void EndDialog(int result);

    /// What the console shows of the dialog.
    std::string Describe() const;
    /// Applies one user action ("click 222", "check 234 1", "select 205 2", "text 203 10",
    /// "cell 217 2 3 上から", "OK", "CANCEL"); false with `error` set when it cannot be applied.
    bool Apply(const std::string& action, std::string* error);

protected:
    /// Called before the dialog is shown; false ends it with kIdCancel.
    virtual bool OnInitDialog() { return true; }
    /// OK (button 1) and Cancel (button 2, or no more actions).
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }
    /// A button was clicked, a check box or radio button changed, a selection or a text
    /// changed: `id` is the control.
    virtual void OnCommand(int id) { (void)id; }
    /// A grid cell changed.
    virtual void OnCellChanged(int id, int row, int column) { (void)id, (void)row, (void)column; }

private:
    int m_templateId;
    std::string m_title;
    std::vector<Control> m_controls;
    bool m_ended = false;
    int m_result = kIdCancel;
};

}  // namespace ui
