#include "grid/SpreadSheet.h"

#include <algorithm>
#include <numeric>

#include "common/text.h"

namespace routix {

namespace {

std::vector<std::string> SplitList(std::string_view list) {
    std::vector<std::string> items;
    if (list.empty())
        return items;
    for (std::string_view item : common::Split(list, '\t'))
        items.emplace_back(item);
    return items;
}

}  // namespace

bool TSpread::Attach(ui::Dialog& dialog, int id) {
    const ui::Control* control = dialog.GetDlgItem(id);
    if (control == nullptr || control->kind != ui::ControlKind::Grid)
        return false;
    m_pDialog = &dialog;
    m_id = id;
    return true;
}

ui::Control* TSpread::Grid() const {
    if (m_pDialog == nullptr)
        return nullptr;
    ui::Control* control = m_pDialog->GetDlgItem(m_id);
    return control != nullptr && control->kind == ui::ControlKind::Grid ? control : nullptr;
}

bool TSpread::InGrid(int column, int row, bool headerRow) const {
    const ui::Control* grid = Grid();
    return grid != nullptr && column >= 1 && column <= grid->columns &&
           row >= (headerRow ? 0 : 1) && row <= grid->rows;
}

template <class F>
bool TSpread::ForBlock(int column1, int row1, int column2, int row2, F f) {
    ui::Control* grid = Grid();
    if (grid == nullptr)
        return false;
    if (row1 == -1 || row2 == -1) {
        row1 = 1;
        row2 = grid->rows;
    }
    if (column1 == -1 || column2 == -1) {
        column1 = 1;
        column2 = grid->columns;
    }
    if (column1 > column2)
        std::swap(column1, column2);
    if (row1 > row2)
        std::swap(row1, row2);
    if (column1 < 1 || column2 > grid->columns || row1 < 0 || row2 > grid->rows)
        return false;
    for (int row = row1; row <= row2; ++row)
        for (int column = column1; column <= column2; ++column)
            f(*grid, column, row);
    return true;
}

// --- cells -----------------------------------------------------------------------------------

bool TSpread::SetData(int column, int row, std::string_view data) {
    if (row == -1)
        return SetDataRange(column, -1, column, -1, data);
    if (!InGrid(column, row, true))
        return false;
    Grid()->cells[{row, column}] = std::string(data);
    return true;
}

std::string TSpread::GetData(int column, int row) const {
    const ui::Control* grid = Grid();
    return grid != nullptr ? grid->Cell(row, column) : std::string();
}

int TSpread::GetDataLen(int column, int row) const {
    return static_cast<int>(GetData(column, row).size());
}

bool TSpread::SetDataRange(int column1, int row1, int column2, int row2, std::string_view data) {
    return ForBlock(column1, row1, column2, row2, [&](ui::Control& grid, int column, int row) {
        grid.cells[{row, column}] = std::string(data);
    });
}

bool TSpread::SetValue(int column, int row, std::string_view value) {
    if (row == -1)
        return SetValueRange(column, -1, column, -1, value);
    if (!InGrid(column, row))
        return false;
    return SetValueRange(column, row, column, row, value);
}

std::string TSpread::GetValue(int column, int row) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr)
        return {};
    if (grid->TypeOf(row, column) == ui::CellType::CheckBox)
        return grid->Cell(row, column) == "1" ? "1" : "0";
    return grid->Cell(row, column);
}

int TSpread::GetValueLen(int column, int row) const {
    return static_cast<int>(GetValue(column, row).size());
}

bool TSpread::SetValueRange(int column1, int row1, int column2, int row2, std::string_view value) {
    return ForBlock(column1, row1, column2, row2, [&](ui::Control& grid, int column, int row) {
        if (grid.TypeOf(row, column) == ui::CellType::CheckBox)
            grid.cells[{row, column}] = value == "0" || value.empty() ? "0" : "1";
        else
            grid.cells[{row, column}] = std::string(value);
    });
}

// --- cell types ------------------------------------------------------------------------------

bool TSpread::SetTypeComboBox(int column, int row, std::string_view list) {
    return SetCellTypeRange(column, row, column, row, ui::CellType::ComboBox, list);
}

