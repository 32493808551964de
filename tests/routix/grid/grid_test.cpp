// The spreadsheet wrapper over the grid control, driven by the actions a user gives (the
// console's and the scripts' "cell", "block", "addblock", "columns", "addcolumns", "active").

#include <gtest/gtest.h>

#include <cstdlib>

#include "grid/SpreadSheet.h"
#include "platform/host/HostSession.h"

namespace {

using hosttest::HostSession;
using routix::CSpreadSheet;
using routix::TSpread;
using ui::CellBlock;
using ui::ControlKind;

// A dialog in the manner of the direction dialogs: a placeholder 217 between two buttons that
// the spreadsheet replaces, three columns (the first two locked), combo and check-box cells.
class GridDialog : public ui::Dialog {
public:
    GridDialog() : Dialog(137, "Grid") {}
    CSpreadSheet sheet;
    std::vector<std::string> changes;
    int selections = 0;
    bool multi = false;

protected:
    bool OnInitDialog() override {
        AddControl(225, ControlKind::Button, "Reset");
        ui::Control& placeholder = AddControl(217, ControlKind::Static);
        placeholder.width = 300;
        placeholder.height = 120;
        AddControl(1, ControlKind::Button, "OK");
        if (!sheet.Create(*this, 217))
            return false;
        sheet.SetMaxCols(3);
        sheet.SetMaxRows(3);
        sheet.SetData(1, 0, "Terminal");
        sheet.SetData(2, 0, "Mark");
        sheet.SetData(3, 0, "Wire");
        for (int row = 1; row <= 3; ++row)
            sheet.SetData(1, row, std::to_string(row));
        sheet.SetTypeCheckBox(2, -1);
        sheet.SetCol(3);
        sheet.SetColumnComboBox("上から\t下から\t左から");
        sheet.SetLockRange(1, -1, 2, -1, true);
        sheet.SetBool(TSpread::kOptionMultiSelBlocks, multi);
        return true;
    }
    void OnCellChanged(int id, int row, int column) override {
        changes.push_back(std::to_string(id) + ":" + std::to_string(row) + "," +
                          std::to_string(column) + "=" + GetDlgItem(id)->Cell(row, column));
    }
    void OnGridSelection(int) override { ++selections; }
};

TEST(SpreadSheet, ReplacesThePlaceholderInItsPlaceAndSize) {
    HostSession session({"OK"});
    GridDialog dialog;
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    const auto& controls = dialog.Controls();
    ASSERT_EQ(controls.size(), 3u);
    EXPECT_EQ(controls[1].id, 217);
    EXPECT_EQ(controls[1].kind, ControlKind::Grid);
    EXPECT_EQ(dialog.sheet.GetClientRect().Width(), 300);
    EXPECT_TRUE(dialog.sheet.GetBool(TSpread::kOptionDialogFont));
    // No placeholder, no grid.
    CSpreadSheet other;
    EXPECT_FALSE(other.Create(dialog, 999));
    EXPECT_FALSE(other.IsValid());
}

TEST(SpreadSheet, LockedColumnsNeverChangeAndCellsFollowTheirType) {
    HostSession session(
        {"cell 217 1 1 9", "cell 217 2 2 1", "cell 217 2 3 右から", "cell 217 2 3 下から", "OK"});
    GridDialog dialog;
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("(the column 1 of the grid 217 is locked)"), std::string::npos);
    EXPECT_NE(console.find("(the column 2 of the grid 217 is locked)"), std::string::npos);
    EXPECT_NE(console.find("(\"右から\" is not in the list of the cell)"), std::string::npos);
    EXPECT_EQ(dialog.changes, std::vector<std::string>{"217:2,3=下から"});
    CSpreadSheet& s = dialog.sheet;
    EXPECT_EQ(s.GetData(1, 1), "1");
    EXPECT_TRUE(s.GetLock(1, 3));
    EXPECT_FALSE(s.GetLock(3, 3));
    EXPECT_EQ(s.ComboGetCurSel(3, 2), 1);
    EXPECT_EQ(s.ComboGetCurSel(3, 1), -1);
    EXPECT_EQ(s.GetComboList(3, 1), "上から\t下から\t左から");
    EXPECT_TRUE(s.ComboSetCurSel(3, 1, 2));
    EXPECT_EQ(s.GetData(3, 1), "左から");
    EXPECT_FALSE(s.ComboSetCurSel(3, 1, 3));
    // Check boxes hold 0 or 1, whatever they are given.
    EXPECT_EQ(s.GetCellType(2, 3), ui::CellType::CheckBox);
    EXPECT_EQ(s.GetValue(2, 3), "0");
    EXPECT_TRUE(s.SetValueRange(2, 1, 2, 2, "yes"));
    EXPECT_EQ(s.GetValue(2, 1), "1");
    EXPECT_EQ(s.GetValue(2, 3), "0");
    // Unlocked, the column takes a check box's value again, and single cells lock.
    s.SetLockRange(2, -1, 2, -1, false);
    s.SetLockRange(3, 1, 3, 1, true);
    std::string error;
    EXPECT_FALSE(dialog.Apply("cell 217 3 2 maybe", &error));
    EXPECT_EQ(error, "the cell 3,2 is a check box: 0 or 1");
    EXPECT_TRUE(dialog.Apply("cell 217 3 2 1", &error)) << error;
    EXPECT_FALSE(dialog.Apply("cell 217 1 3 上から", &error));
    EXPECT_EQ(error, "the cell 1,3 of the grid 217 is locked");
    // Fewer rows drop what lay below.
    s.SetMaxRows(1);
    EXPECT_EQ(s.GetData(1, 3), "");
    EXPECT_EQ(s.GetMaxRows(), 1);
}

