#pragma once

// The main window of KABLOS: menus, tool bar, status bar, the terminal box, the data-set and wire
// grids, and the three timers. Its rules live in Session; the window shows them and forwards the
// user's commands.

#include <QMainWindow>
#include <QString>
#include <QStyle>
#include <memory>

#include "EventPump.h"
#include "MachineLink.h"
#include "SerialPort.h"
#include "Session.h"

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

class frmTerminal : public QMainWindow, public LinkView {
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

    /// True while casting data is loaded (at least one data set).
    bool castingLoaded() const { return m_castingLoaded; }

    /// The status-bar panel with the given key ("Status", "Settings", "ConnectTime", "CutWLen",
    /// "ZanWLen").
    QLabel* panel(const QString& key) const;

    /// Shows the remaining-wire panels from the settings, visible only while tracking is on.
    void showWireLengths();

    /// The exit code the window asks the program to end with (set when it ends itself).
    int exitCode() const { return m_exitCode; }

public slots:
    void mnuOpen_Click();
    void mnuHangUp_Click();
    void mnuProperties_Click();
    void mnuFilePrint_Click();
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

    Session& m_session;
    SerialPort m_serial;
    QtEventPump m_pump;
    std::unique_ptr<MachineLink> m_link;
    PortControl* m_port = nullptr;
    QString m_terminalText;
    bool m_wireView = false;  ///< the wire grid is the view (else the data-set grid)
    bool m_castingLoaded = false;
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