bool TSpread::SetTypeCheckBox(int column, int row) {
    return SetCellTypeRange(column, row, column, row, ui::CellType::CheckBox);
}

bool TSpread::SetTypeText(int column, int row) {
    return SetCellTypeRange(column, row, column, row, ui::CellType::Text);
}

bool TSpread::SetCellTypeRange(int column1, int row1, int column2, int row2, ui::CellType type,
                               std::string_view list) {
    if (row1 == 0 || row2 == 0)
        return false;  // the header row keeps its texts
    const std::vector<std::string> items = SplitList(list);
    return ForBlock(column1, row1, column2, row2, [&](ui::Control& grid, int column, int row) {
        const std::pair<int, int> cell{row, column};
        grid.cellItems.erase(cell);
        grid.checkCells.erase(cell);
        if (type == ui::CellType::ComboBox) {
            grid.cellItems[cell] = items;
        } else if (type == ui::CellType::CheckBox) {
            grid.checkCells.insert(cell);
            std::string& value = grid.cells[cell];
            value = value == "1" ? "1" : "0";
        }
    });
}

ui::CellType TSpread::GetCellType(int column, int row) const {
    const ui::Control* grid = Grid();
    return grid != nullptr ? grid->TypeOf(row, column) : ui::CellType::Text;
}

std::string TSpread::GetComboList(int column, int row) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr)
        return {};
    const auto found = grid->cellItems.find({row, column});
    if (found == grid->cellItems.end())
        return {};
    std::string list;
    for (std::size_t i = 0; i < found->second.size(); ++i)
        list += (i == 0 ? "" : "\t") + found->second[i];
    return list;
}

int TSpread::ComboGetCurSel(int column, int row) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr)
        return -1;
    const auto found = grid->cellItems.find({row, column});
    if (found == grid->cellItems.end())
        return -1;
    const auto item =
        std::find(found->second.begin(), found->second.end(), grid->Cell(row, column));
    return item == found->second.end() ? -1 : static_cast<int>(item - found->second.begin());
}

bool TSpread::ComboSetCurSel(int column, int row, int index) {
    ui::Control* grid = Grid();
    if (grid == nullptr)
        return false;
    const auto found = grid->cellItems.find({row, column});
    if (found == grid->cellItems.end() || index < -1 ||
        index >= static_cast<int>(found->second.size()))
        return false;
    grid->cells[{row, column}] =
        index < 0 ? std::string() : found->second[static_cast<std::size_t>(index)];
    return true;
}

// --- sizes -----------------------------------------------------------------------------------

double TSpread::ToTwips(double width) const {
    return m_unit == kUnitTwips ? width : width * kTwipsPerChar;
}

double TSpread::FromTwips(double twips) const {
    return m_unit == kUnitTwips ? twips : twips / kTwipsPerChar;
}

bool TSpread::SetColWidth(int column, double width) {
    ui::Control* grid = Grid();
    if (grid == nullptr || column < 0 || column > grid->columns || !(width >= 0))
        return false;
    if (column == 0) {
        m_rowHeaderTwips = ToTwips(width);
        return true;
    }
    if (grid->columnWidths.size() < static_cast<std::size_t>(grid->columns))
        grid->columnWidths.resize(static_cast<std::size_t>(grid->columns), 0.0);
    grid->columnWidths[static_cast<std::size_t>(column) - 1] = ToTwips(width);
    return true;
}

double TSpread::GetColWidth(int column) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr || column < 0)
        return 0;
    if (column == 0)
        return FromTwips(m_rowHeaderTwips);
    const std::size_t index = static_cast<std::size_t>(column) - 1;
    return index < grid->columnWidths.size() ? FromTwips(grid->columnWidths[index]) : 0;
}

bool TSpread::SetRowHeightInPixels(int row, int pixels) {
    const ui::Control* grid = Grid();
    if (grid == nullptr || row < 0 || row > grid->rows || pixels < 0)
        return false;
    for (auto& [r, height] : m_rowHeights)
        if (r == row) {
            height = pixels;
            return true;
        }
    m_rowHeights.emplace_back(row, pixels);
    return true;
}

