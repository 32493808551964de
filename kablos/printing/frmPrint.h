#pragma once

// The progress window of the table print: the progress text and a cancel button. It is shown
// without blocking the program while the workbook is built; cancel takes effect at the next
// data set or new page.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kablos::printing {

class frmPrint : public QDialog {
    Q_OBJECT
public:
    explicit frmPrint(QWidget* parent = nullptr);

    void setProgress(const QString& text);
    QString progress() const;
    bool cancelled() const { return m_cancelled; }
    QPushButton* cancelButton() const { return m_CmdCancel; }

public slots:
    void CmdCancel_Click();

protected:
    void reject() override;

private:
    QLabel* m_Label1;
    QPushButton* m_CmdCancel;
    bool m_cancelled = false;
};

}  // namespace kablos::printing
