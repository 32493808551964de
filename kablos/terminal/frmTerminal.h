#pragma once

// The main window of KABLOS: menus, tool bar, status bar, the terminal box, the data-set and wire
// grids, and the three timers. Its rules live in Session; the window shows them and forwards the
// user's commands.

#include <QMainWindow>
#include <QString>
#include <QStyle>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "EventPump.h"
#include "MachineLink.h"
#include "ProcessingJob.h"
#include "SerialPort.h"
#include "Session.h"
#include "TextGridModel.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;

namespace kablos {

class frmTerminal : public QMainWindow, public LinkView, public JobView {
    Q_OBJECT
public:
    /// `session` has been started (Session::Start) and outlives the window. The serial port
    /// takes the per-user port values the session read.
    explicit frmTerminal(Session& session, QWidget* parent = nullptr);
    ~frmTerminal() override;

    SerialPort& serialPort() { return m_serial; }
    MachineLink& link() { return *m_link; }
    /// What the shutdown drains and hangs up; the machine link unless a test puts in another.
    void setPortControl(PortControl* port) { m_port = port; }

    // LinkView
    void ShowPortState(bool open, const std::string& settings) override;
    void ShowStatus(const std::string& text) override;
    void StartStatusReset() override;
    void AppendTerminal(const std::string& text) override;
    void SetWireGridShown(bool shown) override;
    void Beep() override;
    void DefaultPointer() override;
    void EndProgram(int code) override;

    // JobView
    bool JobShown() const override;
    void ShowJob(bool running) override;
    void BusyPointer() override;
    std::string Caption() const override;
    int WireColumnCount() const override;
    int WireRowCount() const override;
    std::optional<int> CurrentWireRow() const override;
    std::string WireCell(int row, int column) const override;
    std::string SetWireSize() const override;
    void MarkWireDone(int row) override;
    int TopWireRow() const override;
    int LastVisibleWireRow() const override;
    void ScrollWireRows(int rows) override;
    void SetCurrentWireRow(int row) override;
    void SelectWireRow(int row) override;
    void FocusWireGrid() override;
    void ShowWireLengths() override;
    void SetTimer3(bool on) override;

    /// The processing job of the wire grid.
    ProcessingJob& job() { return *m_job; }

    /// True while the wire grid is the view (else the data-set grid).
    bool wireGridShown() const { return m_wireView; }
    /// True while casting data is loaded (at least one data set).
    bool castingLoaded() const { return !m_casting.sets.empty(); }
    CastingData& casting() { return m_casting; }

    /// Reads a casting data file as the open command does after its file dialog: remembers
    /// its folder in DataPath, fills the panel list and the data-set grid.
    void OpenCastingFile(const std::filesystem::path& path);
    /// Opens the set of a data-set grid row in the wire grid and sends its cutter settings.
    void OpenDataSet(int row);
    /// The set shown in the wire grid, -1 while none is.
    int currentSet() const { return m_currentSet; }
    /// One flag per wire grid row: 1 when the wire is processed.
    std::vector<std::int16_t>& ProcEndFlg() { return m_procEndFlg; }
    /// Paints the previous highlighted wire row green (processed) or white and `row` yellow.
    void HighlightWireRow(int row);
    TextGridModel& setModel() { return m_setModel; }
    TextGridModel& wireModel() { return m_wireModel; }
    /// Puts another action in place of the processing job (tests).
    void setJobStart(std::function<void()> jobStart) { m_jobStart = std::move(jobStart); }

    /// The status-bar panel with the given key ("Status", "Settings", "ConnectTime", "CutWLen",
    /// "ZanWLen").
    QLabel* panel(const QString& key) const;

    /// Shows the remaining-wire panels from the settings, visible only while tracking is on.
    void showWireLengths();

    /// The exit code the window asks the program to end with (set when it ends itself).
    int exitCode() const { return m_exitCode; }

public slots:
    void mnuFileOpen_Click();
    void mnuChgin_Click();
    void mnuOptionClsFixFlg_Click();
    void mnuOpen_Click();
    void mnuHangUp_Click();
    void mnuProperties_Click();
    void mnuOptionStrip_Click();
    void mnuOptionSetCutter_Click();
    void mnuOptionSetZanWLen_Click();
    void mnuFilePrint_Click();
    /// The dry run of the loaded casting data in a dialog (frmDryRun.h).
    void mnuFileDryRun_Click();
    void mnuFileExit_Click();
    void mnuHelpVersion_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void Timer1_Timer();
    void Timer2_Timer();

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildClientArea();
    void layoutClientArea();
    QAction* addMenuItem(QMenu* menu, const char* name, const QString& caption);
    QAction* addToolButton(const char* key, const QString& tip, QStyle::StandardPixmap icon);
    void FillDataSetGrid();
    void SelectRow(QTableView* grid, std::optional<int> row);
    /// Twips (1/1440 inch) per pixel of the screen: the layout relations are given in twips.
    int TwipsPerPixel() const;
    void SetColumnWidths(QTableView* view, const TextGrid& grid);
    void WireGridAction();

    Session& m_session;
    SerialPort m_serial;
    QtEventPump m_pump;
    std::unique_ptr<MachineLink> m_link;
    std::unique_ptr<ProcessingJob> m_job;
    PortControl* m_port = nullptr;
    QString m_terminalText;
    bool m_wireView = false;  ///< the wire grid is the view (else the data-set grid)
    CastingData m_casting;
    TextGridModel m_setModel;
    TextGridModel m_wireModel;
    std::vector<int> m_setRowIndex;   ///< set of each data-set grid row
    std::vector<int> m_wireRowIndex;  ///< wire record of each wire grid row
    int m_currentSet = -1;
    std::string m_setWireSize;  ///< "電線サイズ" of the set in the wire grid
    std::vector<std::int16_t> m_procEndFlg;
    int m_highlighted = -1;
    std::function<void()> m_jobStart;
    std::chrono::system_clock::time_point m_portOpenTime;
    bool m_ending = false;
    int m_exitCode = 0;

    QPlainTextEdit* m_txtTerm = nullptr;
    QListWidget* m_BanList = nullptr;
    QTableView* m_FlGrid = nullptr;
    QTableView* m_Grid1 = nullptr;
    QLabel* m_SendMsgText = nullptr;
    QToolBar* m_tbrToolBar = nullptr;
    QAction* m_imgConnected = nullptr;
    QAction* m_imgNotConnected = nullptr;
    QAction* m_mnuOpen = nullptr;
    QAction* m_mnuHangUp = nullptr;
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer2 = nullptr;
    QTimer* m_Timer3 = nullptr;
};

}  // namespace kablos
