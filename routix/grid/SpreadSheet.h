#pragma once

// The spreadsheet wrapper of the plug-in's dialogs. TSpread is the grid window: the grid
// control (platform/ui) of one dialog, reached by its id, with the cell operations of the
// spreadsheet control on a given cell. CSpreadSheet puts a grid in place of a placeholder
// control of the dialog's template and works on a current row and column, as the direction
// dialogs and the development-drawing dialog use it.
//
// Rows and columns count from 1; row 0 holds the column headers and row -1 stands for all
// rows where the control allows it (data, cell types, values, locks, whole-column selection
// blocks). The grid keeps what the user sees and changes: cell data, combo lists, check-box
// values, locks, widths, the selection blocks and the active cell (ui::Control).
//
// Units of widths: kUnitNormal (the default) counts characters of the dialog font, one
// character being 105 twips (7 pixels at 96 dots per inch); kUnitVGABase is taken as the
// same; kUnitTwips counts twips (1/1440 inch). Row heights are pixels, twips in kUnitTwips.
//
// Boolean options: kOptionMultiSelBlocks (26) allows several selection blocks; turning it off
// keeps only the current block. The others (such as kOptionDialogFont, 21, which Create sets)
// are kept and read back, and change nothing in this grid.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Dialog.h"

namespace routix {

/// A rectangle in pixels.
struct SpreadRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class TSpread {
public:
    static constexpr int kUnitNormal = 0;
    static constexpr int kUnitVGABase = 1;
    static constexpr int kUnitTwips = 2;
    static constexpr int kOptionDialogFont = 21;
    static constexpr int kOptionMultiSelBlocks = 26;
    /// Twips of one character of the dialog font.
    static constexpr double kTwipsPerChar = 105.0;

    TSpread() = default;
    virtual ~TSpread() = default;
    TSpread(const TSpread&) = delete;
    TSpread& operator=(const TSpread&) = delete;

    /// Works on the grid `id` of `dialog`; false when the dialog has no grid of that id.
    bool Attach(ui::Dialog& dialog, int id);
    bool IsValid() const { return Grid() != nullptr; }
    ui::Control* Grid() const;
    int GetDlgCtrlID() const { return m_id; }

    // --- cells (column, row) ---------------------------------------------------------------
    bool SetData(int column, int row, std::string_view data);
    std::string GetData(int column, int row) const;
    int GetDataLen(int column, int row) const;
    bool SetDataRange(int column1, int row1, int column2, int row2, std::string_view data);
    /// A check box's value is "1" or "0"; other cells' value is their data.
    bool SetValue(int column, int row, std::string_view value);
    std::string GetValue(int column, int row) const;
    int GetValueLen(int column, int row) const;
    bool SetValueRange(int column1, int row1, int column2, int row2, std::string_view value);

    // --- cell types ------------------------------------------------------------------------
    /// A combo cell whose list is the tab-separated `list` ("上から\t下から").
    bool SetTypeComboBox(int column, int row, std::string_view list);
    /// A check-box cell (value "0" until set).
    bool SetTypeCheckBox(int column, int row);
    /// A text cell again.
    bool SetTypeText(int column, int row);
    /// Gives the cells of the block the type of the cell (`column`, `row`) (its list too).
    bool SetCellTypeRange(int column1, int row1, int column2, int row2, ui::CellType type,
                          std::string_view list = {});
    ui::CellType GetCellType(int column, int row) const;
    /// The combo list of a cell as tab-separated text (empty when it has none).
    std::string GetComboList(int column, int row) const;
    /// The index of a combo cell's text in its list; -1 when none.
    int ComboGetCurSel(int column, int row) const;
    bool ComboSetCurSel(int column, int row, int index);

    // --- sizes -----------------------------------------------------------------------------
    int GetUnitType() const { return m_unit; }
    void SetUnitType(int unit) { m_unit = unit; }
    /// Column 0 is the row header.
    bool SetColWidth(int column, double width);
    double GetColWidth(int column) const;
    bool SetRowHeightInPixels(int row, int pixels);
    double GetRowHeight(int row) const;
    /// The grid's client area in pixels at the screen's pixels per inch.
    SpreadRect GetClientRect() const;
    void SetMaxRows(int rows);
    int GetMaxRows() const;
    void SetMaxCols(int columns);
    int GetMaxCols() const;

