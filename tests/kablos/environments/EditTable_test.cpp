// The editing operations of the strip and cutter grids, on the table alone.

#include "EditTable.h"

#include <gtest/gtest.h>

namespace kablos {
namespace {

// A table whose cell (r, c) reads like "b3" for row "b", column 3, so moved rows show whole.
EditTable Lettered(std::string_view letters, int columns = 5) {
    EditTable table(columns);
    for (char letter : letters) {
        std::vector<std::string> cells;
        for (int c = 1; c <= columns; ++c)
            cells.push_back(std::string(1, letter) + std::to_string(c));
        table.appendRow(std::move(cells));
    }
    return table;
}

// The rows in order, each by its first cell ("" for an empty row).
std::string Order(const EditTable& table) {
    std::string order;
    for (int r = 1; r <= table.rows(); ++r)
        order += table.cell(r, 1).empty() ? std::string("_") : table.cell(r, 1).substr(0, 1);
    return order;
}

TEST(EditTable, InsertPutsAnEmptyRowBelowTheActiveRow) {
    EditTable table = Lettered("abc");
    EXPECT_EQ(table.InsertRow(2), 3);
    EXPECT_EQ(Order(table), "ab_c");
    EXPECT_EQ(table.InsertRow(4), 5);  // below the last row
    EXPECT_EQ(Order(table), "ab_c_");

    EditTable empty(6);
    EXPECT_EQ(empty.InsertRow(0), 1);  // no active row in an empty table
    EXPECT_EQ(empty.rows(), 1);
    EXPECT_EQ(empty.row(1), std::vector<std::string>(6));
}

TEST(EditTable, DeleteRemovesTheRowsOfEveryBlockOrTheActiveRow) {
    struct Case {
        const char* name;
        std::vector<CellBlock> blocks;
        int active;
        const char* left;
    };
    const Case cases[] = {
        {"two separate blocks", {{1, 1, 3, 2}, {2, 4, 2, 4}}, 3, "ce"},
        {"overlapping blocks count once", {{1, 2, 1, 3}, {4, 3, 5, 4}}, 1, "ae"},
        {"a block beyond the last row", {{1, 4, 5, 9}}, 1, "abc"},
        {"no block: the active row", {}, 3, "abde"},
        {"no block and no active row", {}, 0, "abcde"},
    };
    for (const Case& c : cases) {
        EditTable table = Lettered("abcde");
        table.DeleteRows(c.blocks, c.active);
        EXPECT_EQ(Order(table), c.left) << c.name;
    }
}

TEST(EditTable, MovesCarryWholeRowsAndSayWhatToSelect) {
    struct Case {
        const char* name;
        bool up;
        std::vector<CellBlock> blocks;
        int active;
        const char* order;
        std::optional<CellBlock> selected;
    };
    const Case cases[] = {
        {"up with the first row in the block", true, {{2, 1, 3, 2}}, 1, "abcde", std::nullopt},
        {"up, two rows", true, {{2, 2, 2, 3}}, 1, "bcade", CellBlock{1, 1, 5, 2}},
        {"up, the active row", true, {}, 3, "acbde", CellBlock{1, 2, 5, 2}},
        {"up without an active row", true, {}, 0, "abcde", std::nullopt},
        {"down with the last row in the block", false, {{1, 4, 5, 5}}, 1, "abcde", std::nullopt},
        {"down, two rows", false, {{3, 1, 3, 2}}, 5, "cabde", CellBlock{1, 2, 5, 3}},
        {"down, the last of several blocks",
         false,
         {{1, 1, 1, 1}, {2, 3, 2, 4}},
         1,
         "abecd",
         CellBlock{1, 4, 5, 5}},
        {"up, the last of several blocks",
         true,
         {{1, 4, 1, 5}, {2, 1, 2, 1}},
         1,
         "abcde",
         std::nullopt},
    };
    for (const Case& c : cases) {
        EditTable table = Lettered("abcde");
        std::optional<CellBlock> selected =
            c.up ? table.MoveUp(c.blocks, c.active) : table.MoveDown(c.blocks, c.active);
        EXPECT_EQ(Order(table), c.order) << c.name;
        EXPECT_EQ(selected, c.selected) << c.name;
    }

    // Every data column travels, the last one (half-strip length, Y back) included.
    EditTable cutter = Lettered("ab", 6);
    ASSERT_TRUE(cutter.MoveDown({}, 1));
    EXPECT_EQ(cutter.row(2), (std::vector<std::string>{"a1", "a2", "a3", "a4", "a5", "a6"}));
    EXPECT_EQ(cutter.row(1), (std::vector<std::string>{"b1", "b2", "b3", "b4", "b5", "b6"}));
}

TEST(EditTable, CutAndCopyGiveTabSeparatedLines) {
    EditTable table = Lettered("abc");
    EXPECT_EQ(table.CopyText({2, 2, 3, 3}), "b2\tb3\r\nc2\tc3");
    EXPECT_EQ(table.Cut({2, 2, 3, 3}), "b2\tb3\r\nc2\tc3");
    EXPECT_EQ(table.row(2), (std::vector<std::string>{"b1", "", "", "b4", "b5"}));
    EXPECT_EQ(table.rows(), 3);  // cutting empties cells, it removes no row
}

TEST(EditTable, PasteFillsABlockWithOneValueOrPastesCells) {
    {
        SCOPED_TRACE("one value into a block of 2 rows by 3 columns");
        EditTable table = Lettered("abc");
        EXPECT_EQ(table.Paste("3.5", {{2, 1, 4, 2}}, 1, 1), (CellBlock{2, 1, 4, 2}));
        EXPECT_EQ(table.row(1), (std::vector<std::string>{"a1", "3.5", "3.5", "3.5", "a5"}));
        EXPECT_EQ(table.row(2), (std::vector<std::string>{"b1", "3.5", "3.5", "3.5", "b5"}));
        EXPECT_EQ(table.row(3), Lettered("c").row(1));
    }
    {
        SCOPED_TRACE("one value into two blocks, rows limited to the table");
        EditTable table = Lettered("abc");
        table.Paste("x", {{1, 1, 1, 1}, {5, 3, 5, 8}}, 1, 1);
        EXPECT_EQ(table.cell(1, 1), "x");
        EXPECT_EQ(table.cell(3, 5), "x");
        EXPECT_EQ(table.rows(), 3);
    }
    {
        SCOPED_TRACE("two values separated by a tab: two cells from the block's corner");
        EditTable table = Lettered("abc");
        EXPECT_EQ(table.Paste("p\tq", {{2, 2, 4, 3}}, 1, 1), (CellBlock{2, 2, 3, 2}));
        EXPECT_EQ(table.row(2), (std::vector<std::string>{"b1", "p", "q", "b4", "b5"}));
        EXPECT_EQ(table.row(3), Lettered("c").row(1));
    }
    {
        SCOPED_TRACE("lines at the active cell, cut off at the table's edges");
        EditTable table = Lettered("abc");
        EXPECT_EQ(table.Paste("1\t2\t3\n4\t5\t6\n7\n8\n", {}, 2, 4), (CellBlock{4, 2, 5, 3}));
        EXPECT_EQ(table.row(2), (std::vector<std::string>{"b1", "b2", "b3", "1", "2"}));
        EXPECT_EQ(table.row(3), (std::vector<std::string>{"c1", "c2", "c3", "4", "5"}));
        EXPECT_EQ(table.rows(), 3);
    }
    {
        SCOPED_TRACE("a value ending in a line end is a cell, not a fill");
        EditTable table = Lettered("abc");
        table.Paste("v\r", {{1, 1, 2, 2}}, 1, 1);
        EXPECT_EQ(table.cell(1, 1), "v");
        EXPECT_EQ(table.cell(1, 2), "a2");
        EXPECT_EQ(table.cell(2, 1), "b1");
    }
    {
        SCOPED_TRACE("what a copy gives pastes back");
        EditTable table = Lettered("abc");
        std::string text = table.CopyText({1, 1, 5, 2});
        ASSERT_TRUE(table.Paste(text, {}, 2, 1));
        EXPECT_EQ(table.row(2), Lettered("a").row(1));
        EXPECT_EQ(table.row(3), Lettered("b").row(1));
    }
    EditTable table = Lettered("a");
    EXPECT_FALSE(table.Paste("", {{1, 1, 1, 1}}, 1, 1));
    EXPECT_FALSE(table.Paste("x\ty", {}, 0, 0));
    EXPECT_EQ(table.row(1), Lettered("a").row(1));
}

}  // namespace
}  // namespace kablos
