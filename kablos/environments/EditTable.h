#pragma once

// The table behind the strip and the cutter grids, and the editing operations both grids offer:
// insert and delete rows, move rows up and down, cut, copy and paste as tab-separated text, and
// the fill of a selected block with one value. No widgets: a grid shows the table and hands in
// its selection; the operations say what to select afterwards.
//
// Rows and data columns are numbered from 1, as the grids show them (row 0 is the header row,
// column 0 the row-number column).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kablos {

/// A block of cells: first and last data column, first and last row, both ends included.
struct CellBlock {
    int col1 = 1;
    int row1 = 1;
    int col2 = 1;
    int row2 = 1;
    bool operator==(const CellBlock&) const = default;
};

/// A text as a cell or an environment name holds it: the settings file keeps its fields between
/// tabs on lines, so a tab or a line end typed or pasted into one becomes a blank.
std::string FieldText(std::string_view text);

class EditTable {
public:
    explicit EditTable(int columns) : m_columns(columns) {}

    int columns() const { return m_columns; }
    int rows() const { return static_cast<int>(m_cells.size()); }

    /// The text of a cell; empty outside the table.
    const std::string& cell(int row, int col) const;
    /// Writes a cell inside the table; outside it nothing happens.
    void setCell(int row, int col, std::string text);
    /// The texts of one row, columns 1 to columns().
    const std::vector<std::string>& row(int row) const { return m_cells.at(row - 1); }

    void clear() { m_cells.clear(); }
    /// Adds a row at the bottom; missing cells are empty, surplus ones dropped.
    void appendRow(std::vector<std::string> cells);

    /// Inserts an empty row directly below `activeRow` (0: above the first row). Returns the
    /// number of the new row.
    int InsertRow(int activeRow);

    /// Deletes every row that lies in one of `blocks`, or, with no block, the active row.
    /// Returns the number of rows deleted.
    int DeleteRows(const std::vector<CellBlock>& blocks, int activeRow);

    /// Moves the rows of the last block (or the active row) up or down by one, all data columns
    /// together. Returns the block to select afterwards, or nothing when the rows cannot move:
    /// up needs a first row of at least 2, down a last row above the table's last row.
    std::optional<CellBlock> MoveUp(const std::vector<CellBlock>& blocks, int activeRow);
    std::optional<CellBlock> MoveDown(const std::vector<CellBlock>& blocks, int activeRow);

    /// The cells of `range` as text: cells joined by tabs, rows by CR LF.
    std::string CopyText(const CellBlock& range) const;
    /// CopyText, then the cells of `range` are emptied.
    std::string Cut(const CellBlock& range);

    /// True when a clipboard text is one value for a block fill: not empty, without tab and
    /// without line end.
    static bool IsSingleValue(std::string_view text);

    /// Pastes clipboard text. A single value with blocks selected fills every cell of every
    /// block (rows up to the last row of the table). Otherwise the lines and tab-separated
    /// cells go into the table from the top-left cell of the last block, or of the active cell
    /// with no block; what reaches beyond the table's last row or column is left out. Returns
    /// the block written, or nothing when nothing was.
    std::optional<CellBlock> Paste(std::string_view text, const std::vector<CellBlock>& blocks,
                                   int activeRow, int activeCol);

    /// `block` with its rows and columns limited to the table; nothing when none remains.
    std::optional<CellBlock> Clip(const CellBlock& block) const;

private:
    std::optional<CellBlock> MoveBlock(const std::vector<CellBlock>& blocks, int activeRow) const;
    void SwapRows(int a, int b);

    int m_columns;
    std::vector<std::vector<std::string>> m_cells;
};

}  // namespace kablos
