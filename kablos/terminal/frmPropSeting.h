#pragma once

// The port settings dialog: port number (with the device it stands for), speed, data bits,
// parity, stop bits, handshake, echo and the machine protocol. The rules are PortProperties'.

#include <QDialog>

#include "PortProperties.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kablos {

class frmPropSeting : public QDialog {
    Q_OBJECT
public:
    /// `showPortState` tells the main window the port's state when OK reopens it.
    frmPropSeting(Session& session, SerialPort& port, std::function<void(bool)> showPortState,
                  QWidget* parent = nullptr);

    /// What the controls hold now.
    PortSelections selections() const;

public slots:
    void cmdOK_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(const PortSelections& selections);
    void showDevice(int portIndex);

    Session& m_session;
    SerialPort& m_port;
    std::function<void(bool)> m_showPortState;
    QComboBox* m_cboPort;
    QLineEdit* m_txtDevice;
    QComboBox* m_cboSpeed;
    QComboBox* m_cboDataBits;
    QComboBox* m_cboParity;
    QComboBox* m_cboStopBits;
    QButtonGroup* m_optType;
    QButtonGroup* m_optEcho;
    QButtonGroup* m_optFlow;
    QPushButton* m_cmdOK;
};

}  // namespace kablos