    // --- locks -----------------------------------------------------------------------------
    /// Locks (or unlocks) a block; rows -1 lock whole columns.
    bool SetLockRange(int column1, int row1, int column2, int row2, bool lock);
    bool GetLock(int column, int row) const;

    // --- selection -------------------------------------------------------------------------
    /// The current selection block (rows -1 for whole columns); without a selection the
    /// active cell. False when there is neither.
    bool GetSelectBlock(ui::CellBlock& block) const;
    /// Every selection block, in the order selected (the spreadsheet control hands them out
    /// as a memory block the caller frees; here they are a vector).
    std::vector<ui::CellBlock> GetMultiSelBlocks() const;
    /// Selects one block (the selection becomes that block); a further block is added when
    /// `add` and several blocks are allowed. False for a block outside the grid, or for `add`
    /// without kOptionMultiSelBlocks.
    bool SetSelectBlock(const ui::CellBlock& block, bool add = false);
    void ClearSelection();
    bool GetActiveCell(int& column, int& row) const;
    bool SetActiveCell(int column, int row);

    // --- options ---------------------------------------------------------------------------
    bool GetBool(int option) const;
    void SetBool(int option, bool value);

    /// The width rule of the direction dialogs: above 96 pixels per inch the client width
    /// (less `rowHeaderShare` of the row header's width) is shared out over the columns in the
    /// ratio of `nominal` (in normal units, column 1 first), computed in twips; at 96 or less
    /// the nominal widths are set as they are. The unit type is left as it was.
    void ScaleColumnWidths(std::span<const double> nominal, double rowHeaderShare = 0.0);

protected:
    bool InGrid(int column, int row, bool headerRow = false) const;
    /// The cells of a block, rows -1 meaning every row.
    template <class F>
    bool ForBlock(int column1, int row1, int column2, int row2, F f);
    double ToTwips(double width) const;
    double FromTwips(double twips) const;

    ui::Dialog* m_pDialog = nullptr;
    int m_id = 0;
    int m_unit = kUnitNormal;
    double m_rowHeaderTwips = 4 * kTwipsPerChar;
    std::vector<std::pair<int, bool>> m_options;
    std::vector<std::pair<int, int>> m_rowHeights;  // (row, pixels)
};

class CSpreadSheet : public TSpread {
public:
    CSpreadSheet() = default;
    ~CSpreadSheet() override = default;

    /// Replaces the placeholder control `id` of `dialog` by a grid of the same id, size and
    /// place in the tab order; the dialog font option is set. False when the dialog has no
    /// control of that id.
    bool Create(ui::Dialog& dialog, int id);

    void SetCol(int column) { m_col = column; }
    void SetRow(int row) { m_row = row; }
    int GetCol() const { return m_col; }
    int GetRow() const { return m_row; }

    // The cell operations on the current cell.
    bool SetData(std::string_view data) { return TSpread::SetData(m_col, m_row, data); }
    std::string GetData() const { return TSpread::GetData(m_col, m_row); }
    bool SetValue(std::string_view value) { return TSpread::SetValue(m_col, m_row, value); }
    std::string GetValue() const { return TSpread::GetValue(m_col, m_row); }
    /// The current column's cells become combo cells of the tab-separated `list`.
    bool SetColumnComboBox(std::string_view list) {
        return TSpread::SetTypeComboBox(m_col, -1, list);
    }
    /// The list of the current cell.
    bool SetComboList(std::string_view list) {
        return TSpread::SetTypeComboBox(m_col, m_row, list);
    }
    int ComboGetCurSel() const { return TSpread::ComboGetCurSel(m_col, m_row); }
    bool ComboSetCurSel(int index) { return TSpread::ComboSetCurSel(m_col, m_row, index); }
    bool SetTypeCheckBox() { return TSpread::SetTypeCheckBox(m_col, m_row); }
    bool GetLock() const { return TSpread::GetLock(m_col, m_row); }

    using TSpread::ComboGetCurSel;
    using TSpread::ComboSetCurSel;
    using TSpread::GetData;
    using TSpread::GetLock;
    using TSpread::GetValue;
    using TSpread::SetData;
    using TSpread::SetTypeCheckBox;
    using TSpread::SetValue;

private:
    int m_col = 1;
    int m_row = 1;
};

}  // namespace routix
