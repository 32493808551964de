#include "frmZanWLen.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "EnvironmentRules.h"

namespace kablos {

frmZanWLen::frmZanWLen(Session& session, std::function<void()> showWireLengths,
                       std::function<void(int)> endProgram, QWidget* parent)
    : QDialog(parent),
      m_session(session),
      m_showWireLengths(std::move(showWireLengths)),
      m_endProgram(std::move(endProgram)) {
    setObjectName("frmZanWLen");
    setWindowTitle(QStringLiteral("残り電線長の設定"));
    setModal(true);

    m_ZanWLenCheck = new QCheckBox(QStringLiteral("残り電線指定を有効にする"), this);
    m_ZanWLenCheck->setObjectName("ZanWLenCheck");
    m_lblZanWLen = new QLabel(QStringLiteral("残り電線の長さ："), this);
    m_lblZanWLen->setObjectName("lblZanWLen");
    m_ZanWLenText = new QLineEdit(this);
    m_ZanWLenText->setObjectName("ZanWLenText");
    auto* metres = new QLabel(QStringLiteral("m"), this);
    auto* okButton = new QPushButton(QStringLiteral("&OK"), this);
    okButton->setObjectName("OKButtoun");
    auto* cancelButton = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    cancelButton->setObjectName("CancelButton");
    cancelButton->setAutoDefault(false);
    okButton->setDefault(true);

    auto* length = new QHBoxLayout;
    length->addWidget(m_lblZanWLen);
    length->addWidget(m_ZanWLenText, 1);
    length->addWidget(metres);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_ZanWLenCheck);
    layout->addLayout(length);
    layout->addLayout(buttons);

    const IniData& ini = session.ini();
    m_ZanWLenText->setText(QString::fromStdString(MetresText(ini.ZanWLen)));
    m_ZanWLenCheck->setChecked(ini.ZanWLenFlg == 1);
    showTracking(ini.ZanWLenFlg == 1);
    // Ticking switches tracking at once, before OK.
    connect(m_ZanWLenCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_session.ini().ZanWLenFlg = on ? 1 : 0;
        showTracking(on);
    });
    connect(okButton, &QPushButton::clicked, this, &frmZanWLen::OKButtoun_Click);
    connect(cancelButton, &QPushButton::clicked, this, &frmZanWLen::reject);
}

void frmZanWLen::showTracking(bool on) {
    m_ZanWLenText->setEnabled(on);
    m_lblZanWLen->setEnabled(on);
    QPalette palette = m_ZanWLenText->palette();
    const QColor background = on ? QColor(Qt::white) : palette.color(QPalette::Button);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    m_ZanWLenText->setPalette(palette);
}

void frmZanWLen::OKButtoun_Click() {
    switch (StoreRemainingWire(m_ZanWLenText->text().toStdString(), m_session.settings(),
                               m_session.messenger(), windowTitle().toStdString())) {
        case RemainingWireOk::Refused:
            return;
        case RemainingWireOk::Failed:
            QDialog::reject();
            if (m_endProgram)
                m_endProgram(1);
            return;
        case RemainingWireOk::Saved:
            if (m_showWireLengths)
                m_showWireLengths();
            accept();
            return;
    }
}

void frmZanWLen::reject() {
    // Lengths stay as they were; the tracking switch has already taken effect, so the wire
    // panels follow it.
    if (m_showWireLengths)
        m_showWireLengths();
    QDialog::reject();
}

}  // namespace kablos
