#include "frmTerminal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

#include "Texts.h"
#include "WireLists.h"
#include "frmAbout.h"
#include "frmDryRun.h"
#include "frmEnvCutter.h"
#include "frmPropSeting.h"
#include "frmStripSeting.h"
#include "frmZanWLen.h"
#include "printing/Printers.h"
#include "printing/frmWMBs.h"

namespace kablos {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Where the grids and the panel list stand in the client area, in twips (1/1440 inch).
constexpr int kGridLeft = 120;
constexpr int kGridTop = 120;

}  // namespace

frmTerminal::frmTerminal(Session& session, QWidget* parent)
    : QMainWindow(parent), m_session(session) {
    setObjectName("frmTerminal");
    // The per-user port values; one the port refuses leaves the port's own.
    ApplyPortValues(m_serial, session.port());
    m_link = std::make_unique<MachineLink>(session, m_serial, m_pump, *this);
    m_port = m_link.get();
    setWindowTitle(Q(WindowCaption(session.runMode())));

    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildClientArea();

    m_Timer1 = new QTimer(this);
    m_Timer1->setObjectName("Timer1");
    m_Timer1->setInterval(1000);
    connect(m_Timer1, &QTimer::timeout, this, &frmTerminal::Timer1_Timer);
    m_Timer2 = new QTimer(this);
    m_Timer2->setObjectName("Timer2");
    m_Timer2->setInterval(1000);
    m_Timer2->setSingleShot(true);
    connect(m_Timer2, &QTimer::timeout, this, &frmTerminal::Timer2_Timer);
    // Timer3 paces the start-command retries of the processing job, which owns its tick.
    m_Timer3 = new QTimer(this);
    m_Timer3->setObjectName("Timer3");
    m_Timer3->setInterval(3000);
    m_job = std::make_unique<ProcessingJob>(session, *m_link, m_pump, *this);
    connect(m_Timer3, &QTimer::timeout, this, [this] { m_job->Timer3Tick(); });

    ShowPortState(false, m_serial.settings());
    showWireLengths();

    // Centred on the screen at a working size, for the times the window is not maximised.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        resize(area.size() * 4 / 5);
        move(area.center() - rect().center());
    }
}

frmTerminal::~frmTerminal() = default;

