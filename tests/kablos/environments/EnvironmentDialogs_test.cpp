// The environment dialogs, shown offscreen over a real settings file.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "Texts.h"
#include "UserDataPath.h"
#include "common/codepage.h"
#include "frmEnvAdd.h"
#include "frmEnvCutter.h"
#include "frmStripSeting.h"
#include "frmTerminal.h"
#include "frmZanWLen.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

template <typename T>
T* find(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void Click(const QObject& parent, const char* name) {
    if (auto* button = find<QPushButton>(parent, name))
        button->click();
}

void Trigger(const EditGrid& grid, const char* name) {
    if (auto* action = find<QAction>(*grid.editMenu(), name))
        action->trigger();
}

QModelIndex Cell(EditGrid& grid, int row, int col) {
    return grid.tableModel().index(row - 1, col - 1);
}

void Select(EditGrid& grid, CellBlock block, bool add = false) {
    grid.selectionModel()->select(
        QItemSelection(Cell(grid, block.row1, block.col1), Cell(grid, block.row2, block.col2)),
        add ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
}

// Runs `drive` on the dialog of type D once `open` has opened it modally; closes it after.
template <typename D>
void WithDialog(const std::function<void()>& open, const std::function<void(D&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<D*>(widget);
            if (dialog == nullptr || !dialog->isVisible())
                continue;
            driven = true;
            drive(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    open();
    EXPECT_TRUE(driven);
}

template <typename D>
void WithDialog(QAction* action, const std::function<void(D&)>& drive) {
    ASSERT_NE(action, nullptr);
    WithDialog<D>([action] { action->trigger(); }, drive);
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
        session = std::make_unique<Session>(messenger, UserDataPath, home.programFolder());
        ASSERT_TRUE(session->Start("", {}));
        QGuiApplication::clipboard()->clear();
    }
    std::string fileBytes() const { return ReadBytes(home.userFolder() / "KABLOS.ini"); }
    bool fileHas(const std::string& utf8) const {
        return fileBytes().find(common::ToCodePage(utf8)) != std::string::npos;
    }
    IniData& ini() { return session->ini(); }
    std::function<void(int)> ending() {
        return [this](int code) { endedWith = code; };
    }

    TempHome home;
    RecordingMessenger messenger;
    std::unique_ptr<Session> session;
    std::optional<int> endedWith;
};

TEST_F(DialogTest, TheStripEditorOpensOnTheEnvironmentInUse) {
    ini().EnvNo = 1;
    frmStripSeting dialog(*session, false, {}, ending());
    EXPECT_EQ(dialog.windowTitle(), "ストリップの設定");
    auto* combo = find<QComboBox>(dialog, "EnvNameCombo");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "標準");
    EXPECT_EQ(combo->currentIndex(), 1);
    EditGrid& grid = dialog.grid();
    EXPECT_EQ(grid.tableModel().rowCount(), 4);
    QStringList headers;
    for (int c = 0; c < grid.tableModel().columnCount(); ++c)
        headers << grid.tableModel().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    EXPECT_EQ(headers,
              (QStringList{"端末種別", "電線サイズの開始", "電線サイズの終了", "剥き", "先セミ"}));
    EXPECT_EQ(grid.tableModel().data(Cell(grid, 4, 5), Qt::DisplayRole).toString(), "4.0");
    EXPECT_EQ(find<QLineEdit>(dialog, "CutCntText")->text(), "2");
    EXPECT_TRUE(find<QCheckBox>(dialog, "WTKCheck")->isChecked());
    EXPECT_EQ(find<QCheckBox>(dialog, "WTKCheck")->text(), "ワタリ線＆特殊線を一覧に表示します。");
    QStringList menu;
    for (QAction* action : grid.editMenu()->actions())
        menu << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(menu, (QStringList{"切り取り(&T)", "コピー(&C)", "貼り付け(&P)", "-", "行追加(&I)",
                                 "行削除(&D)"}));

    // The right mouse button over the grid pops the menu up.
    bool popped = false;
    QTimer::singleShot(0, [&] {
        popped = grid.editMenu()->isVisible();
        grid.editMenu()->close();
    });
    QContextMenuEvent rightButton(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  grid.viewport()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(grid.viewport(), &rightButton);
    EXPECT_TRUE(popped);

    // OK is the default button until the box or the grid takes the focus.
    auto* ok = find<QPushButton>(dialog, "OkButton");
    EXPECT_TRUE(ok->isDefault());
    QFocusEvent focusIn(QEvent::FocusIn);
    QCoreApplication::sendEvent(combo, &focusIn);
    EXPECT_FALSE(ok->isDefault());

    // A larger window widens the grid and moves the buttons and the unit count along.
    dialog.show();
    dialog.resize(1000, 600);
    QCoreApplication::processEvents();
    const int tpp = TwipsPerPixel(dialog);
    EXPECT_EQ(ok->x(), (1000 * tpp - 1500) / tpp);
    EXPECT_EQ(find<QLineEdit>(dialog, "CutCntText")->x(), (1000 * tpp - 1000) / tpp);
    EXPECT_EQ(grid.width(), (1000 * tpp - 1600) / tpp);
    EXPECT_EQ(grid.height(), (600 * tpp - 950) / tpp);

    // Escape cancels.
    const std::string before = fileBytes();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(DialogTest, PasteFromTheClipboardAndMovesAcrossBlocksReachTheFileOnOk) {
    bool stored = false;
    frmStripSeting dialog(
        *session, false, [&] { stored = true; }, ending());
    EditGrid& grid = dialog.grid();
    auto text = [&](int row, int col) {
        return grid.tableModel().data(Cell(grid, row, col), Qt::DisplayRole).toString();
    };

    // One value fills the selected block of 2 rows by 3 columns.
    Select(grid, {2, 1, 4, 2});
    QGuiApplication::clipboard()->setText("3.5");
    Trigger(grid, "mnuEditPaste");
    for (int row : {1, 2}) {
        for (int col : {2, 3, 4})
            EXPECT_EQ(text(row, col), "3.5") << row << "," << col;
        EXPECT_EQ(text(row, 1), "R");
    }
    EXPECT_EQ(text(1, 5), "3.0");
    EXPECT_EQ(text(3, 2), "0.5");

    // Two values separated by a tab go into two cells from the block's corner.
    Select(grid, {1, 3, 4, 4});
    QGuiApplication::clipboard()->setText("X\t9");
    Trigger(grid, "mnuEditPaste");
    EXPECT_EQ(text(3, 1), "X");
    EXPECT_EQ(text(3, 2), "9");
    EXPECT_EQ(text(4, 1), "M");

    // A cell still being edited counts: the context menu leaves its editor open.
    grid.setCurrentIndex(Cell(grid, 4, 4));
    grid.edit(Cell(grid, 4, 4));
    auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(Cell(grid, 4, 4)));
    ASSERT_NE(editor, nullptr);
    editor->setText("6.5");
    Trigger(grid, "mnuEditCopy");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "6.5");
    EXPECT_EQ(text(4, 4), "6.5");

    // Copy puts the block on the clipboard as tab-separated lines.
    Select(grid, {1, 3, 2, 4});
    Trigger(grid, "mnuEditCopy");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "X\t9\r\nM\t0.5");

    // With two blocks selected the last one moves: rows 3 and 4 go down past row 5.
    Select(grid, {1, 1, 1, 1});
    Select(grid, {2, 3, 3, 4}, true);
    Click(dialog, "DownButtoun");
    EXPECT_EQ(grid.selectedBlocks(), (std::vector<CellBlock>{{1, 4, 5, 5}}));
    EXPECT_EQ(text(3, 1), "M");
    EXPECT_EQ(text(3, 4), "8.5");
    EXPECT_EQ(text(4, 1), "X");
    EXPECT_EQ(text(5, 1), "M");
    EXPECT_EQ(text(5, 5), "0");
    EXPECT_EQ(text(4, 5), "3.0");  // the half-strip length moved with its row

    Click(dialog, "OkButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(stored);
    EXPECT_TRUE(
        fileHas("//StripEnv\t標準\t1\t0\r\n"
                "R\t3.5\t3.5\t3.5\t3.0\r\n"
                "R\t3.5\t3.5\t3.5\t3.5\r\n"
                "M\t2\t2\t8.5\t0\r\n"
                "X\t9\t2\t6.0\t3.0\r\n"
                "M\t0.5\t1.25\t6.5\t0\r\n"
                "//end\r\n"));
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DialogTest, OkKeepsCompleteRowsAndCancelWritesNothing) {
    const std::string before = fileBytes();
    {
        frmStripSeting dialog(*session, false, {}, ending());
        EditGrid& grid = dialog.grid();
        grid.tableModel().setData(Cell(grid, 1, 1), "RR", Qt::EditRole);
        grid.setCurrentIndex(Cell(grid, 1, 2));
        grid.edit(Cell(grid, 1, 2));
        auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(Cell(grid, 1, 2)));
        ASSERT_NE(editor, nullptr);
        editor->setText("0.25");  // still being edited when the box turns
        // Choosing another environment stores the edits in memory at once, into the
        // environment they were made in.
        find<QComboBox>(dialog, "EnvNameCombo")->setCurrentIndex(1);
        EXPECT_EQ(ini().StripEnv[0].Rows[0].TermType, "RR");
        EXPECT_EQ(ini().StripEnv[0].Rows[0].SizeFrom, "0.25");
        EXPECT_EQ(ini().StripEnv[1].Rows[0].SizeFrom, "0.5");
        EXPECT_EQ(grid.tableModel().data(Cell(grid, 1, 2), Qt::DisplayRole).toString(), "0.5");
        EXPECT_EQ(dialog.grid().tableModel().rowCount(), 4);
        Click(dialog, "CancelButton");
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(ini().StripEnv[0].Rows[0].TermType, "RR");  // Cancel does not undo the switch
    EXPECT_EQ(ini().EnvNo, 0);

    frmStripSeting dialog(*session, false, {}, ending());
    EditGrid& grid = dialog.grid();
    grid.setCurrentIndex(Cell(grid, 2, 1));
    Click(dialog, "InsButton");  // a blank row below row 2
    ASSERT_EQ(grid.tableModel().rowCount(), 6);
    grid.tableModel().setData(Cell(grid, 3, 1), "Z", Qt::EditRole);  // and still incomplete
    find<QComboBox>(dialog, "EnvNameCombo")->setCurrentIndex(1);
    find<QLineEdit>(dialog, "CutCntText")->setText("0");
    find<QCheckBox>(dialog, "WTKCheck")->setChecked(false);
    Click(dialog, "OkButton");

    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "台数は、0以上の数字を指定してください。");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ini().EnvNo, 1);
    EXPECT_EQ(ini().StripEnv[0].Rows.size(), 5u);  // the incomplete row is gone after reading back
    EXPECT_EQ(ini().StripEnv[0].Rows[0].TermType, "RR");
    EXPECT_EQ(ini().StripEnv[1].CutCnt, "2");
    EXPECT_EQ(ini().StripEnv[1].WtkFlag, 0);
    EXPECT_TRUE(fileHas("EnvNo\t1\r\n"));
    EXPECT_TRUE(fileHas("//StripEnv\t盤内配線\t2\t0\r\n"));
    EXPECT_FALSE(endedWith);
}

