#include "TextGridModel.h"

namespace kablos {

void TextGridModel::setGrid(TextGrid grid) {
    beginResetModel();
    m_grid = std::move(grid);
    m_colours.assign(m_grid.rows.size(), White());
    for (std::size_t i = 0; i < m_grid.green.size() && i < m_colours.size(); ++i) {
        if (m_grid.green[i])
            m_colours[i] = Green();
    }
    endResetModel();
}

void TextGridModel::setRowColour(int row, const QColor& colour) {
    if (row < 0 || row >= rowCount())
        return;
    m_colours[static_cast<std::size_t>(row)] = colour;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::BackgroundRole});
}

QColor TextGridModel::rowColour(int row) const {
    return row >= 0 && row < rowCount() ? m_colours[static_cast<std::size_t>(row)] : QColor();
}

std::vector<std::string> TextGridModel::rowTexts(int row) const {
    return row >= 0 && row < rowCount() ? m_grid.rows[static_cast<std::size_t>(row)]
                                        : std::vector<std::string>();
}

int TextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_grid.rows.size());
}

int TextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_grid.header.size());
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole) {
        const std::vector<std::string>& cells = m_grid.rows[row];
        return column < cells.size() ? QString::fromStdString(cells[column]) : QString();
    }
    // The row number column keeps the grid's own colour; the others show the row's state.
    if (role == Qt::BackgroundRole && column > 0)
        return m_colours[row];
    return {};
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    if (section < 0 || section >= columnCount())
        return {};
    return QString::fromStdString(m_grid.header[static_cast<std::size_t>(section)]);
}

}  // namespace kablos
