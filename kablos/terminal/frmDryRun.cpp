#include "frmDryRun.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QVBoxLayout>
#include <sstream>

#include "ConsoleMessenger.h"
#include "UserDataPath.h"
#include "common/files.h"
#include "printing/PrintSettings.h"
#include "printing/Printers.h"
#include "printing/TablePrint.h"

namespace kablos {
namespace {

constexpr int kLpTimeoutMs = 60000;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DryRunSummary CheckCasting(Session& session, const CastingData& casting, std::string& text) {
    std::stringstream messages;
    ConsoleMessenger messenger(messages);
    Session check(messenger, UserDataPath, common::ExecutableFolder());
    check.ini() = session.ini();
    check.setProtocol(session.protocol());
    check.port() = session.port();
    std::ostringstream report;
    const DryRunSummary summary = RunDryRun(check, casting, std::nullopt, messages, report);
    text = summary.Text() + "\n" + report.str();
    return summary;
}

frmDryRun::frmDryRun(const std::string& text, bool goesThrough, QWidget* parent) : QDialog(parent) {
    setObjectName("frmDryRun");
    setWindowTitle(QStringLiteral("送信内容の確認"));
    auto* layout = new QVBoxLayout(this);
    auto* verdict = new QLabel(goesThrough ? QStringLiteral("全ての電線を加工できます。")
                                           : QStringLiteral("加工できない電線があります。"),
                               this);
    verdict->setObjectName("lblVerdict");
    QFont bold = verdict->font();
    bold.setBold(true);
    verdict->setFont(bold);
    layout->addWidget(verdict);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("txtReport");
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_text->setPlainText(Q(text));
    layout->addWidget(m_text);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print =
        buttons->addButton(QStringLiteral("印刷(&P)..."), QDialogButtonBox::ActionRole);
    print->setObjectName("cmdPrint");
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName("cmdClose");
    connect(print, &QPushButton::clicked, this, &frmDryRun::Print);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 560);
}

QString frmDryRun::text() const {
    return m_text->toPlainText();
}

bool frmDryRun::SavePdf(const std::filesystem::path& file) const {
    // Written beside the target first, so that a failed print leaves an earlier file whole.
    const std::filesystem::path partial = file.string() + ".partial";
    {
        QPdfWriter writer(QString::fromStdString(partial.string()));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setTitle(QStringLiteral("送信内容の確認"));
        QTextDocument document;
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(8);
        document.setDefaultFont(font);
        document.setPlainText(m_text->toPlainText());
        document.print(&writer);
    }
    std::error_code error;
    if (!std::filesystem::exists(partial, error) || std::filesystem::file_size(partial, error) == 0)
        return false;
    std::filesystem::rename(partial, file, error);
    if (error) {
        std::filesystem::remove(partial, error);
        return false;
    }
    return true;
}

void frmDryRun::Print() {
    const std::string printer = printing::DefaultPrinterName();
    if (printer.empty()) {
        const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("PDFファイルに保存"),
                                                          QStringLiteral("送信内容の確認.pdf"),
                                                          QStringLiteral("PDF (*.pdf)"));
        if (file.isEmpty())
            return;
        if (!SavePdf(file.toStdString()))
            QMessageBox::warning(this, windowTitle(), QStringLiteral("保存できませんでした。"));
        return;
    }
    QTemporaryDir folder;
    const std::filesystem::path pdf =
        std::filesystem::path(folder.path().toStdString()) / "check.pdf";
    bool printed = folder.isValid() && SavePdf(pdf);
    for (const std::vector<std::string>& command :
         printing::LpCommands(pdf, printer, printing::PrintSettings{})) {
        if (!printed)
            break;
        QStringList arguments;
        for (std::size_t i = 1; i < command.size(); ++i)
            arguments << QString::fromStdString(command[i]);
        QProcess lp;
        lp.start(QString::fromStdString(command.front()), arguments);
        printed = lp.waitForFinished(kLpTimeoutMs) && lp.exitStatus() == QProcess::NormalExit &&
                  lp.exitCode() == 0;
    }
    if (!printed)
        QMessageBox::warning(this, windowTitle(), QStringLiteral("印刷できませんでした。"));
}

}  // namespace kablos