TEST_F(DialogTest, AFailedSaveShowsTheMessageEndsTheProgramAndKeepsTheFile) {
    const std::string before = fileBytes();
    const std::string message = texts::IniWriteError(home.userFolder());
    ini().Title = std::string(200, 'T');  // the new file is larger than the limit below

    const std::pair<const char*, std::function<std::unique_ptr<QDialog>()>> dialogs[] = {
        {"frmStripSeting",
         [&] { return std::make_unique<frmStripSeting>(*session, false, nullptr, ending()); }},
        {"frmEnvCutter", [&] { return std::make_unique<frmEnvCutter>(*session, ending()); }},
        {"frmZanWLen", [&] { return std::make_unique<frmZanWLen>(*session, nullptr, ending()); }},
    };
    for (const auto& [name, make] : dialogs) {
        messenger.shown.clear();
        messenger.queue(MsgAnswer::No);  // the remaining-wire question
        endedWith.reset();
        std::unique_ptr<QDialog> dialog = make();
        {
            FileSizeLimit limit(before.size());
            Click(*dialog, name == std::string("frmZanWLen") ? "OKButtoun" : "OkButton");
        }
        ASSERT_FALSE(messenger.shown.empty()) << name;
        EXPECT_EQ(messenger.shown.back().text, message) << name;
        EXPECT_EQ(messenger.shown.back().icon, MsgIcon::Warning) << name;
        EXPECT_EQ(endedWith, 1) << name;
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << name;
        EXPECT_EQ(fileBytes(), before) << name;
    }
}

