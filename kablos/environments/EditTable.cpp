#include "EditTable.h"

#include <algorithm>

#include "common/text.h"

namespace kablos {
namespace {

const std::string kEmpty;

}  // namespace

std::string FieldText(std::string_view text) {
    std::string field(text);
    std::replace_if(
        field.begin(), field.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; },
        ' ');
    return field;
}

const std::string& EditTable::cell(int row, int col) const {
    if (row < 1 || row > rows() || col < 1 || col > m_columns)
        return kEmpty;
    return m_cells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(col - 1)];
}

void EditTable::setCell(int row, int col, std::string text) {
    if (row < 1 || row > rows() || col < 1 || col > m_columns)
        return;
    m_cells[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(col - 1)] = std::move(text);
}

void EditTable::appendRow(std::vector<std::string> cells) {
    cells.resize(static_cast<std::size_t>(m_columns));
    m_cells.push_back(std::move(cells));
}

int EditTable::InsertRow(int activeRow) {
    const int at = std::clamp(activeRow, 0, rows());
    m_cells.insert(m_cells.begin() + at,
                   std::vector<std::string>(static_cast<std::size_t>(m_columns)));
    return at + 1;
}

int EditTable::DeleteRows(const std::vector<CellBlock>& blocks, int activeRow) {
    std::vector<bool> marked(m_cells.size(), false);
    if (blocks.empty()) {
        if (activeRow >= 1 && activeRow <= rows())
            marked[static_cast<std::size_t>(activeRow - 1)] = true;
    }
    for (const CellBlock& block : blocks) {
        for (int r = std::max(1, block.row1); r <= std::min(rows(), block.row2); ++r)
            marked[static_cast<std::size_t>(r - 1)] = true;
    }
    int deleted = 0;
    for (int r = rows(); r >= 1; --r) {
        if (marked[static_cast<std::size_t>(r - 1)]) {
            m_cells.erase(m_cells.begin() + (r - 1));
            ++deleted;
        }
    }
    return deleted;
}

std::optional<CellBlock> EditTable::MoveBlock(const std::vector<CellBlock>& blocks,
                                              int activeRow) const {
    if (!blocks.empty()) {
        const CellBlock& last = blocks.back();
        return CellBlock{1, last.row1, m_columns, std::min(last.row2, rows())};
    }
    if (activeRow < 1)
        return std::nullopt;
    return CellBlock{1, activeRow, m_columns, activeRow};
}

void EditTable::SwapRows(int a, int b) {
    std::swap(m_cells[static_cast<std::size_t>(a - 1)], m_cells[static_cast<std::size_t>(b - 1)]);
}

std::optional<CellBlock> EditTable::MoveUp(const std::vector<CellBlock>& blocks, int activeRow) {
    std::optional<CellBlock> block = MoveBlock(blocks, activeRow);
    if (!block || block->row1 < 2 || block->row1 > rows())
        return std::nullopt;
    for (int r = block->row1; r <= block->row2; ++r)
        SwapRows(r, r - 1);
    return CellBlock{1, block->row1 - 1, m_columns, block->row2 - 1};
}

std::optional<CellBlock> EditTable::MoveDown(const std::vector<CellBlock>& blocks, int activeRow) {
    std::optional<CellBlock> block = MoveBlock(blocks, activeRow);
    if (!block || block->row1 < 1 || block->row2 >= rows())
        return std::nullopt;
    for (int r = block->row2; r >= block->row1; --r)
        SwapRows(r, r + 1);
    return CellBlock{1, block->row1 + 1, m_columns, block->row2 + 1};
}

std::optional<CellBlock> EditTable::Clip(const CellBlock& block) const {
    CellBlock clipped{std::max(1, block.col1), std::max(1, block.row1),
                      std::min(m_columns, block.col2), std::min(rows(), block.row2)};
    if (clipped.col1 > clipped.col2 || clipped.row1 > clipped.row2)
        return std::nullopt;
    return clipped;
}

std::string EditTable::CopyText(const CellBlock& range) const {
    std::string text;
    std::optional<CellBlock> block = Clip(range);
    if (!block)
        return text;
    for (int r = block->row1; r <= block->row2; ++r) {
        if (r > block->row1)
            text += common::kLineEnd;
        for (int c = block->col1; c <= block->col2; ++c) {
            if (c > block->col1)
                text += '\t';
            text += cell(r, c);
        }
    }
    return text;
}

std::string EditTable::Cut(const CellBlock& range) {
    std::string text = CopyText(range);
    if (std::optional<CellBlock> block = Clip(range)) {
        for (int r = block->row1; r <= block->row2; ++r) {
            for (int c = block->col1; c <= block->col2; ++c)
                setCell(r, c, {});
        }
    }
    return text;
}

bool EditTable::IsSingleValue(std::string_view text) {
    // A lone CR counts as a line end too, so that no cell ever holds one.
    return !text.empty() && text.find_first_of("\t\n\r") == std::string_view::npos;
}

std::optional<CellBlock> EditTable::Paste(std::string_view text,
                                          const std::vector<CellBlock>& blocks, int activeRow,
                                          int activeCol) {
    if (IsSingleValue(text) && !blocks.empty()) {
        std::optional<CellBlock> written;
        for (const CellBlock& selected : blocks) {
            std::optional<CellBlock> block = Clip(selected);
            if (!block)
                continue;
            for (int r = block->row1; r <= block->row2; ++r) {
                for (int c = block->col1; c <= block->col2; ++c)
                    setCell(r, c, std::string(text));
            }
            written = *block;
        }
        return written;
    }
    if (text.empty())
        return std::nullopt;

    const int top = blocks.empty() ? activeRow : blocks.back().row1;
    const int left = blocks.empty() ? activeCol : blocks.back().col1;
    if (top < 1 || top > rows() || left < 1 || left > m_columns)
        return std::nullopt;
    CellBlock written{left, top, left, top};
    int r = top;
    for (std::string_view line : common::SplitLines(text)) {
        if (r > rows())
            break;
        int c = left;
        for (std::string_view value : common::Split(line, '\t')) {
            if (c > m_columns)
                break;
            setCell(r, c, std::string(value));
            written.col2 = std::max(written.col2, c);
            ++c;
        }
        written.row2 = r;
        ++r;
    }
    return written;
}

}  // namespace kablos
