// The main window, shown offscreen.

#include "frmTerminal.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include "UserDataPath.h"
#include "frmAbout.h"
#include "frmDryRun.h"
#include "frmPropSeting.h"
#include "kablos/support/LinkSupport.h"
#include "kablos/support/TestSupport.h"

namespace kablos {
namespace {

using namespace kablos::test;

class PortThatNeverDrains : public PortControl {
public:
    bool IsOpen() const override { return true; }
    bool WaitOutputDrained(std::chrono::milliseconds) override { return false; }
    void HangUp() override {}
};

class WindowTest : public ::testing::Test {
protected:
    // A window test that hangs (a job that never returns) fails instead of blocking the run.
    Deadline deadline{std::chrono::seconds(120),
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    void SetUp() override {
        WriteBytes(home.programFolder() / "KABLOS.ini", ReadBytes(SampleIni()));
    }
    std::unique_ptr<Session> start(const std::string& commandLine = "") {
        auto session = std::make_unique<Session>(messenger, UserDataPath, home.programFolder());
        EXPECT_TRUE(session->Start(commandLine, {}));
        return session;
    }
    template <typename T>
    static T* find(const QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TempHome home;
    RecordingMessenger messenger;
};

TEST_F(WindowTest, CaptionFollowsTheRunMode) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "NIVORA電線加工プログラム"},
        {"-D", "NIVORA電線加工プログラムデバッグモード"},
        {"/B -d2", "NIVORA電線加工プログラム"},
        {"-d3", "NIVORA電線加工プログラムログモード"},
    };
    for (auto [line, caption] : cases) {
        auto session = start(line);
        frmTerminal window(*session);
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8(caption)) << line;
    }
}

TEST_F(WindowTest, MenusHoldTheirItemsBetweenSeparators) {
    auto session = start();
    frmTerminal window(*session);
    const std::pair<const char*, QStringList> menus[] = {
        {"mnuFile",
         {"ファイルを開く(&O)...", "-", "電線処理表印刷(&S)...", "-", "送信内容の確認(&D)...", "-",
          "終了(&X)"}},
        {"mnuPort", {"ポートを開く(&O)...", "-", "回線切断(&H)"}},
        {"mnuOption",
         {"通信プロパティ(&C)...", "-", "ストリップの設定(&S)...", "-", "カッターの設定(&T)...",
          "-", "残り電線長の設定(&L)...", "-", "済フラグクリア(&F)"}},
        {"mnuHelp", {"バージョン情報(&A)..."}},
    };
    for (const auto& [name, items] : menus) {
        QMenu* menu = find<QMenu>(window, name);
        ASSERT_NE(menu, nullptr);
        QStringList captions;
        for (QAction* action : menu->actions()) {
            captions << (action->isSeparator() ? QString("-") : action->text());
        }
        EXPECT_EQ(captions, items) << name;
    }
    QStringList bar;
    for (QAction* action : window.menuBar()->actions())
        bar << action->text();
    EXPECT_EQ(bar, (QStringList{"ファイル(&F)", "通信ポート(&C)", "オプション(&O)", "切替(&K)",
                                "ヘルプ(&H)"}));
    // Hang-up only while the port is open; the port starts closed.
    EXPECT_FALSE(find<QAction>(window, "mnuHangUp")->isEnabled());
    EXPECT_FALSE(find<QAction>(window, "HangUpPhone")->isEnabled());
}

TEST_F(WindowTest, ToolBarButtonsCarryTheirKeysAndTips) {
    auto session = start();
    frmTerminal window(*session);
    QToolBar* bar = find<QToolBar>(window, "tbrToolBar");
    ASSERT_NE(bar, nullptr);
    QStringList keys;
    for (QAction* action : bar->actions()) {
        if (!action->isSeparator())
            keys << action->objectName() + "=" + action->toolTip();
    }
    EXPECT_EQ(keys, (QStringList{"OpenFile=ファイルを開く...", "PortOpen=ポートを開く...",
                                 "HangUpPhone=回線切断", "Properties=通信プロパティ...",
                                 "SetStrip=ストリップの設定", "SetCutter=カッタの設定...",
                                 "imgConnected=ポート切替", "imgNotConnected=ポート切替"}));
    EXPECT_FALSE(find<QAction>(window, "imgConnected")->isVisible());
    EXPECT_TRUE(find<QAction>(window, "imgNotConnected")->isVisible());
}

