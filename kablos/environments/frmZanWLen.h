#pragma once

// The remaining-wire dialog "残り電線長の設定": remaining-wire tracking on or off and the length
// left on the reel, in metres. Its rules are StoreRemainingWire's.

#include <QDialog>
#include <functional>

#include "Session.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kablos {

class frmZanWLen : public QDialog {
    Q_OBJECT
public:
    /// `showWireLengths` shows the main window's wire panels from the settings; `endProgram`
    /// ends the program after a failed save.
    frmZanWLen(Session& session, std::function<void()> showWireLengths,
               std::function<void(int)> endProgram, QWidget* parent = nullptr);

public slots:
    void OKButtoun_Click();
    void reject() override;

private:
    void showTracking(bool on);

    Session& m_session;
    std::function<void()> m_showWireLengths;
    std::function<void(int)> m_endProgram;
    QCheckBox* m_ZanWLenCheck = nullptr;
    QLabel* m_lblZanWLen = nullptr;
    QLineEdit* m_ZanWLenText = nullptr;
};

}  // namespace kablos