QAction* frmTerminal::addMenuItem(QMenu* menu, const char* name, const QString& caption) {
    if (!menu->actions().isEmpty())
        menu->addSeparator();
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void frmTerminal::buildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnuFile->setObjectName("mnuFile");
    QAction* mnuFileOpen =
        addMenuItem(mnuFile, "mnuFileOpen", QStringLiteral("ファイルを開く(&O)..."));
    QAction* mnuFilePrint =
        addMenuItem(mnuFile, "mnuFilePrint", QStringLiteral("電線処理表印刷(&S)..."));
    QAction* mnuFileDryRun =
        addMenuItem(mnuFile, "mnuFileDryRun", QStringLiteral("送信内容の確認(&D)..."));
    QAction* mnuFileExit = addMenuItem(mnuFile, "mnuFileExit", QStringLiteral("終了(&X)"));
    connect(mnuFilePrint, &QAction::triggered, this, &frmTerminal::mnuFilePrint_Click);
    connect(mnuFileDryRun, &QAction::triggered, this, &frmTerminal::mnuFileDryRun_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmTerminal::mnuFileExit_Click);

    QMenu* mnuPort = menuBar()->addMenu(QStringLiteral("通信ポート(&C)"));
    mnuPort->setObjectName("mnuPort");
    m_mnuOpen = addMenuItem(mnuPort, "mnuOpen", QStringLiteral("ポートを開く(&O)..."));
    m_mnuOpen->setCheckable(true);
    m_mnuHangUp = addMenuItem(mnuPort, "mnuHangUp", QStringLiteral("回線切断(&H)"));
    connect(m_mnuOpen, &QAction::triggered, this, &frmTerminal::mnuOpen_Click);
    connect(m_mnuHangUp, &QAction::triggered, this, &frmTerminal::mnuHangUp_Click);

    QMenu* mnuOption = menuBar()->addMenu(QStringLiteral("オプション(&O)"));
    mnuOption->setObjectName("mnuOption");
    QAction* mnuProperties =
        addMenuItem(mnuOption, "mnuProperties", QStringLiteral("通信プロパティ(&C)..."));
    connect(mnuProperties, &QAction::triggered, this, &frmTerminal::mnuProperties_Click);
    QAction* mnuOptionStrip =
        addMenuItem(mnuOption, "mnuOptionStrip", QStringLiteral("ストリップの設定(&S)..."));
    QAction* mnuOptionSetCutter =
        addMenuItem(mnuOption, "mnuOptionSetCutter", QStringLiteral("カッターの設定(&T)..."));
    QAction* mnuOptionSetZanWLen =
        addMenuItem(mnuOption, "mnuOptionSetZanWLen", QStringLiteral("残り電線長の設定(&L)..."));
    QAction* mnuOptionClsFixFlg =
        addMenuItem(mnuOption, "mnuOptionClsFixFlg", QStringLiteral("済フラグクリア(&F)"));

    QAction* mnuChgin = menuBar()->addAction(QStringLiteral("切替(&K)"));
    mnuChgin->setObjectName("mnuChgin");

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnuHelp->setObjectName("mnuHelp");
    QAction* mnuHelpVersion =
        addMenuItem(mnuHelp, "mnuHelpVersion", QStringLiteral("バージョン情報(&A)..."));
    connect(mnuHelpVersion, &QAction::triggered, this, &frmTerminal::mnuHelpVersion_Click);

    connect(mnuFileOpen, &QAction::triggered, this, &frmTerminal::mnuFileOpen_Click);
    connect(mnuOptionClsFixFlg, &QAction::triggered, this, &frmTerminal::mnuOptionClsFixFlg_Click);
    connect(mnuChgin, &QAction::triggered, this, &frmTerminal::mnuChgin_Click);
    connect(mnuOptionStrip, &QAction::triggered, this, &frmTerminal::mnuOptionStrip_Click);
    connect(mnuOptionSetCutter, &QAction::triggered, this, &frmTerminal::mnuOptionSetCutter_Click);
    connect(mnuOptionSetZanWLen, &QAction::triggered, this,
            &frmTerminal::mnuOptionSetZanWLen_Click);
}

QAction* frmTerminal::addToolButton(const char* key, const QString& tip,
                                    QStyle::StandardPixmap icon) {
    QAction* action = m_tbrToolBar->addAction(style()->standardIcon(icon), tip);
    action->setObjectName(key);
    action->setToolTip(tip);
    return action;
}

