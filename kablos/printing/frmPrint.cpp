#include "printing/frmPrint.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kablos::printing {

frmPrint::frmPrint(QWidget* parent) : QDialog(parent) {
    setObjectName("frmPrint");
    setWindowTitle(QStringLiteral("処理表印刷"));
    setModal(false);
    m_Label1 = new QLabel(this);
    m_Label1->setObjectName("Label1");
    m_Label1->setMinimumWidth(320);
    m_CmdCancel = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    m_CmdCancel->setObjectName("CmdCancel");
    connect(m_CmdCancel, &QPushButton::clicked, this, &frmPrint::CmdCancel_Click);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label1);
    layout->addWidget(m_CmdCancel, 0, Qt::AlignHCenter);
}

void frmPrint::setProgress(const QString& text) {
    m_Label1->setText(text);
}

QString frmPrint::progress() const {
    return m_Label1->text();
}

void frmPrint::CmdCancel_Click() {
    m_cancelled = true;
}

void frmPrint::reject() {
    // Escape and the window's close button cancel like the button; the window stays until the
    // print is over.
    m_cancelled = true;
}

}  // namespace kablos::printing
