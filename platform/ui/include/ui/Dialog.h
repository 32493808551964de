#pragma once

// The small control toolkit the plug-in's dialogs are built on: a modal dialog with controls
// addressed by their ids, and handlers the dialog class overrides. The host presents the
// dialog on its console and takes the user's actions from the terminal or a script
// (platform/ui/README.md), so every dialog can run unattended.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class ControlKind { Static, Button, CheckBox, RadioButton, Edit, ComboBox, ListBox, Grid };

/// The name the console shows for a kind ("static", "button", "check", "radio", "edit",
/// "combo", "list", "grid"), which dialog templates use too.
const char* ControlKindName(ControlKind kind);
/// The kind of such a name; nothing for an unknown name.
std::optional<ControlKind> ControlKindFromName(std::string_view name);

/// A block of grid cells: columns `column1` to `column2` and rows `row1` to `row2`, from 1.
/// Rows -1 to -1 are whole columns (every row).
struct CellBlock {
    int column1 = 0;
    int row1 = 0;
    int column2 = 0;
    int row2 = 0;
    bool WholeColumns() const { return row1 == -1; }
    bool Contains(int row, int column) const;
    bool operator==(const CellBlock&) const = default;
};

/// What a grid cell holds: a text (the default), an item of its combo list (`cellItems`), or a
/// check box whose value is "1" or "0".
enum class CellType { Text, ComboBox, CheckBox };

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
    std::vector<long> itemData;      // combo box, list box: the item data by item (0 when unset)
    int selection = -1;              // combo box, list box: the selected item
    int width = 0;                   // size in pixels at 96 dots per inch (the template's);
    int height = 0;                  // for a grid its client area
    // Grid: cells by (row, column), both from 1; row 0 holds the column headers.
    int rows = 0;
    int columns = 0;
    std::map<std::pair<int, int>, std::string> cells;
    std::map<std::pair<int, int>, std::vector<std::string>> cellItems;  // combo cells
    std::set<std::pair<int, int>> checkCells;                           // check-box cells
    std::vector<bool> lockedColumns;                                    // by column, from 1
    std::set<std::pair<int, int>> lockedCells;  // single cells (row, column) locked
    std::vector<double> columnWidths;  // by column from 1, in twips (1/1440 inch); 0: default
    // Grid selection: the blocks the user selected (the last one is the current block), the
    // active cell (0, 0 when none) and whether several blocks may be selected at once.
    std::vector<CellBlock> selectedBlocks;
    int activeRow = 0;
    int activeColumn = 0;
    bool multiBlockSelection = false;

    std::string Cell(int row, int column) const;
    /// Item data of item `index`, 0 when none was set.
    long ItemData(int index) const;
    /// Sets the item data of item `index` (the vector grows as needed).
    void SetItemData(int index, long data);
    /// A grid cell's type.
    CellType TypeOf(int row, int column) const;
    /// True when the cell is locked, by its column or by itself.
    bool IsLocked(int row, int column) const;
    /// True when the cell lies in a selected block.
    bool IsSelected(int row, int column) const;
};

/// The screen's logical pixels per inch: "$CADHOST_DPI" when it holds a number from 48 to 960,
/// else 96.
int ScreenPixelsPerInch();

/// Where a dialog's window is and how large: screen pixels at 96 dots per inch. A width or
/// height of 0 is the template's size.
struct WindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowPlacement&) const = default;
    /// "x,y,width,height", as the dialog data keeps it.
    std::string Text() const;
    /// The placement of such a text: four whole numbers, width and height from 1 to 100000,
    /// positions within +-100000; nothing for anything else.
    static std::optional<WindowPlacement> FromText(std::string_view text);
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
    /// Removes a control (a placeholder a grid replaces); false when there is none.
    bool RemoveControl(int id);
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
    /// "cell 217 2 3 上から", "block 217 1 2 3 4", "addblock ...", "columns 217 2 3",
    /// "addcolumns ...", "active 217 2 3", "OK", "CANCEL"); false with `error` set when it
    /// cannot be applied (platform/ui/README.md).
    bool Apply(const std::string& action, std::string* error);

    /// Sounds the information beep: a console bell and a line the user sees.
    void MessageBeep() const;

    /// The name under which the dialog keeps its per-user dialog data ("ZELKOWP2::CYocyouDlg").
    void SetDialogName(std::string name) { m_dialogName = std::move(name); }
    const std::string& DialogName() const { return m_dialogName; }
    /// The dialog memory: a named dialog's window placement is kept in its dialog data under
    /// kPlacementValue. DoModal puts a stored placement into effect after OnInitDialog (OnSize
    /// hears it) and, when the dialog closes with a placement other than the one it opened
    /// with, stores the new one. The user moves and sizes a dialog with the action "move X Y
    /// WIDTH HEIGHT"; the console shows the placement once it is known ("window: 10,20
    /// 640x400").
    static constexpr const char* kPlacementValue = "WindowRect";
    const WindowPlacement& Placement() const { return m_placement; }
    /// Sets the placement without telling OnSize (a dialog's own size before it is shown).
    void SetPlacement(const WindowPlacement& placement) { m_placement = placement; }

    /// Reads and stores a value of the dialog's data (ui/DialogData.h). A store that cannot be
    /// read or written is said on the console, and the call answers false.
    bool GetDialogData(std::string_view name, std::string& value) const;
    bool SetDialogData(std::string_view name, std::string_view value) const;

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
    /// The selection or the active cell of a grid changed.
    virtual void OnGridSelection(int id) { (void)id; }
    /// The window was moved or sized (the new placement is Placement()); `previous` is the
    /// one before.
    virtual void OnSize(const WindowPlacement& previous) { (void)previous; }

private:
    int m_templateId;
    std::string m_title;
    std::string m_dialogName;
    std::vector<Control> m_controls;
    WindowPlacement m_placement;
    bool m_placementKnown = false;
    bool m_ended = false;
    int m_result = kIdCancel;
};

}  // namespace ui
