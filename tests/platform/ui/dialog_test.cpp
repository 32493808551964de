// Dialogs driven by control id through the host's answers.

#include "ui/Dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/host/HostSession.h"
#include "support/FileSupport.h"

namespace {

using hosttest::HostSession;
using ui::ControlKind;

// A dialog in the manner of the plug-in's: a target list, a check box, a radio group, a grid
// with a locked column and combo cells, and a button with a handler.
class TargetDialog : public ui::Dialog {
public:
    TargetDialog() : Dialog(245, "Select") {}
    int chosen = -1;
    bool notBlockage = false;
    int resets = 0;
    std::vector<std::string> cellChanges;

protected:
    bool OnInitDialog() override {
        auto& list = AddControl(205, ControlKind::ComboBox);
        list.items = {"All Terminals", "Select the area"};
        list.selection = 0;
        AddControl(234, ControlKind::CheckBox, "Not Blockage");
        AddControl(261, ControlKind::RadioButton, "T").group = 1;
        AddControl(262, ControlKind::RadioButton, "B").group = 1;
        auto& grid = AddControl(217, ControlKind::Grid);
        grid.rows = 2;
        grid.columns = 3;
        grid.cells[{0, 2}] = "Panel";
        grid.cells[{1, 2}] = "1,2";
        grid.lockedColumns = {false, true, false};
        grid.cellItems[{1, 3}] = {"上から", "下から"};
        AddControl(225, ControlKind::Button, "Reset");
        AddControl(1, ControlKind::Button, "OK");
        AddControl(2, ControlKind::Button, "Cancel");
        return true;
    }
    void OnOK() override {
        chosen = GetDlgItem(205)->selection;
        notBlockage = GetDlgItem(234)->checked;
        EndDialog(ui::kIdOk);
    }
    void OnCommand(int id) override {
        if (id == 225)
            ++resets;
    }
    void OnCellChanged(int id, int row, int column) override {
        cellChanges.push_back(std::to_string(id) + ":" + std::to_string(row) + "," +
                              std::to_string(column) + "=" + GetDlgItem(id)->Cell(row, column));
    }
};

TEST(Dialog, ActionsByControlIdReachTheHandlers) {
    HostSession session({"select 205 1", "check 234 1", "click 262", "click 225",
                         "cell 217 1 3 下から", "click 1"});
    TargetDialog dialog;
    EXPECT_EQ(dialog.DoModal(), ui::kIdOk);
    EXPECT_EQ(dialog.chosen, 1);
    EXPECT_TRUE(dialog.notBlockage);
    EXPECT_EQ(dialog.resets, 1);
    EXPECT_TRUE(dialog.GetDlgItem(262)->checked);
    EXPECT_FALSE(dialog.GetDlgItem(261)->checked);
    EXPECT_EQ(dialog.cellChanges, std::vector<std::string>{"217:1,3=下から"});
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("\n*** dialog 245 \"Select\" ***\n[205] combo *0:All Terminals "
                           "1:Select the area\n"),
              std::string::npos)
        << console;
    EXPECT_NE(console.find("  1: |  | # 1,2 | \n"), std::string::npos) << console;
    EXPECT_NE(console.find("  locked: column 2\n  selection: none\n"), std::string::npos);
    EXPECT_NE(console.find("action: click 1\n*** dialog 245 closed: OK ***\n"), std::string::npos)
        << console;
}

TEST(Dialog, ActionsThatCannotBeAppliedAreSaidAndTheDialogGoesOn) {
    HostSession session({"click 999", "cell 217 1 2 x", "cell 217 1 3 右から", "cell 217 3 1 x",
                         "select 205 5", "check 205 1", "frobnicate 205", "CANCEL"});
    TargetDialog dialog;
    EXPECT_EQ(dialog.DoModal(), ui::kIdCancel);
    const std::string console = session.TakeConsole();
    for (const char* error :
         {"(the dialog has no control 999)", "(the column 2 of the grid 217 is locked)",
          "(\"右から\" is not in the list of the cell)", "(the grid 217 has no cell 3,1)",
          "(\"select 205\" takes a list and an item index)",
          "(\"check 205\" takes a check box and 0 or 1)", "(unknown dialog action \"FROBNICATE\")"})
        EXPECT_NE(console.find(error), std::string::npos) << error;
    EXPECT_TRUE(dialog.cellChanges.empty());
    EXPECT_EQ(dialog.chosen, -1);
}