double TSpread::GetRowHeight(int row) const {
    int pixels = 20;  // the default row height of the dialog font
    for (const auto& [r, height] : m_rowHeights)
        if (r == row)
            pixels = height;
    return m_unit == kUnitTwips ? pixels * 1440.0 / ui::ScreenPixelsPerInch() : pixels;
}

SpreadRect TSpread::GetClientRect() const {
    const ui::Control* grid = Grid();
    if (grid == nullptr)
        return {};
    const int dpi = ui::ScreenPixelsPerInch();
    return {0, 0, grid->width * dpi / 96, grid->height * dpi / 96};
}

void TSpread::SetMaxRows(int rows) {
    if (ui::Control* grid = Grid()) {
        grid->rows = std::max(rows, 0);
        auto outside = [&](const std::pair<int, int>& cell) { return cell.first > grid->rows; };
        std::erase_if(grid->cells, [&](const auto& entry) { return outside(entry.first); });
        std::erase_if(grid->cellItems, [&](const auto& entry) { return outside(entry.first); });
        std::erase_if(grid->checkCells, outside);
        std::erase_if(grid->lockedCells, outside);
        std::erase_if(grid->selectedBlocks, [&](const ui::CellBlock& block) {
            return !block.WholeColumns() && std::min(block.row1, block.row2) > grid->rows;
        });
        if (grid->activeRow > grid->rows)
            grid->activeRow = grid->activeColumn = 0;
    }
}

int TSpread::GetMaxRows() const {
    const ui::Control* grid = Grid();
    return grid != nullptr ? grid->rows : 0;
}

void TSpread::SetMaxCols(int columns) {
    if (ui::Control* grid = Grid()) {
        grid->columns = std::max(columns, 0);
        if (grid->lockedColumns.size() > static_cast<std::size_t>(grid->columns))
            grid->lockedColumns.resize(static_cast<std::size_t>(grid->columns));
        if (grid->columnWidths.size() > static_cast<std::size_t>(grid->columns))
            grid->columnWidths.resize(static_cast<std::size_t>(grid->columns));
    }
}

int TSpread::GetMaxCols() const {
    const ui::Control* grid = Grid();
    return grid != nullptr ? grid->columns : 0;
}

// --- locks -----------------------------------------------------------------------------------

bool TSpread::SetLockRange(int column1, int row1, int column2, int row2, bool lock) {
    ui::Control* grid = Grid();
    if (grid == nullptr)
        return false;
    if (row1 == -1 || row2 == -1) {
        if (column1 > column2)
            std::swap(column1, column2);
        if (column1 < 1 || column2 > grid->columns)
            return false;
        if (grid->lockedColumns.size() < static_cast<std::size_t>(grid->columns))
            grid->lockedColumns.resize(static_cast<std::size_t>(grid->columns), false);
        for (int column = column1; column <= column2; ++column) {
            grid->lockedColumns[static_cast<std::size_t>(column) - 1] = lock;
            if (!lock)
                std::erase_if(grid->lockedCells, [column](const std::pair<int, int>& cell) {
                    return cell.second == column;
                });
        }
        return true;
    }
    return ForBlock(column1, row1, column2, row2, [lock](ui::Control& g, int column, int row) {
        if (lock)
            g.lockedCells.insert({row, column});
        else
            g.lockedCells.erase({row, column});
    });
}

bool TSpread::GetLock(int column, int row) const {
    const ui::Control* grid = Grid();
    return grid != nullptr && grid->IsLocked(row, column);
}

// --- selection -------------------------------------------------------------------------------

bool TSpread::GetSelectBlock(ui::CellBlock& block) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr)
        return false;
    if (!grid->selectedBlocks.empty()) {
        block = grid->selectedBlocks.back();
        return true;
    }
    if (grid->activeRow > 0 && grid->activeColumn > 0) {
        block = {grid->activeColumn, grid->activeRow, grid->activeColumn, grid->activeRow};
        return true;
    }
    return false;
}

std::vector<ui::CellBlock> TSpread::GetMultiSelBlocks() const {
    const ui::Control* grid = Grid();
    return grid != nullptr ? grid->selectedBlocks : std::vector<ui::CellBlock>();
}