TEST_F(WindowTest, StatusBarPanelsAndTimers) {
    auto session = start();
    frmTerminal window(*session);
    window.show();
    const std::pair<const char*, const char*> panels[] = {
        {"Status", "送信データ"},        {"Settings", "通信ポートの設定"},
        {"ConnectTime", "接続時間"},     {"CutWLen", "電線を加工した長さ"},
        {"ZanWLen", "電線の残りの長さ"},
    };
    for (auto [key, tip] : panels) {
        QLabel* panel = window.panel(key);
        ASSERT_NE(panel, nullptr) << key;
        EXPECT_EQ(panel->toolTip(), QString::fromUtf8(tip));
    }
    EXPECT_EQ(window.panel("Status")->text(), "データ: ");
    EXPECT_EQ(window.panel("ZanWLen")->text(), "電線残: 500m");  // 500000 mm in the sample
    EXPECT_EQ(window.panel("CutWLen")->text(), "加工長: 0m");
    EXPECT_TRUE(window.panel("ZanWLen")->isVisible());  // tracking is on in the sample

    session->ini().ZanWLenFlg = 0;
    window.showWireLengths();
    EXPECT_FALSE(window.panel("ZanWLen")->isVisible());
    EXPECT_FALSE(window.panel("CutWLen")->isVisible());

    const std::tuple<const char*, int, bool> timers[] = {
        {"Timer1", 1000, false}, {"Timer2", 1000, true}, {"Timer3", 3000, false}};
    for (auto [name, interval, singleShot] : timers) {
        QTimer* timer = find<QTimer>(window, name);
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->interval(), interval) << name;
        EXPECT_EQ(timer->isSingleShot(), singleShot) << name;
        EXPECT_FALSE(timer->isActive()) << name;
    }
    EXPECT_TRUE(find<QTableView>(window, "FlGrid")->isVisible());
    EXPECT_FALSE(find<QTableView>(window, "Grid1")->isVisible());
}

TEST_F(WindowTest, PrintingNeedsCastingDataFirst) {
    auto session = start();
    frmTerminal window(*session);
    window.mnuFilePrint_Click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "キャスティングデータを読み込んでください｡ ");
    EXPECT_EQ(messenger.shown[0].caption, window.windowTitle().toStdString());
}

TEST_F(WindowTest, AboutBoxShowsTheVersion) {
    EXPECT_EQ(frmAbout::VersionText(), "KABLOS Version 12.0.26");
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), "ＮＩＶＯＲＡ電線加工プログラムのバージョン情報");
}

TEST_F(WindowTest, ClosingWithAbortKeepsTheWindow) {
    auto session = start();
    const std::string saved = ReadBytes(home.userFolder() / "KABLOS.ini");
    frmTerminal window(*session);
    PortThatNeverDrains port;
    window.setPortControl(&port);
    window.show();
    session->ini().CutWLen = 77;
    messenger.queue(MsgAnswer::Abort);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(ReadBytes(home.userFolder() / "KABLOS.ini"), saved);

    // The exit menu ends the program after Abort too, without saving.
    messenger.queue(MsgAnswer::Abort);
    window.mnuFileExit_Click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.exitCode(), 0);
    EXPECT_EQ(ReadBytes(home.userFolder() / "KABLOS.ini"), saved);
}

