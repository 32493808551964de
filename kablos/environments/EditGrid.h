#pragma once

// The grid of the strip and cutter editors: a table view over an EditTable, the editing
// operations of its buttons and of its context menu "編集(&E)", the clipboard, and the block
// selection. Column headers and widths (in characters) are the editor's.
//
// A click on a column header selects nothing and there is no select-all corner: every selection
// is a block of rows, so Delete always works on rows.

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <vector>

#include "EditTable.h"

class QMenu;

namespace kablos {

/// The table as a Qt model: data columns 1.. are model columns 0.., rows 1.. model rows 0...
class EditTableModel : public QAbstractTableModel {
public:
    EditTableModel(EditTable& table, QStringList headers, QObject* parent = nullptr);

    /// The table changed behind the model's back: every view starts over.
    void reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    EditTable& m_table;
    QStringList m_headers;
};

class EditGrid : public QTableView {
    Q_OBJECT
public:
    /// `widths` in characters: the row-number column first, then one per data column.
    EditGrid(EditTable& table, const QStringList& headers, const std::vector<int>& widths,
             QWidget* parent = nullptr);

    EditTableModel& tableModel() { return m_model; }
    /// The table changed outside the grid (another environment is shown); a cell editor still
    /// open is dropped.
    void reload();
    /// Stores the text of a cell still being edited into the table. Every editing operation
    /// does this first (the context menu leaves the editor open); so must whoever reads the
    /// table.
    void commitEdit();

    /// The selected blocks, in the order they were selected.
    std::vector<CellBlock> selectedBlocks() const;
    /// The active cell's row and column, 0 when there is none.
    int activeRow() const;
    int activeCol() const;
    void selectBlock(const CellBlock& block);

    /// The context menu "編集(&E)" (mnuEdit).
    QMenu* editMenu() const { return m_mnuEdit; }

public slots:
    void InsertRow();
    void DeleteRows();
    void MoveUp();
    void MoveDown();
    void Cut();
    void Copy();
    void Paste();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// The block cut, copy and paste work on: the last selected block, else the active cell.
    CellBlock currentRange() const;
    void afterMove(const std::optional<CellBlock>& moved);
    void restoreActive(int row, int col);

    EditTable& m_table;
    EditTableModel m_model;
    QMenu* m_mnuEdit = nullptr;
};

/// Twips (1/1440 inch) per pixel of the screen a widget is on.
int TwipsPerPixel(const QWidget& widget);

}  // namespace kablos
