#include "EditGrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenu>
#include <QPaintEvent>
#include <QStyleOptionHeader>
#include <QStylePainter>

namespace kablos {

EditTableModel::EditTableModel(EditTable& table, QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_headers(std::move(headers)) {}

void EditTableModel::reload() {
    beginResetModel();
    endResetModel();
}

int EditTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.rows();
}

int EditTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_table.columns();
}

QVariant EditTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return QString::fromStdString(m_table.cell(index.row() + 1, index.column() + 1));
}

bool EditTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    // Cell texts are kept as typed (but for tabs and line ends, see FieldText).
    m_table.setCell(index.row() + 1, index.column() + 1, FieldText(value.toString().toStdString()));
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags EditTableModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant EditTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_headers.size() ? m_headers[section] : QVariant();
}

EditGrid::EditGrid(EditTable& table, const QStringList& headers, const std::vector<int>& widths,
                   QWidget* parent)
    : QTableView(parent), m_table(table), m_model(table, headers.mid(1)) {
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);

    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 2;
    if (!widths.empty())
        verticalHeader()->setFixedWidth(widths[0] * charWidth + padding);
    for (std::size_t i = 1; i < widths.size(); ++i)
        setColumnWidth(static_cast<int>(i) - 1, widths[i] * charWidth + padding);

    // The corner above the row numbers is the row-number column's header "No".
    setCornerButtonEnabled(false);
    if (auto* corner = findChild<QAbstractButton*>()) {
        corner->setText(headers.value(0));
        corner->installEventFilter(this);
    }

    m_mnuEdit = new QMenu(QStringLiteral("編集(&E)"), this);
    m_mnuEdit->setObjectName("mnuEdit");
    auto item = [this](const char* name, const QString& caption, void (EditGrid::*slot)(),
                       QKeySequence::StandardKey key) {
        QAction* action = m_mnuEdit->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot);
        if (key != QKeySequence::UnknownKey) {
            // The usual keys work on the grid too (a cell being edited keeps its own).
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
            addAction(action);
        }
    };
    item("mnuEditCut", QStringLiteral("切り取り(&T)"), &EditGrid::Cut, QKeySequence::Cut);
    item("mnuEditCopy", QStringLiteral("コピー(&C)"), &EditGrid::Copy, QKeySequence::Copy);
    item("mnuEditPaste", QStringLiteral("貼り付け(&P)"), &EditGrid::Paste, QKeySequence::Paste);
    m_mnuEdit->addSeparator();
    item("mnuEditInsert", QStringLiteral("行追加(&I)"), &EditGrid::InsertRow,
         QKeySequence::UnknownKey);
    item("mnuEditDelete", QStringLiteral("行削除(&D)"), &EditGrid::DeleteRows,
         QKeySequence::UnknownKey);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_mnuEdit->exec(viewport()->mapToGlobal(at)); });
}

bool EditGrid::eventFilter(QObject* watched, QEvent* event) {
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner != nullptr && event->type() == QEvent::Paint) {
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.text = corner->text();
        option.textAlignment = Qt::AlignCenter;
        option.position = QStyleOptionHeader::OnlyOneSection;
        QStylePainter painter(corner);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void EditGrid::reload() {
    // An editor still open belongs to the table that was shown: the reset drops it unstored.
    m_model.reload();
}

void EditGrid::commitEdit() {
    QWidget* editor =
        state() == QAbstractItemView::EditingState ? indexWidget(currentIndex()) : nullptr;
    if (editor != nullptr) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

std::vector<CellBlock> EditGrid::selectedBlocks() const {
    std::vector<CellBlock> blocks;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (range.isValid() && !range.isEmpty()) {
            blocks.push_back(CellBlock{range.left() + 1, range.top() + 1, range.right() + 1,
                                       range.bottom() + 1});
        }
    }
    return blocks;
}

int EditGrid::activeRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int EditGrid::activeCol() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() + 1 : 0;
}

void EditGrid::selectBlock(const CellBlock& block) {
    const QItemSelection selection(m_model.index(block.row1 - 1, block.col1 - 1),
                                   m_model.index(block.row2 - 1, block.col2 - 1));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void EditGrid::restoreActive(int row, int col) {
    row = std::min(row, m_table.rows());
    if (row < 1)
        return;
    selectionModel()->setCurrentIndex(m_model.index(row - 1, std::max(col, 1) - 1),
                                      QItemSelectionModel::NoUpdate);
}

CellBlock EditGrid::currentRange() const {
    std::vector<CellBlock> blocks = selectedBlocks();
    if (!blocks.empty())
        return blocks.back();
    return CellBlock{activeCol(), activeRow(), activeCol(), activeRow()};
}

void EditGrid::InsertRow() {
    commitEdit();
    const int row = activeRow();
    const int col = activeCol();
    m_table.InsertRow(row);
    reload();
    restoreActive(row, col);
}

void EditGrid::DeleteRows() {
    commitEdit();
    const int row = activeRow();
    const int col = activeCol();
    if (m_table.DeleteRows(selectedBlocks(), row) == 0)
        return;
    reload();
    restoreActive(row, col);
}

void EditGrid::afterMove(const std::optional<CellBlock>& moved) {
    if (!moved)
        return;
    const int col = activeCol();
    reload();
    restoreActive(moved->row1, col);
    selectBlock(*moved);
    setFocus();
    // Painted at once.
    QCoreApplication::processEvents();
}

void EditGrid::MoveUp() {
    commitEdit();
    afterMove(m_table.MoveUp(selectedBlocks(), activeRow()));
}

void EditGrid::MoveDown() {
    commitEdit();
    afterMove(m_table.MoveDown(selectedBlocks(), activeRow()));
}

void EditGrid::Copy() {
    commitEdit();
    QGuiApplication::clipboard()->setText(QString::fromStdString(m_table.CopyText(currentRange())));
}

void EditGrid::Cut() {
    commitEdit();
    const CellBlock range = currentRange();
    const int row = activeRow();
    const int col = activeCol();
    QGuiApplication::clipboard()->setText(QString::fromStdString(m_table.Cut(range)));
    reload();
    restoreActive(row, col);
    if (m_table.Clip(range))
        selectBlock(*m_table.Clip(range));
}

void EditGrid::Paste() {
    commitEdit();
    const std::string text = QGuiApplication::clipboard()->text().toStdString();
    const int row = activeRow();
    const int col = activeCol();
    std::vector<CellBlock> blocks = selectedBlocks();
    // A one-value fill changes many cells: the view is repainted once, at the end.
    setUpdatesEnabled(false);
    std::optional<CellBlock> written = m_table.Paste(text, blocks, row, col);
    reload();
    restoreActive(row, col);
    if (written && EditTable::IsSingleValue(text) && blocks.size() > 1) {
        for (const CellBlock& block : blocks) {
            if (std::optional<CellBlock> clipped = m_table.Clip(block))
                selectionModel()->select(
                    QItemSelection(m_model.index(clipped->row1 - 1, clipped->col1 - 1),
                                   m_model.index(clipped->row2 - 1, clipped->col2 - 1)),
                    QItemSelectionModel::Select);
        }
    } else if (written) {
        selectBlock(*written);
    }
    setUpdatesEnabled(true);
}

int TwipsPerPixel(const QWidget& widget) {
    return std::max(1, 1440 / std::max(1, widget.logicalDpiX()));
}

}  // namespace kablos