void frmTerminal::buildToolBar() {
    m_tbrToolBar = addToolBar(QStringLiteral("tbrToolBar"));
    m_tbrToolBar->setObjectName("tbrToolBar");
    m_tbrToolBar->setMovable(false);
    QAction* openFile =
        addToolButton("OpenFile", QStringLiteral("ファイルを開く..."), QStyle::SP_DialogOpenButton);
    QAction* portOpen =
        addToolButton("PortOpen", QStringLiteral("ポートを開く..."), QStyle::SP_DriveNetIcon);
    QAction* hangUp =
        addToolButton("HangUpPhone", QStringLiteral("回線切断"), QStyle::SP_BrowserStop);
    m_tbrToolBar->addSeparator();
    QAction* properties = addToolButton("Properties", QStringLiteral("通信プロパティ..."),
                                        QStyle::SP_FileDialogDetailedView);
    QAction* setStrip = addToolButton("SetStrip", QStringLiteral("ストリップの設定"),
                                      QStyle::SP_FileDialogListView);
    QAction* setCutter = addToolButton("SetCutter", QStringLiteral("カッタの設定..."),
                                       QStyle::SP_FileDialogContentsView);
    connect(setStrip, &QAction::triggered, this, &frmTerminal::mnuOptionStrip_Click);
    connect(setCutter, &QAction::triggered, this, &frmTerminal::mnuOptionSetCutter_Click);
    connect(openFile, &QAction::triggered, this, &frmTerminal::mnuFileOpen_Click);
    connect(portOpen, &QAction::triggered, this, &frmTerminal::mnuOpen_Click);
    connect(hangUp, &QAction::triggered, this, &frmTerminal::mnuHangUp_Click);
    connect(properties, &QAction::triggered, this, &frmTerminal::mnuProperties_Click);
    connect(m_mnuHangUp, &QAction::changed, hangUp,
            [this, hangUp] { hangUp->setEnabled(m_mnuHangUp->isEnabled()); });

    // The port state: one of the two icons shows; a click on either toggles the port.
    m_tbrToolBar->addSeparator();
    m_imgConnected = m_tbrToolBar->addAction(style()->standardIcon(QStyle::SP_DialogYesButton),
                                             QStringLiteral("ポート切替"));
    m_imgConnected->setObjectName("imgConnected");
    m_imgNotConnected = m_tbrToolBar->addAction(style()->standardIcon(QStyle::SP_DialogNoButton),
                                                QStringLiteral("ポート切替"));
    m_imgNotConnected->setObjectName("imgNotConnected");
    connect(m_imgConnected, &QAction::triggered, this, &frmTerminal::mnuOpen_Click);
    connect(m_imgNotConnected, &QAction::triggered, this, &frmTerminal::mnuOpen_Click);
}

void frmTerminal::buildStatusBar() {
    struct PanelSpec {
        const char* key;
        QString text;
        QString tip;
    };
    const PanelSpec panels[] = {
        {"Status", Q(StatusPanelText("")), QStringLiteral("送信データ")},
        {"Settings", QStringLiteral("設定: "), QStringLiteral("通信ポートの設定")},
        {"ConnectTime", QString(), QStringLiteral("接続時間")},
        {"CutWLen", QString(), QStringLiteral("電線を加工した長さ")},
        {"ZanWLen", QString(), QStringLiteral("電線の残りの長さ")},
    };
    statusBar()->setObjectName("sbrStatus");
    for (const PanelSpec& spec : panels) {
        auto* label = new QLabel(spec.text, this);
        label->setObjectName(spec.key);
        label->setToolTip(spec.tip);
        label->setFrameShape(QFrame::StyledPanel);
        statusBar()->addWidget(label, QString(spec.key) == "Status" ? 1 : 0);
    }
}

void frmTerminal::buildClientArea() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);

    m_txtTerm = new QPlainTextEdit(client);
    m_txtTerm->setObjectName("txtTerm");
    QPalette palette = m_txtTerm->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 255));
    m_txtTerm->setPalette(palette);
    m_txtTerm->moveCursor(QTextCursor::End);
    m_txtTerm->installEventFilter(this);

    m_BanList = new QListWidget(client);
    m_BanList->setObjectName("BanList");
    m_BanList->hide();

    m_FlGrid = new QTableView(client);
    m_FlGrid->setObjectName("FlGrid");
    m_Grid1 = new QTableView(client);
    m_Grid1->setObjectName("Grid1");
    m_Grid1->hide();
    for (QTableView* grid : {m_FlGrid, m_Grid1}) {
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->verticalHeader()->hide();
        grid->installEventFilter(this);
    }
    m_FlGrid->setModel(&m_setModel);
    m_Grid1->setModel(&m_wireModel);
    connect(m_FlGrid, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { OpenDataSet(index.row()); });
    connect(m_Grid1, &QTableView::doubleClicked, this, [this] { WireGridAction(); });
    connect(m_BanList, &QListWidget::currentRowChanged, this, [this] { FillDataSetGrid(); });

    m_SendMsgText = new QLabel(QStringLiteral("データ送信中"), client);
    m_SendMsgText->setObjectName("SendMsgText");
    m_SendMsgText->hide();
}