TEST_F(DialogTest, TheEnvironmentDialogChangesTheStripEditorAtOnce) {
    frmStripSeting strip(*session, false, {}, ending());
    auto* combo = find<QComboBox>(strip, "EnvNameCombo");
    frmEnvAdd dialog(strip);
    EXPECT_EQ(dialog.windowTitle(), "環境の追加・変更");
    auto* list = find<QListWidget>(dialog, "EnvList");
    auto* name = find<QLineEdit>(dialog, "NewEnvText");
    EXPECT_TRUE(find<QPushButton>(dialog, "AddButton")->isDefault());
    ASSERT_EQ(list->count(), 2);

    Click(dialog, "AddButton");  // no name
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "追加環境名が指定されていません。");

    list->setCurrentRow(1);
    name->setText("写し");
    Click(dialog, "AddButton");
    ASSERT_EQ(list->count(), 3);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(2), "写し");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(name->text(), "写し");
    EXPECT_EQ(ini().StripEnv[2].Rows, ini().StripEnv[1].Rows);

    list->setCurrentRow(0);
    name->setText("改名");
    Click(dialog, "ChgButton");  // never the first
    EXPECT_EQ(combo->itemText(0), "標準");
    list->setCurrentRow(2);
    Click(dialog, "ChgButton");
    EXPECT_EQ(list->item(2)->text(), "改名");
    EXPECT_EQ(combo->itemText(2), "改名");

    // Deleting the environment shown drops its grid edits; the box keeps its position.
    strip.grid().tableModel().setData(Cell(strip.grid(), 1, 1), "LOST", Qt::EditRole);
    list->setCurrentRow(0);
    Click(dialog, "DelButton");
    EXPECT_EQ(list->count(), 2);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "盤内配線");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(find<QLineEdit>(strip, "CutCntText")->text(), "2");
    for (const StripEnvironment& env : ini().StripEnv)
        EXPECT_NE(env.Rows[0].TermType, "LOST");

    // With every environment gone there is nothing to edit and OK asks for a choice.
    for (int i = 0; i < 2; ++i) {
        list->setCurrentRow(0);
        Click(dialog, "DelButton");
    }
    EXPECT_EQ(combo->count(), 0);
    EXPECT_FALSE(strip.grid().isEnabled());
    EXPECT_EQ(ini().EnvNo, -1);
    messenger.shown.clear();
    Click(strip, "OkButton");
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "環境定義が選択されていません。選択してから決定ボタンを押して下さい。");
    EXPECT_NE(strip.result(), QDialog::Accepted);
}

