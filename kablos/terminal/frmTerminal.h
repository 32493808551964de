#pragma once

// The main window of KABLOS: menus, tool bar, status bar, the terminal box, the data-set and wire
// grids, and the three timers. Its rules live in Session; the window shows them and forwards the
// user's commands.

#include <QMainWindow>
#include <QString>
#include <QStyle>

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

class frmTerminal : public QMainWindow {
    Q_OBJECT
public:
    /// `session` has been started (Session::Start) and outlives the window.
    explicit frmTerminal(Session& session, QWidget* parent = nullptr);

    /// The machine link, once there is one; without it the port counts as closed.
    void setPortControl(PortControl* port) { m_port = port; }

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
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuHelpVersion_Click();

protected:
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
    void showPortState(bool open);
    /// Ends the program with `code` once the event loop regains control.
    void endProgram(int code);

    Session& m_session;
    PortControl* m_port = nullptr;
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
    QAction* m_mnuHangUp = nullptr;
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer2 = nullptr;
    QTimer* m_Timer3 = nullptr;
};

}  // namespace kablos
