#pragma once

// The strip environment editor "ストリップの設定": the environment box, the strip grid, the unit
// count and the wire-list flag of the shown environment. Its rules are StripEnvEditor's; the
// grid's editing operations are EditGrid's.

#include <QDialog>
#include <functional>

#include "EditGrid.h"
#include "Session.h"
#include "StripEnvEditor.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kablos {

class frmStripSeting : public QDialog {
    Q_OBJECT
public:
    /// `wireGridShown`: the main window shows its wire grid, so OK is disabled.
    /// `settingsStored` runs after OK has saved (the main window refills its data-set list);
    /// `endProgram` ends the program after a failed save.
    frmStripSeting(Session& session, bool wireGridShown, std::function<void()> settingsStored,
                   std::function<void(int)> endProgram, QWidget* parent = nullptr);

    StripEnvEditor& editor() { return m_editor; }
    EditGrid& grid() { return *m_SpdStrip; }
    /// Shows the editor's state: the environment names, the shown environment, its grid, unit
    /// count and flag.
    void showEditor();

public slots:
    void EnvAdd_Click();
    void OkButton_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* button(const char* name, const QString& caption);

    Session& m_session;
    StripEnvEditor m_editor;
    std::function<void()> m_settingsStored;
    std::function<void(int)> m_endProgram;
    QComboBox* m_EnvNameCombo = nullptr;
    EditGrid* m_SpdStrip = nullptr;
    QLabel* m_lblCutCnt = nullptr;
    QLineEdit* m_CutCntText = nullptr;
    QCheckBox* m_WTKCheck = nullptr;
    std::vector<QPushButton*> m_buttons;
    QPushButton* m_OkButton = nullptr;
};

}  // namespace kablos