TEST_F(DialogTest, EnvironmentChangesReachTheFileWithTheNextSave) {
    const std::string before = fileBytes();
    {
        frmStripSeting strip(*session, false, {}, ending());
        WithDialog<frmEnvAdd>([&] { Click(strip, "EnvAdd"); },
                              [](frmEnvAdd& dialog) {
                                  find<QLineEdit>(dialog, "NewEnvText")->setText("追加");
                                  Click(dialog, "AddButton");
                                  Click(dialog, "Endbutton");
                              });
        EXPECT_EQ(find<QComboBox>(strip, "EnvNameCombo")->count(), 3);
        Click(strip, "CancelButton");
    }
    EXPECT_EQ(fileBytes(), before);
    ASSERT_EQ(ini().StripEnv.size(), 3u);

    // The cutter editor's OK writes everything memory holds; the new environment's empty row
    // is not kept.
    frmEnvCutter cutter(*session, ending());
    Click(cutter, "OkButton");
    EXPECT_TRUE(fileHas("//StripEnv\t追加\t1\t0\r\n//end\r\n"));
    ASSERT_EQ(ini().StripEnv.size(), 3u);
    EXPECT_TRUE(ini().StripEnv[2].Rows.empty());
}

TEST_F(DialogTest, TheCutterEditorStoresOnlyOnOk) {
    const std::string before = fileBytes();
    {
        frmEnvCutter dialog(*session, ending());
        EXPECT_EQ(dialog.windowTitle(), "カッターの設定");
        EditGrid& grid = dialog.grid();
        ASSERT_EQ(grid.tableModel().rowCount(), 6);
        for (const char* button :
             {"InsButton", "DelButtoun", "UpButtoun", "DownButtoun", "OkButton", "CancelButton"}) {
            EXPECT_FALSE(find<QPushButton>(dialog, button)->isDefault()) << button;
        }
        grid.tableModel().setData(Cell(grid, 1, 1), "VV", Qt::EditRole);
        Click(dialog, "CancelButton");
    }
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(ini().CutterEnv[0].WireKind, "IV");

    frmEnvCutter dialog(*session, ending());
    EditGrid& grid = dialog.grid();
    // The arrows act as soon as the mouse button goes down.
    grid.setCurrentIndex(Cell(grid, 1, 2));
    grid.clearSelection();
    auto* down = find<QPushButton>(dialog, "DownButtoun");
    const QPointF centre(down->width() / 2.0, down->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, centre, down->mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(down, &press);
    EXPECT_EQ(dialog.table().row(2),
              (std::vector<std::string>{"IV", "0.75", "5", "5", "2.4", "0.5"}));
    grid.tableModel().setData(Cell(grid, 6, 6), "", Qt::EditRole);
    grid.tableModel().setData(Cell(grid, 5, 1), "K\tIV", Qt::EditRole);  // a tab pasted in a cell
    Click(dialog, "OkButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(ini().CutterEnv.size(), 5u);  // the row with an empty cell is gone
    EXPECT_EQ(ini().CutterEnv[0].WireSize, "1.25");
    EXPECT_EQ(ini().CutterEnv[1].YBack, "0.5");
    EXPECT_EQ(ini().CutterEnv[4].WireKind, "K IV");
    EXPECT_TRUE(fileHas("//CutterEnv\r\nIV\t1.25\t5\t5\t2.8\t0.5\r\nIV\t0.75\t5\t5\t2.4\t0.5\r\n"));

    // An empty table opens as an empty grid and stores as one.
    ini().CutterEnv.clear();
    frmEnvCutter empty(*session, ending());
    EXPECT_EQ(empty.grid().tableModel().rowCount(), 0);
    Click(empty, "OkButton");
    EXPECT_TRUE(ini().CutterEnv.empty());
    EXPECT_TRUE(fileHas("//CutterEnv\r\n//end\r\n"));
}

TEST_F(DialogTest, TheRemainingWireDialogFromTheMainWindow) {
    frmTerminal window(*session);
    window.show();
    QAction* item = find<QAction>(window, "mnuOptionSetZanWLen");
    const std::string before = fileBytes();

    // Unticking switches tracking off at once; Cancel keeps the lengths and writes nothing.
    WithDialog<frmZanWLen>(item, [&](frmZanWLen& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "残り電線長の設定");
        auto* length = find<QLineEdit>(dialog, "ZanWLenText");
        EXPECT_EQ(length->text(), "500");
        auto* check = find<QCheckBox>(dialog, "ZanWLenCheck");
        EXPECT_TRUE(check->isChecked());
        EXPECT_TRUE(length->isEnabled());
        check->setChecked(false);
        EXPECT_EQ(ini().ZanWLenFlg, 0);
        EXPECT_FALSE(length->isEnabled());
        EXPECT_FALSE(find<QLabel>(dialog, "lblZanWLen")->isEnabled());
        length->setText("1");
        Click(dialog, "CancelButton");
    });
    EXPECT_EQ(ini().ZanWLen, 500000);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_FALSE(window.panel("ZanWLen")->isVisible());

    ini().CutWLen = 2500;
    WithDialog<frmZanWLen>(item, [&](frmZanWLen& dialog) {
        EXPECT_FALSE(find<QLineEdit>(dialog, "ZanWLenText")->isEnabled());
        find<QCheckBox>(dialog, "ZanWLenCheck")->setChecked(true);
        find<QLineEdit>(dialog, "ZanWLenText")->setText("12.5");
        messenger.queue(MsgAnswer::Yes);
        Click(dialog, "OKButtoun");
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "電線を加工した長さ(2.5m)をクリアしますか？");
    EXPECT_EQ(ini().ZanWLen, 12500);
    EXPECT_EQ(ini().CutWLen, 0);
    EXPECT_TRUE(fileHas("ZanWLenFlg\t1\r\nZanWLen\t12500\r\nCutWLen\t0\r\n"));
    EXPECT_TRUE(window.panel("ZanWLen")->isVisible());
    EXPECT_EQ(window.panel("ZanWLen")->text(), "電線残: 12.5m");
    EXPECT_EQ(window.panel("CutWLen")->text(), "加工長: 0m");
}

TEST_F(DialogTest, TheMainWindowOpensTheEditorsAndRefillsItsSetsAfterStripOk) {
    frmTerminal window(*session);
    window.show();
    for (const char* name :
         {"mnuOptionStrip", "mnuOptionSetCutter", "mnuOptionSetZanWLen", "SetStrip", "SetCutter"}) {
        EXPECT_TRUE(find<QAction>(window, name)->isEnabled()) << name;
    }
    WithDialog<frmEnvCutter>(find<QAction>(window, "SetCutter"), [](frmEnvCutter&) {});

    window.OpenCastingFile(std::filesystem::path(KABLOS_SAMPLES_DIR) / "casting.txt");
    ASSERT_EQ(window.setModel().rowCount(), 3);
    window.OpenDataSet(1);
    ASSERT_TRUE(window.wireGridShown());

    // While the wire grid shows, OK is off; switching environments still changes memory.
    WithDialog<frmStripSeting>(find<QAction>(window, "SetStrip"), [&](frmStripSeting& dialog) {
        EXPECT_FALSE(find<QPushButton>(dialog, "OkButton")->isEnabled());
        dialog.grid().tableModel().setData(Cell(dialog.grid(), 1, 1), "RW", Qt::EditRole);
        find<QComboBox>(dialog, "EnvNameCombo")->setCurrentIndex(1);
    });
    EXPECT_EQ(ini().StripEnv[0].Rows[0].TermType, "RW");

    // Back on the data sets, OK with the environment that lists the special sets refills them.
    find<QAction>(window, "mnuChgin")->trigger();
    WithDialog<frmStripSeting>(find<QAction>(window, "mnuOptionStrip"),
                               [&](frmStripSeting& dialog) {
                                   EXPECT_TRUE(find<QPushButton>(dialog, "OkButton")->isEnabled());
                                   find<QComboBox>(dialog, "EnvNameCombo")->setCurrentIndex(1);
                                   Click(dialog, "OkButton");
                               });
    EXPECT_EQ(ini().EnvNo, 1);
    EXPECT_EQ(window.setModel().rowCount(), 6);
    EXPECT_TRUE(fileHas("//StripEnv\t標準\t1\t0\r\nRW\t"));
}

}  // namespace
}  // namespace kablos

int main(int argc, char** argv) {
    // Dialog tests never need a display (test discovery runs this too).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