TEST_F(WindowTest, ClosingSavesTheSettings) {
    auto session = start();
    frmTerminal window(*session);
    window.show();
    session->ini().CutWLen = 77;
    EXPECT_TRUE(window.close());
    EXPECT_NE(ReadBytes(home.userFolder() / "KABLOS.ini").find("CutWLen\t77\r\n"),
              std::string::npos);
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(WindowTest, ThePortMenusFollowThePort) {
    MachineSim machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    frmTerminal window(*session);
    window.show();
    session->setCountdown(3);

    find<QAction>(window, "mnuOpen")->trigger();
    ASSERT_TRUE(window.serialPort().isOpen());
    EXPECT_EQ(messenger.shown.at(0).text, "スタート");
    EXPECT_TRUE(find<QAction>(window, "mnuOpen")->isChecked());
    EXPECT_TRUE(find<QAction>(window, "mnuHangUp")->isEnabled());
    EXPECT_TRUE(find<QAction>(window, "HangUpPhone")->isEnabled());
    EXPECT_TRUE(find<QAction>(window, "imgConnected")->isVisible());
    EXPECT_FALSE(find<QAction>(window, "imgNotConnected")->isVisible());
    EXPECT_EQ(window.panel("Settings")->text(), "設定: 4800,n,8,1");
    EXPECT_TRUE(find<QTimer>(window, "Timer1")->isActive());
    // Timer1 shows the connect time and counts the countdown down.
    ASSERT_TRUE(WaitUntil([&] { return !window.panel("ConnectTime")->text().isEmpty(); }));
    EXPECT_TRUE(window.panel("ConnectTime")->text().startsWith("00:00:0"));
    EXPECT_EQ(session->countdown(), 2);

    find<QAction>(window, "HangUpPhone")->trigger();
    EXPECT_FALSE(window.serialPort().isOpen());
    EXPECT_FALSE(find<QAction>(window, "mnuOpen")->isChecked());
    EXPECT_FALSE(find<QAction>(window, "HangUpPhone")->isEnabled());
    EXPECT_EQ(window.panel("Settings")->text(), "設定: ");
    EXPECT_FALSE(find<QTimer>(window, "Timer1")->isActive());
    ASSERT_TRUE(machine.WaitReceived(3));
    EXPECT_EQ(machine.received(), "ATH");
}

TEST_F(WindowTest, TheTerminalBoxTalksToTheMachine) {
    PtyPeer machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    frmTerminal window(*session);
    window.show();
    find<QAction>(window, "imgNotConnected")->trigger();
    ASSERT_TRUE(window.serialPort().isOpen());
    auto* box = find<QPlainTextEdit>(window, "txtTerm");

    machine.Send("R1002003C\r\n");
    ASSERT_TRUE(WaitUntil([&] { return box->toPlainText().contains("R1002003C"); }));

    // Typed keys go to the machine; without echo the box does not show them.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(box, &press);
    ASSERT_TRUE(WaitUntil([&] { return machine.Read() == "a"; }));
    EXPECT_FALSE(box->toPlainText().contains("a"));

    session->setEcho(true);
    QKeyEvent pressB(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QCoreApplication::sendEvent(box, &pressB);
    ASSERT_TRUE(WaitUntil([&] { return machine.Read() == "b"; }));
    EXPECT_TRUE(box->toPlainText().endsWith("b"));
}

TEST_F(WindowTest, ThePortSettingsDialogShowsAndKeepsThePortValues) {
    auto session = start();
    frmTerminal window(*session);
    ASSERT_TRUE(window.serialPort().setSettings("9600,e,7,1.5"));
    frmPropSeting dialog(*session, window.serialPort(), [](bool) {});
    EXPECT_EQ(dialog.windowTitle(), "通信ポートのプロパティ");
    EXPECT_EQ(find<QComboBox>(dialog, "cboSpeed")->currentText(), "9600");
    EXPECT_EQ(find<QComboBox>(dialog, "cboParity")->currentText(), "Even");
    EXPECT_EQ(find<QComboBox>(dialog, "cboDataBits")->currentText(), "7");
    EXPECT_EQ(find<QComboBox>(dialog, "cboStopBits")->currentText(), "1.5");
    EXPECT_EQ(find<QComboBox>(dialog, "cboPort")->currentText(), "Com1");
    EXPECT_EQ(find<QComboBox>(dialog, "cboPort")->count(), 16);
    EXPECT_TRUE(find<QRadioButton>(dialog, "optType_0")->isChecked());
    EXPECT_TRUE(find<QRadioButton>(dialog, "optEcho_0")->isChecked());
    EXPECT_TRUE(find<QRadioButton>(dialog, "optFlow_0")->isChecked());
    EXPECT_EQ(find<QRadioButton>(dialog, "optType_1")->text(), "Binary ( C371A など )");

    find<QRadioButton>(dialog, "optFlow_2")->setChecked(true);
    find<QRadioButton>(dialog, "optEcho_1")->setChecked(true);
    find<QPushButton>(dialog, "cmdOK")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    UserProperties stored = UserStore::Read();
    EXPECT_EQ(stored.Settings, "9600,E,7,1.5");
    EXPECT_EQ(stored.Handshaking, 2);
    EXPECT_EQ(stored.Echo, true);
    EXPECT_TRUE(session->echo());
}

std::filesystem::path SampleCasting() {
    return std::filesystem::path(KABLOS_SAMPLES_DIR) / "casting.txt";
}

TEST_F(WindowTest, OpeningACastingFileFillsTheGrids) {
    auto session = start();
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    EXPECT_TRUE(window.castingLoaded());
    auto* panels = find<QListWidget>(window, "BanList");
    ASSERT_EQ(panels->count(), 2);
    EXPECT_EQ(panels->item(1)->text(), "P2");
    EXPECT_EQ(window.setModel().rowCount(),
              3);  // the sample's first environment hides the special sets
    EXPECT_EQ(window.setModel().headerData(6, Qt::Horizontal, Qt::DisplayRole).toString(),
              "電線種別");
    EXPECT_EQ(session->ini().DataPath, SampleCasting().parent_path().string());
    EXPECT_NE(ReadBytes(home.userFolder() / "KABLOS.ini")
                  .find("DataPath\t" + SampleCasting().parent_path().string()),
              std::string::npos);

    session->ini().EnvNo = 1;  // 盤内配線 shows jumper and special sets
    window.OpenCastingFile(SampleCasting());
    ASSERT_EQ(window.setModel().rowCount(), 6);
    EXPECT_EQ(window.setModel().rowTexts(4)[0], "5*");
}

TEST_F(WindowTest, CastingFilesThatCannotBeUsedSaySo) {
    auto session = start();
    frmTerminal window(*session);
    const auto missing = home.root() / "none.txt";
    window.OpenCastingFile(missing);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "キャスティングデータがの読み込みに失敗しました。(" + missing.string() + ")");
    EXPECT_FALSE(window.castingLoaded());
}

TEST_F(WindowTest, AFailedReadChangesNothingAndAFileWithoutSetsShowsTheEmptySetGrid) {
    MachineSim machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    window.OpenDataSet(0);
    auto* wires = find<QTableView>(window, "Grid1");
    auto* sets = find<QTableView>(window, "FlGrid");
    ASSERT_TRUE(wires->isVisible());
    const QString title = window.windowTitle();
    const std::size_t setCount = window.casting().sets.size();
    messenger.shown.clear();

    // The sample's first set and wire, then a wire cell without its delimiters: the read fails
    // part-way, says so, and the open set stays as it was.
    const std::string sample = ReadBytes(SampleCasting());
    std::size_t fifthLine = 0;
    for (int line = 0; line < 5; ++line)
        fifthLine = sample.find('\n', fifthLine) + 1;
    const auto broken = home.root() / "broken.txt";
    WriteBytes(broken, sample.substr(0, fifthLine) + "\"9\"\tW\t\"x\"\r\n");
    window.OpenCastingFile(broken);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "キャスティングデータがの読み込みに失敗しました。(" + broken.string() + ")");
    EXPECT_TRUE(wires->isVisible());
    EXPECT_FALSE(sets->isVisible());
    EXPECT_EQ(window.windowTitle(), title);
    EXPECT_EQ(window.casting().sets.size(), setCount);
    EXPECT_EQ(window.wireModel().rowCount(), 4);

    // A file without sets: its message, and the (empty) data-set grid instead of the old wires,
    // which can no longer be started.
    messenger.shown.clear();
    const auto empty = home.root() / "empty.txt";
    WriteBytes(empty, sample.substr(0, sample.find('\n') + 1));
    window.OpenCastingFile(empty);
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text,
              "キャスティングデータがありません。(" + empty.string() + ")");
    EXPECT_FALSE(wires->isVisible());
    EXPECT_TRUE(sets->isVisible());
    EXPECT_EQ(window.setModel().rowCount(), 0);
    EXPECT_EQ(window.wireModel().rowCount(), 0);
    EXPECT_EQ(window.windowTitle(), "NIVORA電線加工プログラム");
    const std::size_t sent = machine.received().size();
    messenger.shown.clear();
    emit wires->doubleClicked(QModelIndex());
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "キャスティングデータを読み込んでください。");
    WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(machine.received().substr(sent), Wire("\x18"));  // only the job's cancel
}

