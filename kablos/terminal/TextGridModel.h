#pragma once

// A grid of texts for a table view: the data-set grid and the wire grid. One model object holds
// the whole table, so tens of thousands of rows show without one widget per cell.

#include <QAbstractTableModel>
#include <QColor>
#include <vector>

#include "WireLists.h"

namespace kablos {

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    /// Replaces the table; done rows are green, the others white.
    void setGrid(TextGrid grid);
    const TextGrid& grid() const { return m_grid; }

    /// Paints one row.
    void setRowColour(int row, const QColor& colour);
    QColor rowColour(int row) const;
    /// The text of a row's cells.
    std::vector<std::string> rowTexts(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QColor Green() { return QColor(0, 255, 0); }
    static QColor Yellow() { return QColor(255, 255, 0); }
    static QColor White() { return QColor(255, 255, 255); }

private:
    TextGrid m_grid;
    std::vector<QColor> m_colours;
};

}  // namespace kablos