void frmTerminal::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layoutClientArea();
}

void frmTerminal::layoutClientArea() {
    QWidget* client = centralWidget();
    const int twipsPerPixel = TwipsPerPixel();
    auto px = [twipsPerPixel](int twips) { return twips / twipsPerPixel; };
    const int windowWidth = width() * twipsPerPixel;
    const int windowHeight = height() * twipsPerPixel;

    m_txtTerm->setGeometry(client->rect());

    QRect grid(px(kGridLeft), px(kGridTop), m_FlGrid->width(), m_FlGrid->height());
    if (windowWidth - 1725 > 2000)
        grid.setWidth(px(windowWidth - 250));
    if (windowHeight > 2500)
        grid.setHeight(px(windowHeight - 1580));
    grid = grid.intersected(client->rect());
    m_FlGrid->setGeometry(grid);
    m_Grid1->setGeometry(grid);
    m_BanList->setGeometry(
        grid.x(), grid.y(), grid.width(),
        std::max(0, std::min(px(windowHeight - 1630), client->height() - grid.y())));
    m_SendMsgText->adjustSize();
    m_SendMsgText->move(client->width() - m_SendMsgText->width() - px(kGridLeft), 0);
}

QLabel* frmTerminal::panel(const QString& key) const {
    return statusBar()->findChild<QLabel*>(key, Qt::FindDirectChildrenOnly);
}

void frmTerminal::showWireLengths() {
    const IniData& ini = m_session.ini();
    panel("CutWLen")->setText(Q(CutWLenPanelText(ini.CutWLen)));
    panel("ZanWLen")->setText(Q(ZanWLenPanelText(ini.ZanWLen)));
    const bool tracking = ini.ZanWLenFlg == 1;
    panel("CutWLen")->setVisible(tracking);
    panel("ZanWLen")->setVisible(tracking);
}

void frmTerminal::ShowPortState(bool open, const std::string& settings) {
    m_mnuOpen->setChecked(open);
    m_imgConnected->setVisible(open);
    m_imgNotConnected->setVisible(!open);
    m_mnuHangUp->setEnabled(open);
    panel("Settings")->setText(QStringLiteral("設定: ") + (open ? Q(settings) : QString()));
    if (open) {
        if (!m_Timer1->isActive()) {
            m_portOpenTime = std::chrono::system_clock::now();
            m_Timer1->start();
        }
    } else {
        m_Timer1->stop();
    }
}

void frmTerminal::ShowStatus(const std::string& text) {
    panel("Status")->setText(Q(text));
}

void frmTerminal::StartStatusReset() {
    m_Timer2->start();
}

void frmTerminal::AppendTerminal(const std::string& text) {
    m_terminalText = ShowData(m_terminalText, Q(text));
    QString shown = m_terminalText;
    m_txtTerm->setPlainText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_txtTerm->moveCursor(QTextCursor::End);
}

void frmTerminal::SetWireGridShown(bool shown) {
    m_Grid1->setVisible(shown && m_wireView);
    // Shown again after a port toggle: the cursor goes to the first wire, column 1 ("長さ").
    if (shown && m_wireModel.rowCount() > 0 && m_wireModel.columnCount() > 1) {
        m_Grid1->selectionModel()->setCurrentIndex(m_wireModel.index(0, 1),
                                                   QItemSelectionModel::ClearAndSelect);
    }
}

void frmTerminal::Beep() {
    QApplication::beep();
}

void frmTerminal::DefaultPointer() {
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
}