TEST_F(WindowTest, OpeningADataSetShowsItsWiresAndSendsItsCutterValues) {
    // A machine that does not confirm the writes, so that the repeated diameter goes out again.
    MachineSim machine({"--no-confirm"});
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    window.casting().wires[0].DoneFlg = 1;

    // Enter on the data-set grid opens the selected set; the port opens first.
    auto* sets = find<QTableView>(window, "FlGrid");
    sets->setCurrentIndex(window.setModel().index(0, 1));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(sets, &enter);

    EXPECT_TRUE(window.serialPort().isOpen());
    EXPECT_EQ(window.windowTitle(),
              "NIVORA電線加工プログラム(M2301 D-100 P1 U1 主回路 IV 1.25 黄)");
    auto* wires = find<QTableView>(window, "Grid1");
    EXPECT_TRUE(wires->isVisible());
    EXPECT_FALSE(sets->isVisible());
    ASSERT_EQ(window.wireModel().rowCount(), 4);
    EXPECT_EQ(window.wireModel().columnCount(), 7);
    EXPECT_EQ(window.wireModel().rowColour(0), TextGridModel::Green());
    EXPECT_EQ(window.wireModel().rowColour(1), TextGridModel::White());
    EXPECT_EQ(window.ProcEndFlg(), (std::vector<std::int16_t>{1, 0, 0, 0}));
    EXPECT_EQ(wires->currentIndex().row(), 1);  // the first wire not done
    EXPECT_EQ(wires->currentIndex().column(), 1);

    // The cutter row of IV 1.25: diameter 2.8, Y back 0.5, roller 5, cutter 5. A Y back of 0
    // equals the empty confirmation memory, so only its first write goes out.
    const std::string expected =
        Wire("W0ED23") + Wire("W0BE20") + Wire("W0F015") + Wire("W0F115") + Wire("W0ED23");
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    WaitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(machine.received(), expected);

    // Enter on the wire grid starts the job of the row.
    int jobs = 0;
    window.setJobStart([&] { ++jobs; });
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QCoreApplication::sendEvent(wires, &space);
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
    QCoreApplication::sendEvent(wires, &shifted);
    EXPECT_EQ(jobs, 1);
}