TEST(Dialog, WithoutActionsTheDialogIsCancelled) {
    HostSession session;
    TargetDialog dialog;
    EXPECT_EQ(dialog.DoModal(), ui::kIdCancel);
    EXPECT_EQ(dialog.chosen, -1);
}

// The dialog memory's text: four whole numbers, sizes from 1; anything else is no placement.
TEST(DialogMemory, PlacementText) {
    EXPECT_EQ(ui::WindowPlacement({10, -20, 700, 600}).Text(), "10,-20,700,600");
    const struct {
        const char* text;
        bool valid;
    } cases[] = {{"10,-20,700,600", true}, {" 1, 2, 3, 4", true},
                 {"0,0,0,600", false},     {"0,0,700,-1", false},
                 {"1,2,3", false},         {"1,2,3,4,5", false},
                 {"1e400,0,1,1", false},   {"a,b,c,d", false},
                 {"0,0,200000,1", false},  {"", false}};
    for (const auto& c : cases)
        EXPECT_EQ(ui::WindowPlacement::FromText(c.text).has_value(), c.valid) << c.text;
}

// A named dialog stores a new placement when it closes, opens at it the next time (OnSize
// hears it), writes nothing when it was not moved, and ignores a stored value that is no
// placement.
class MovableDialog : public ui::Dialog {
public:
    MovableDialog() : Dialog(210, "Movable") { SetDialogName("TEST_CMovableDlg"); }
    std::vector<std::string> sizes;

protected:
    bool OnInitDialog() override {
        AddControl(1, ControlKind::Button, "OK");
        SetPlacement({0, 0, 400, 300});
        return true;
    }
    void OnSize(const ui::WindowPlacement& previous) override {
        sizes.push_back(previous.Text() + ">" + Placement().Text());
    }
};

TEST(DialogMemory, NamedDialogKeepsItsPlacement) {
    testsupport::TempDir dir;
    const std::filesystem::path data = dir.path() / "DialogData.ini";
    ::setenv("CADHOST_DIALOG_DATA", data.c_str(), 1);
    {
        HostSession session({"CANCEL"});
        MovableDialog dialog;
        dialog.DoModal();
        EXPECT_FALSE(std::filesystem::exists(data));
        EXPECT_EQ(session.TakeConsole().find("window:"), std::string::npos);
    }
    {
        HostSession session({"move 5 6 500 350", "OK"});
        MovableDialog dialog;
        EXPECT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.sizes, std::vector<std::string>{"0,0,400,300>5,6,500,350"});
        EXPECT_EQ(testsupport::ReadBytes(data), "[TEST_CMovableDlg]\nWindowRect=5,6,500,350\n");
    }
    {
        HostSession session({"CANCEL"});
        MovableDialog dialog;
        dialog.DoModal();
        EXPECT_EQ(dialog.sizes, std::vector<std::string>{"0,0,400,300>5,6,500,350"});
        EXPECT_NE(
            session.TakeConsole().find("*** dialog 210 \"Movable\" ***\nwindow: 5,6 500x350\n"),
            std::string::npos);
    }
    testsupport::WriteBytes(data, "[TEST_CMovableDlg]\nWindowRect=5,6,0,0\n");
    {
        HostSession session({"CANCEL"});
        MovableDialog dialog;
        dialog.DoModal();
        EXPECT_TRUE(dialog.sizes.empty());
        EXPECT_EQ(dialog.Placement(), ui::WindowPlacement({0, 0, 400, 300}));
    }
    ::unsetenv("CADHOST_DIALOG_DATA");
}

}  // namespace