bool TSpread::SetSelectBlock(const ui::CellBlock& block, bool add) {
    ui::Control* grid = Grid();
    if (grid == nullptr || (add && !grid->multiBlockSelection))
        return false;
    const bool columnsOk = block.column1 >= 1 && block.column1 <= grid->columns &&
                           block.column2 >= 1 && block.column2 <= grid->columns;
    const bool rowsOk =
        (block.row1 == -1 && block.row2 == -1) || (block.row1 >= 1 && block.row1 <= grid->rows &&
                                                   block.row2 >= 1 && block.row2 <= grid->rows);
    if (!columnsOk || !rowsOk)
        return false;
    if (!add)
        grid->selectedBlocks.clear();
    grid->selectedBlocks.push_back(block);
    return true;
}

void TSpread::ClearSelection() {
    if (ui::Control* grid = Grid())
        grid->selectedBlocks.clear();
}

bool TSpread::GetActiveCell(int& column, int& row) const {
    const ui::Control* grid = Grid();
    if (grid == nullptr || grid->activeRow <= 0 || grid->activeColumn <= 0)
        return false;
    column = grid->activeColumn;
    row = grid->activeRow;
    return true;
}

bool TSpread::SetActiveCell(int column, int row) {
    if (!InGrid(column, row))
        return false;
    Grid()->activeColumn = column;
    Grid()->activeRow = row;
    return true;
}

// --- options ---------------------------------------------------------------------------------

bool TSpread::GetBool(int option) const {
    if (option == kOptionMultiSelBlocks) {
        const ui::Control* grid = Grid();
        return grid != nullptr && grid->multiBlockSelection;
    }
    for (const auto& [known, value] : m_options)
        if (known == option)
            return value;
    return false;
}

void TSpread::SetBool(int option, bool value) {
    if (option == kOptionMultiSelBlocks) {
        if (ui::Control* grid = Grid()) {
            grid->multiBlockSelection = value;
            if (!value && grid->selectedBlocks.size() > 1)
                grid->selectedBlocks.erase(grid->selectedBlocks.begin(),
                                           grid->selectedBlocks.end() - 1);
        }
        return;
    }
    for (auto& [known, stored] : m_options)
        if (known == option) {
            stored = value;
            return;
        }
    m_options.emplace_back(option, value);
}

void TSpread::ScaleColumnWidths(std::span<const double> nominal, double rowHeaderShare) {
    const int dpi = ui::ScreenPixelsPerInch();
    if (dpi <= 96) {
        for (std::size_t i = 0; i < nominal.size(); ++i)
            SetColWidth(static_cast<int>(i) + 1, nominal[i]);
        return;
    }
    const int unit = GetUnitType();
    const double total = std::accumulate(nominal.begin(), nominal.end(), 0.0);
    SetUnitType(kUnitTwips);
    const double headerPixels = m_rowHeaderTwips * dpi / 1440.0;
    const double clientPixels = GetClientRect().Width() - rowHeaderShare * headerPixels;
    const double clientTwips = 1440.0 / dpi * clientPixels;
    for (std::size_t i = 0; i < nominal.size(); ++i)
        SetColWidth(static_cast<int>(i) + 1, total > 0 ? clientTwips * nominal[i] / total : 0);
    SetUnitType(unit);
}

// --- CSpreadSheet ----------------------------------------------------------------------------

bool CSpreadSheet::Create(ui::Dialog& dialog, int id) {
    const ui::Control* placeholder = dialog.GetDlgItem(id);
    if (placeholder == nullptr)
        return false;
    const int width = placeholder->width;
    const int height = placeholder->height;
    const bool visible = placeholder->visible;
    const bool enabled = placeholder->enabled;
    // Replaced in its place, so the grid keeps the placeholder's place in the tab order.
    ui::Control& grid = dialog.AddControl(id, ui::ControlKind::Grid);
    grid.width = width;
    grid.height = height;
    grid.visible = visible;
    grid.enabled = enabled;
    if (!Attach(dialog, id))
        return false;
    SetBool(kOptionDialogFont, true);
    return true;
}

}  // namespace routix