TEST_F(WindowTest, TogglingThePortPutsTheWireGridCursorOnTheFirstWire) {
    MachineSim machine;
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    window.OpenDataSet(0);
    auto* wires = find<QTableView>(window, "Grid1");
    for (bool open : {false, true}) {
        wires->setCurrentIndex(window.wireModel().index(2, 4));
        find<QAction>(window, "mnuOpen")->trigger();
        EXPECT_EQ(window.serialPort().isOpen(), open);
        EXPECT_TRUE(wires->isVisible());
        EXPECT_EQ(wires->currentIndex().row(), 0);  // row 1 of the grid: the first wire
        EXPECT_EQ(wires->currentIndex().column(), 1);
    }
}

TEST_F(WindowTest, LeavingTheWireGridKeepsTheDoneMarks) {
    auto session = start();
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    window.OpenDataSet(1);
    ASSERT_EQ(window.currentSet(), 1);
    window.ProcEndFlg().assign(2, 1);
    window.HighlightWireRow(0);
    EXPECT_EQ(window.wireModel().rowColour(0), TextGridModel::Yellow());
    window.HighlightWireRow(1);
    EXPECT_EQ(window.wireModel().rowColour(0), TextGridModel::Green());

    find<QAction>(window, "mnuChgin")->trigger();
    EXPECT_EQ(window.windowTitle(), "NIVORA電線加工プログラム");
    EXPECT_TRUE(find<QTableView>(window, "FlGrid")->isVisible());
    EXPECT_EQ(window.casting().sets[1].DoneFlg, 1);
    EXPECT_EQ(window.casting().wires[4].DoneFlg, 1);
    EXPECT_EQ(window.setModel().rowColour(1), TextGridModel::Green());
    EXPECT_EQ(find<QTableView>(window, "FlGrid")->currentIndex().row(), 0);

    // Clearing the done marks of the selected set.
    find<QTableView>(window, "FlGrid")
        ->selectionModel()
        ->select(window.setModel().index(1, 0),
                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    find<QAction>(window, "mnuOptionClsFixFlg")->trigger();
    EXPECT_EQ(window.casting().sets[1].DoneFlg, 0);
    EXPECT_EQ(window.casting().wires[4].DoneFlg, 0);
    EXPECT_EQ(window.setModel().rowColour(1), TextGridModel::White());
}

TEST_F(WindowTest, TheBinaryProtocolSendsTheCutterFrames) {
    MachineSim machine({"--protocol", "binary"});
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    session->setProtocol(ProtocolKind::Binary);
    frmTerminal window(*session);
    window.OpenCastingFile(SampleCasting());
    window.OpenDataSet(1);  // KIV 2: diameter 3.1, Y back 0.6, roller 4, cutter 4
    std::string expected;
    for (Frame f : {BuildFrame(6, 3.1, 2), BuildFrame(7, 0.6, 2), BuildFrame(14, 4, 1),
                    BuildFrame(16, 4, 1)}) {
        expected.append(reinterpret_cast<const char*>(f.data()), f.size());
    }
    ASSERT_TRUE(machine.WaitReceived(expected.size()));
    EXPECT_EQ(machine.received(), expected);
}

TEST_F(WindowTest, ADoubleClickedWireIsProcessedAndTheWindowIsUsableAgain) {
    // The machine takes a moment over the wire, so the window can be looked at meanwhile.
    MachineSim machine({"--protocol", "binary", "--done-after", "300"});
    ASSERT_TRUE(UserStore::SetPortDevice(1, machine.path()));
    auto session = start();
    session->setProtocol(ProtocolKind::Binary);
    frmTerminal window(*session);
    window.show();
    window.OpenCastingFile(SampleCasting());
    window.OpenDataSet(0);
    messenger.shown.clear();  // the port opening's notice
    auto* wires = find<QTableView>(window, "Grid1");
    ASSERT_EQ(wires->currentIndex().row(), 0);

    // While the job runs the menus and the tool bar are disabled and "データ送信中" shows.
    bool sawJob = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!find<QLabel>(window, "SendMsgText")->isHidden()) {
            sawJob = true;
            EXPECT_FALSE(find<QToolBar>(window, "tbrToolBar")->isEnabled());
            EXPECT_FALSE(find<QMenu>(window, "mnuFile")->menuAction()->isEnabled());
        }
    });
    probe.start(5);
    emit wires->doubleClicked(wires->currentIndex());
    probe.stop();

    EXPECT_TRUE(sawJob);
    EXPECT_TRUE(find<QLabel>(window, "SendMsgText")->isHidden());
    EXPECT_TRUE(find<QToolBar>(window, "tbrToolBar")->isEnabled());
    EXPECT_TRUE(find<QMenu>(window, "mnuFile")->menuAction()->isEnabled());
    EXPECT_EQ(window.wireModel().rowColour(0), TextGridModel::Green());
    EXPECT_EQ(window.ProcEndFlg()[0], 1);
    EXPECT_EQ(wires->currentIndex().row(), 1);
    EXPECT_EQ(find<QLabel>(window, "CutWLen")->text().toStdString(), "加工長: 0.35m");
    EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(WindowTest, TheSendCheckShowsTheDryRunOfTheLoadedDataAndChangesNothing) {
    auto session = start();
    frmTerminal window(*session);
    window.mnuFileDryRun_Click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "キャスティングデータを読み込んでください｡ ");
    messenger.shown.clear();

    window.show();
    window.OpenCastingFile(SampleCasting());
    // 1000 mm left on the reel in the window: the check stops at the third wire of set 1.
    session->ini().ZanWLen = 1000;
    const std::string saved = ReadBytes(home.userFolder() / "KABLOS.ini");
    testsupport::TempDir dir;
    QString shown;
    QString verdict;
    bool pdf = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmDryRun*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->text();
        verdict = dialog->findChild<QLabel*>("lblVerdict")->text();
        // The picture of the dialog, for a look: build/<tree>/tests/frmDryRun.png.
        dialog->grab().save(QStringLiteral("frmDryRun.png"));
        pdf = dialog->SavePdf(dir.path() / "check.pdf");
        dialog->findChild<QPushButton*>("cmdClose")->click();
    });
    window.mnuFileDryRun_Click();
    const std::string text = shown.toStdString();
    EXPECT_TRUE(
        text.starts_with("summary: 2 of 12 wires would be done\n"
                         "wires that would stop for want of wire:\n"
                         "  set 1, wire 3, length 1200: 300 mm left\n"))
        << text;
    EXPECT_NE(text.find("set 1, wire 1 (101), length 350\n"), std::string::npos);
    EXPECT_EQ(verdict, QStringLiteral("加工できない電線があります。"));
    ASSERT_TRUE(pdf);
    EXPECT_TRUE(ReadBytes(dir.path() / "check.pdf").starts_with("%PDF"));
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "check.pdf");
    // The window's reel, its port and its settings file are as they were.
    EXPECT_EQ(session->ini().ZanWLen, 1000);
    EXPECT_FALSE(window.link().IsOpen());
    EXPECT_EQ(ReadBytes(home.userFolder() / "KABLOS.ini"), saved);
    EXPECT_TRUE(messenger.shown.empty());
}

}  // namespace
}  // namespace kablos

int main(int argc, char** argv) {
    // Window tests never need a display (test discovery runs this too).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
