#pragma once

// The cutter table editor "カッターの設定": the cutter grid, whose rows replace the cutter table
// on OK.

#include <QDialog>
#include <functional>

#include "EditGrid.h"
#include "Session.h"

class QPushButton;

namespace kablos {

class frmEnvCutter : public QDialog {
    Q_OBJECT
public:
    /// `endProgram` ends the program after a failed save.
    frmEnvCutter(Session& session, std::function<void(int)> endProgram, QWidget* parent = nullptr);

    EditGrid& grid() { return *m_SpdCutter; }
    EditTable& table() { return m_table; }

public slots:
    void OkButton_Click();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Session& m_session;
    std::function<void(int)> m_endProgram;
    EditTable m_table;
    EditGrid* m_SpdCutter = nullptr;
    std::vector<QPushButton*> m_buttons;
};

}  // namespace kablos
