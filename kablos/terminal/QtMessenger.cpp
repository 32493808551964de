#include "QtMessenger.h"

#include <QMessageBox>

namespace kablos {
namespace {

// Message texts break lines with CR LF, which a Qt label shows as one line end.
QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QMessageBox::StandardButtons Buttons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        case MsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon Icon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

MsgAnswer Answer(int button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Abort:
            return MsgAnswer::Abort;
        case QMessageBox::Retry:
            return MsgAnswer::Retry;
        case QMessageBox::Ignore:
            return MsgAnswer::Ignore;
        default:
            return MsgAnswer::Ok;
    }
}

}  // namespace

MsgAnswer QtMessenger::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                              std::string_view caption) {
    QMessageBox box(Icon(icon), Text(caption.empty() ? kAppTitle : caption), Text(text),
                    Buttons(buttons), m_parent);
    return Answer(box.exec());
}

}  // namespace kablos