// One block at a time unless several are allowed; whole columns are rows -1; the console
// marks the active cell (">"), the selected cells ("*") and the locked ones ("#").
TEST(SpreadSheet, SelectionBlocksWholeColumnsAndTheActiveCell) {
    HostSession session(
        {"block 217 1 1 2 2", "addblock 217 3 3 3 3", "columns 217 3 2", "active 217 2 3", "OK"});
    GridDialog dialog;
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("(the grid 217 takes one block at a time (several blocks are not "
                           "allowed))"),
              std::string::npos);
    EXPECT_NE(console.find("  selection: R1C1:R2C2; active cell R1C1\n"), std::string::npos)
        << console;
    EXPECT_NE(console.find("  selection: columns 2-3; active cell R1C3\n"), std::string::npos);
    EXPECT_NE(console.find("  1: | # 1 | *# [ ] | >* \n"), std::string::npos) << console;
    EXPECT_EQ(dialog.selections, 3);
    CSpreadSheet& s = dialog.sheet;
    CellBlock block;
    ASSERT_TRUE(s.GetSelectBlock(block));
    EXPECT_EQ(block, (CellBlock{3, 2, 3, 2}));
    int column = 0, row = 0;
    ASSERT_TRUE(s.GetActiveCell(column, row));
    EXPECT_EQ(std::pair(column, row), std::pair(3, 2));
    EXPECT_FALSE(s.SetSelectBlock({1, 1, 1, 1}, true));
    EXPECT_FALSE(s.SetSelectBlock({1, 1, 4, 1}));
}

TEST(SpreadSheet, SeveralBlocksWhenTheOptionIsOn) {
    HostSession session({"block 217 1 1 1 2", "addcolumns 217 3 3", "addblock 217 2 3 1 3", "OK"});
    GridDialog dialog;
    dialog.multi = true;
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    CSpreadSheet& s = dialog.sheet;
    EXPECT_TRUE(s.GetBool(TSpread::kOptionMultiSelBlocks));
    const std::vector<CellBlock> expected = {{1, 1, 1, 2}, {3, -1, 3, -1}, {2, 3, 1, 3}};
    EXPECT_EQ(s.GetMultiSelBlocks(), expected);
    EXPECT_TRUE(expected[1].WholeColumns());
    EXPECT_TRUE(expected[1].Contains(3, 3));
    EXPECT_TRUE(expected[2].Contains(3, 1));  // written right to left
    EXPECT_NE(session.TakeConsole().find(
                  "  selection: R1C1:R2C1, column 3, R3C1:R3C2; active cell R3C2 (several "
                  "blocks)\n"),
              std::string::npos);
    // Turned off, only the current block stays.
    s.SetBool(TSpread::kOptionMultiSelBlocks, false);
    EXPECT_EQ(s.GetMultiSelBlocks(), (std::vector<CellBlock>{{2, 3, 1, 3}}));
}

TEST(SpreadSheet, ActionsOutsideTheGridAreRefused) {
    HostSession session;
    GridDialog dialog;
    dialog.DoModal();  // no actions: cancelled, the grid stays
    struct Case {
        const char* action;
        const char* error;
    } const cases[] = {
        {"block 217 1 1 4 1", "the grid 217 has no block 1,1 to 4,1 (column, row)"},
        {"block 217 1 0 1 1", "the grid 217 has no block 1,0 to 1,1 (column, row)"},
        {"columns 217 0 1", "the grid 217 has no column 0"},
        {"active 217 4 1", "the grid 217 has no cell 4,1"},
        {"block 217 1 1", "\"block 217\" takes a column, a row, a column and a row"},
        {"columns 217 1 x", "\"x\" is not a row or column number"},
        {"block 225 1 1 1 1", "the control 225 is no grid"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(dialog.Apply(c.action, &error)) << c.action;
        EXPECT_EQ(error, c.error);
    }
}

// At 96 pixels per inch the nominal widths stand; above, the client width is shared out in
// their ratio, in twips, and the unit stays as it was.
TEST(SpreadSheet, WidthsScaleAbove96PixelsPerInch) {
    HostSession session;
    GridDialog dialog;
    dialog.DoModal();
    CSpreadSheet& s = dialog.sheet;
    const double nominal[] = {10, 5, 5};
    unsetenv("CADHOST_DPI");
    s.ScaleColumnWidths(nominal);
    EXPECT_DOUBLE_EQ(s.GetColWidth(1), 10);
    EXPECT_DOUBLE_EQ(s.GetColWidth(2), 5);
    setenv("CADHOST_DPI", "144", 1);
    EXPECT_EQ(s.GetClientRect().Width(), 450);
    // Client 450 pixels less a tenth of the row header (4 characters = 420 twips = 42 pixels
    // at 144): 445.8 pixels, 4458 twips, shared 2:1:1.
    s.ScaleColumnWidths(nominal, 0.1);
    EXPECT_EQ(s.GetUnitType(), TSpread::kUnitNormal);
    s.SetUnitType(TSpread::kUnitTwips);
    EXPECT_NEAR(s.GetColWidth(1), 2229, 1e-9);
    EXPECT_NEAR(s.GetColWidth(3), 1114.5, 1e-9);
    EXPECT_NEAR(s.GetRowHeight(1), 20 * 1440.0 / 144, 1e-9);
    s.SetUnitType(TSpread::kUnitNormal);
    EXPECT_NEAR(s.GetColWidth(1), 2229 / 105.0, 1e-9);
    unsetenv("CADHOST_DPI");
}

}  // namespace
