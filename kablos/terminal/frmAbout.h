#pragma once

#include <QDialog>

class QLabel;

namespace kablos {

/// The about box: the legal notice and "KABLOS Version major.minor.revision".
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    /// "KABLOS Version 12.0.26" for this build.
    static QString VersionText();

private:
    QLabel* m_lblDisclaimer;
    QLabel* m_lblVersion;
};

}  // namespace kablos