bool frmTerminal::eventFilter(QObject* watched, QEvent* event) {
    // A key that types something (Enter and Space too), without Shift, on a grid starts the
    // grid's action; the cursor keys keep moving the cursor.
    if ((watched == m_FlGrid || watched == m_Grid1) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && !(key->modifiers() & Qt::ShiftModifier)) {
            if (watched == m_FlGrid) {
                OpenDataSet(m_FlGrid->currentIndex().row());
            } else {
                WireGridAction();
            }
            return true;
        }
    }
    // Keys typed in the terminal box go to the machine while the port is open; without echo
    // they are not shown.
    if (watched == m_txtTerm && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && m_serial.isOpen()) {
            m_link->SendTyped(key->text().toStdString());
            if (!m_session.echo())
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmTerminal::mnuOpen_Click() {
    m_link->TogglePort();
}

void frmTerminal::mnuFileOpen_Click() {
    QFileDialog dialog(this, QStringLiteral("キャスティングファイルを指定してください。"),
                       QString::fromStdString(m_session.ini().DataPath),
                       QStringLiteral("*.txt (*.txt)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(QStringLiteral("*.txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        if (m_BanList->count() > 0)
            m_BanList->setCurrentRow(0);
        return;
    }
    OpenCastingFile(dialog.selectedFiles().front().toStdString());
}

void frmTerminal::OpenCastingFile(const std::filesystem::path& path) {
    Messenger& messenger = m_session.messenger();
    m_session.ini().DataPath = path.parent_path().string();
    if (m_session.settings().WriteIniFile())
        messenger.Warn(texts::IniWriteError(m_session.settings().userFolder()));

    // The file is read aside: a read that fails part-way shows its message and leaves the
    // screen, the open set and its done marks as they were.
    CastingData read;
    std::string why;
    if (!ReadCastingData(path, read, messenger, &why)) {
        m_session.debugLog().Write(why);
        return;
    }
    m_casting = std::move(read);
    // The open set belonged to the previous file: its wires can no longer be started.
    m_currentSet = -1;
    m_procEndFlg.clear();
    m_wireRowIndex.clear();
    m_wireModel.setGrid(TextGrid{});
    m_highlighted = -1;
    setWindowTitle(Q(WindowCaption(m_session.runMode())));
    m_BanList->clear();
    for (const std::string& panel : PanelList(m_casting))
        m_BanList->addItem(Q(panel));
    if (m_casting.sets.empty()) {
        messenger.Warn("キャスティングデータがありません。(" + path.string() + ")");
    } else {
        m_BanList->setCurrentRow(0);
    }
    FillDataSetGrid();
}

void frmTerminal::FillDataSetGrid() {
    const StripEnvironment* environment = EnvironmentInUse(m_session.ini());
    DataSetRows rows = BuildDataSetGrid(m_casting, environment ? environment->WtkFlag : 0);
    m_setRowIndex = std::move(rows.setIndex);
    m_setModel.setGrid(std::move(rows.grid));
    SetColumnWidths(m_FlGrid, m_setModel.grid());
    m_wireView = false;
    m_Grid1->hide();
    m_FlGrid->show();
}

int frmTerminal::TwipsPerPixel() const {
    return std::max(1, 1440 / std::max(1, logicalDpiX()));
}

void frmTerminal::SetColumnWidths(QTableView* view, const TextGrid& grid) {
    for (std::size_t i = 0; i < grid.widths.size(); ++i) {
        view->setColumnWidth(static_cast<int>(i), grid.widths[i] / TwipsPerPixel());
    }
}

void frmTerminal::SelectRow(QTableView* grid, std::optional<int> row) {
    grid->clearSelection();
    if (!row) {
        grid->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    const QModelIndex cell = grid->model()->index(*row, 1);
    grid->selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void frmTerminal::OpenDataSet(int row) {
    Messenger& messenger = m_session.messenger();
    if (m_casting.wires.empty()) {
        messenger.MsgBox("データがありません。", MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    if (m_link->NeedsOpening())
        m_link->TogglePort();
    std::optional<OpenedSet> opened = OpenSet(m_casting, m_setModel.rowTexts(row));
    if (!opened) {
        messenger.Warn("指定データがありません");
        return;
    }
    setWindowTitle(
        Q(SetCaption(m_casting.sets[static_cast<std::size_t>(opened->set)], m_session.runMode())));

    m_procEndFlg = std::move(opened->procEndFlg);
    m_wireRowIndex = std::move(opened->wireIndex);
    m_wireModel.setGrid(std::move(opened->grid));
    SetColumnWidths(m_Grid1, m_wireModel.grid());
    m_currentSet = opened->set;
    m_setWireSize = opened->wireSize;
    m_highlighted = -1;
    m_wireView = true;
    m_FlGrid->hide();
    m_Grid1->show();
    SelectRow(m_Grid1, opened->cursor);
    m_Grid1->setFocus();

    m_link->SendCutterValues(opened->wireKind, opened->wireSize);
}

void frmTerminal::WireGridAction() {
    m_link->ResetPortErrorShown();
    if (m_jobStart) {
        m_jobStart();
    } else {
        m_job->Start();
    }
    DefaultPointer();
}

// --- the processing job's view ---

bool frmTerminal::JobShown() const {
    return !m_SendMsgText->isHidden();
}

void frmTerminal::ShowJob(bool running) {
    m_SendMsgText->setVisible(running);
    for (const char* name : {"mnuFile", "mnuPort", "mnuOption", "mnuHelp"}) {
        if (auto* menu = menuBar()->findChild<QMenu*>(name))
            menu->menuAction()->setEnabled(!running);
    }
    for (QAction* action : menuBar()->actions()) {
        if (action->objectName() == "mnuChgin")
            action->setEnabled(!running);
    }
    m_tbrToolBar->setEnabled(!running);
}

void frmTerminal::BusyPointer() {
    if (QApplication::overrideCursor() == nullptr)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

std::string frmTerminal::Caption() const {
    return windowTitle().toStdString();
}

int frmTerminal::WireColumnCount() const {
    return m_wireModel.columnCount();
}

int frmTerminal::WireRowCount() const {
    return m_wireModel.rowCount();
}

std::optional<int> frmTerminal::CurrentWireRow() const {
    const QModelIndex current = m_Grid1->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return current.row();
}

std::string frmTerminal::WireCell(int row, int column) const {
    const std::vector<std::string> cells = m_wireModel.rowTexts(row);
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)]
                                                           : std::string();
}

std::string frmTerminal::SetWireSize() const {
    return m_setWireSize;
}

void frmTerminal::MarkWireDone(int row) {
    m_wireModel.setRowColour(row, TextGridModel::Green());
    if (static_cast<std::size_t>(row) < m_procEndFlg.size())
        m_procEndFlg[static_cast<std::size_t>(row)] = 1;
}

int frmTerminal::TopWireRow() const {
    const int top = m_Grid1->rowAt(0);
    return top < 0 ? 0 : top;
}

int frmTerminal::LastVisibleWireRow() const {
    const int bottom = m_Grid1->rowAt(m_Grid1->viewport()->height() - 1);
    // Below the last row the viewport is empty: every row down to the last is visible.
    return bottom < 0 ? m_wireModel.rowCount() - 1 : bottom;
}

void frmTerminal::ScrollWireRows(int rows) {
    const int top = TopWireRow() + rows;
    m_Grid1->scrollTo(m_wireModel.index(top, 0), QAbstractItemView::PositionAtTop);
}

void frmTerminal::SetCurrentWireRow(int row) {
    m_Grid1->selectionModel()->setCurrentIndex(m_wireModel.index(row, 0),
                                               QItemSelectionModel::NoUpdate);
}

void frmTerminal::SelectWireRow(int row) {
    const int last = m_wireModel.columnCount() - 1;
    m_Grid1->selectionModel()->setCurrentIndex(m_wireModel.index(row, 1),
                                               QItemSelectionModel::NoUpdate);
    m_Grid1->selectionModel()->select(
        QItemSelection(m_wireModel.index(row, 1), m_wireModel.index(row, last)),
        QItemSelectionModel::ClearAndSelect);
}

void frmTerminal::FocusWireGrid() {
    const QModelIndex current = m_Grid1->currentIndex();
    if (current.isValid()) {
        m_Grid1->selectionModel()->setCurrentIndex(m_wireModel.index(current.row(), 0),
                                                   QItemSelectionModel::NoUpdate);
    }
    m_Grid1->setFocus();
}

void frmTerminal::ShowWireLengths() {
    showWireLengths();
}

void frmTerminal::SetTimer3(bool on) {
    if (on) {
        m_Timer3->start();
    } else {
        m_Timer3->stop();
    }
}

void frmTerminal::mnuChgin_Click() {
    if (!m_wireView || m_currentSet < 0)
        return;
    setWindowTitle(Q(WindowCaption(m_session.runMode())));
    bool allDone = true;
    for (std::size_t i = 0; i < m_wireRowIndex.size() && i < m_procEndFlg.size(); ++i) {
        m_casting.wires[static_cast<std::size_t>(m_wireRowIndex[i])].DoneFlg = m_procEndFlg[i];
        allDone = allDone && m_procEndFlg[i] == 1;
    }
    CastingSet& set = m_casting.sets[static_cast<std::size_t>(m_currentSet)];
    set.DoneFlg = allDone ? 1 : 0;
    std::optional<int> firstWhite;
    for (std::size_t row = 0; row < m_setRowIndex.size(); ++row) {
        if (m_setRowIndex[row] == m_currentSet) {
            m_setModel.setRowColour(static_cast<int>(row),
                                    allDone ? TextGridModel::Green() : TextGridModel::White());
        }
        if (!firstWhite && m_setModel.rowColour(static_cast<int>(row)) != TextGridModel::Green()) {
            firstWhite = static_cast<int>(row);
        }
    }
    m_wireView = false;
    m_Grid1->hide();
    m_FlGrid->show();
    SelectRow(m_FlGrid, firstWhite);
    m_link->registers().ClearWire();
}

void frmTerminal::mnuOptionClsFixFlg_Click() {
    if (m_wireView) {
        const QModelIndex current = m_Grid1->currentIndex();
        if (!current.isValid())
            return;
        int from = current.row();
        int to = from;
        for (const QModelIndex& selected : m_Grid1->selectionModel()->selectedRows()) {
            from = std::min(from, selected.row());
            to = std::max(to, selected.row());
        }
        for (int row = from; row <= to && row < static_cast<int>(m_procEndFlg.size()); ++row) {
            m_procEndFlg[static_cast<std::size_t>(row)] = 0;
            m_wireModel.setRowColour(row, TextGridModel::White());
        }
        m_Grid1->setCurrentIndex(current);
        return;
    }
    const QModelIndexList rows = m_FlGrid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    int top = rows.front().row();
    for (const QModelIndex& index : rows)
        top = std::min(top, index.row());
    const int set = m_setRowIndex[static_cast<std::size_t>(top)];
    m_casting.sets[static_cast<std::size_t>(set)].DoneFlg = 0;
    m_setModel.setRowColour(top, TextGridModel::White());
    for (CastingWire& wire : m_casting.wires) {
        if (wire.SetIndex == set)
            wire.DoneFlg = 0;
    }
}

void frmTerminal::HighlightWireRow(int row) {
    if (m_highlighted >= 0) {
        const bool done = static_cast<std::size_t>(m_highlighted) < m_procEndFlg.size() &&
                          m_procEndFlg[static_cast<std::size_t>(m_highlighted)] == 1;
        m_wireModel.setRowColour(m_highlighted,
                                 done ? TextGridModel::Green() : TextGridModel::White());
    }
    m_wireModel.setRowColour(row, TextGridModel::Yellow());
    m_highlighted = row;
}

void frmTerminal::mnuHangUp_Click() {
    m_link->HangUp();
}

void frmTerminal::mnuProperties_Click() {
    frmPropSeting dialog(
        m_session, m_serial, [this](bool open) { ShowPortState(open, m_serial.settings()); }, this);
    dialog.exec();
}

void frmTerminal::mnuOptionStrip_Click() {
    frmStripSeting dialog(
        m_session, m_wireView,
        [this] {
            // The data-set list depends on the wire-list flag of the environment in use.
            if (castingLoaded()) {
                FillDataSetGrid();
                m_BanList->setCurrentRow(0);
            }
        },
        [this](int code) { EndProgram(code); }, this);
    dialog.exec();
}

void frmTerminal::mnuOptionSetCutter_Click() {
    frmEnvCutter dialog(
        m_session, [this](int code) { EndProgram(code); }, this);
    dialog.exec();
}

void frmTerminal::mnuOptionSetZanWLen_Click() {
    frmZanWLen dialog(
        m_session, [this] { showWireLengths(); }, [this](int code) { EndProgram(code); }, this);
    dialog.exec();
}

void frmTerminal::Timer1_Timer() {
    auto connected = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now() - m_portOpenTime);
    panel("ConnectTime")->setText(Q(ConnectTimeText(connected)));
    m_session.TickCountdown();
}

void frmTerminal::Timer2_Timer() {
    panel("Status")->setText(Q(StatusPanelText("")));
    m_Timer2->stop();
}

void frmTerminal::mnuFilePrint_Click() {
    Messenger& messenger = m_session.messenger();
    const std::string caption = windowTitle().toStdString();
    if (!castingLoaded()) {
        messenger.MsgBox(texts::kLoadCastingFirst, MsgButtons::Ok, MsgIcon::Warning, caption);
        return;
    }
    // Templates are chosen as "*.xls"; the pattern also offers the workbooks of later
    // spreadsheet versions, which the template filler reads.
    QFileDialog dialog(this, Q(texts::kChooseTemplate),
                       QString::fromStdString(m_session.ini().PrintFile),
                       QStringLiteral("*.xls (*.xls *.xlsx)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.selectFile(QStringLiteral("*.xls"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_session.ini().PrintFile = dialog.selectedFiles().front().toStdString();

    // Without a printer the message still comes; the print dialog then offers to keep the
    // table as a PDF or a workbook instead of ending here.
    std::string printer = printing::DefaultPrinterName();
    if (printer.empty())
        messenger.MsgBox(texts::kNoPrinter, MsgButtons::Ok, MsgIcon::Warning, caption);
    printing::frmWMBs printDialog(m_session.ini().PrintFile, m_casting, messenger, printer, this);
    printDialog.exec();
    if (m_session.settings().WriteIniFile()) {
        messenger.Warn(texts::IniWriteError(m_session.settings().userFolder()));
        EndProgram(1);
    }
}

void frmTerminal::mnuFileDryRun_Click() {
    if (!castingLoaded()) {
        m_session.messenger().MsgBox(texts::kLoadCastingFirst, MsgButtons::Ok, MsgIcon::Warning,
                                     windowTitle().toStdString());
        return;
    }
    std::string text;
    const DryRunSummary summary = CheckCasting(m_session, m_casting, text);
    frmDryRun dialog(text, summary.goesThrough(), this);
    dialog.exec();
}

void frmTerminal::mnuFileExit_Click() {
    ShutdownOutcome outcome = m_session.Shutdown(m_port);
    // The menu ends the program in every case, after Abort too (then without saving).
    EndProgram(outcome == ShutdownOutcome::WriteFailed ? 1 : 0);
}

void frmTerminal::closeEvent(QCloseEvent* event) {
    if (m_ending) {
        event->accept();
        return;
    }
    ShutdownOutcome outcome = m_session.Shutdown(m_port);
    if (outcome == ShutdownOutcome::Aborted) {
        event->ignore();
        return;
    }
    event->accept();
    EndProgram(outcome == ShutdownOutcome::WriteFailed ? 1 : 0);
}

void frmTerminal::EndProgram(int code) {
    m_ending = true;
    m_exitCode = code;
    QApplication::restoreOverrideCursor();
    hide();
    QCoreApplication::exit(code);
}

void frmTerminal::mnuHelpVersion_Click() {
    frmAbout about(this);
    about.exec();
}

}  // namespace kablos
