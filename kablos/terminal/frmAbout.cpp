#include "frmAbout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kablos {

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent), m_lblDisclaimer(new QLabel(this)), m_lblVersion(new QLabel(this)) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("ＮＩＶＯＲＡ電線加工プログラムのバージョン情報"));
    m_lblDisclaimer->setObjectName("lblDisclaimer");
    m_lblDisclaimer->setText(QStringLiteral(KABLOS_LEGAL_NOTICE));
    m_lblVersion->setObjectName("lblVersion");
    m_lblVersion->setText(VersionText());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("cmdOK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblVersion);
    layout->addWidget(m_lblDisclaimer);
    layout->addWidget(buttons);
}

QString frmAbout::VersionText() {
    return QStringLiteral("KABLOS Version ") + QStringLiteral(KABLOS_VERSION_TEXT);
}

}  // namespace kablos
