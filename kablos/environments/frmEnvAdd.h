#pragma once

// The environment dialog "環境の追加・変更": adds, renames and deletes strip environments in
// memory, over the strip editor, whose environment box follows at once.

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace kablos {

class frmStripSeting;

class frmEnvAdd : public QDialog {
    Q_OBJECT
public:
    explicit frmEnvAdd(frmStripSeting& strip);

    /// The selected entry of the environment list, -1 when none is.
    int selectedEntry() const;

public slots:
    void AddButton_Click();
    void ChgButton_Click();
    void DelButton_Click();

private:
    void fillList();

    frmStripSeting& m_strip;
    QListWidget* m_EnvList = nullptr;
    QLineEdit* m_NewEnvText = nullptr;
};

}  // namespace kablos
