#include "printing/frmWMBs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <chrono>

#include "EventPump.h"
#include "Texts.h"
#include "printing/Printers.h"
#include "printing/frmPrint.h"

namespace kablos::printing {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::filesystem::path AskForFile(QWidget* parent, const std::filesystem::path& templatePath,
                                 OutputKind kind) {
    bool pdf = kind == OutputKind::Pdf;
    std::filesystem::path suggested =
        templatePath.parent_path() / (pdf ? "電線処理表.pdf" : "電線処理表.xlsx");
    QString file = QFileDialog::getSaveFileName(
        parent, pdf ? QStringLiteral("PDFファイルの保存先") : QStringLiteral("ブックの保存先"),
        QString::fromStdString(suggested.string()),
        pdf ? QStringLiteral("PDF (*.pdf)") : QStringLiteral("Excel ブック (*.xlsx)"));
    if (file.isEmpty())
        return {};
    std::filesystem::path path = file.toStdString();
    if (path.extension().empty())
        path += pdf ? ".pdf" : ".xlsx";
    return path;
}

}  // namespace

frmWMBs::frmWMBs(std::filesystem::path templatePath, const CastingData& casting,
                 Messenger& messenger, std::string printer, QWidget* parent)
    : QDialog(parent),
      m_template(std::move(templatePath)),
      m_data(casting),
      m_messenger(messenger),
      m_printer(std::move(printer)) {
    setObjectName("frmWMBs");
    setWindowTitle(Q(kPrintDialogCaption));
    m_chooseFile = [this](OutputKind kind) { return AskForFile(this, m_template, kind); };

    m_PrinterNameText = new QLabel(Q(m_printer), this);
    m_PrinterNameText->setObjectName("PrinterNameText");
    m_CmdPrinter = new QPushButton(QStringLiteral("プリンタ設定(&P)"), this);
    m_CmdPrinter->setObjectName("CmdPrinter");
    m_CmdPrinter->setEnabled(!m_printer.empty());
    connect(m_CmdPrinter, &QPushButton::clicked, this, &frmWMBs::CmdPrinter_Click);
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(new QLabel(QStringLiteral("プリンタ名"), this));
    printerRow->addWidget(m_PrinterNameText, 1);
    printerRow->addWidget(m_CmdPrinter);

    auto* pages = new QGroupBox(QStringLiteral("ページ範囲"), this);
    m_PageOption[0] = new QRadioButton(QStringLiteral("すべて(&L)"), pages);
    m_PageOption[1] = new QRadioButton(QStringLiteral("ページ指定(&G)"), pages);
    m_PageOption[0]->setObjectName("PageOption0");
    m_PageOption[1]->setObjectName("PageOption1");
    m_PageOption[0]->setChecked(true);
    m_PageText = new QLineEdit(pages);
    m_PageText->setObjectName("PageText");
    auto* pageLayout = new QVBoxLayout(pages);
    pageLayout->addWidget(m_PageOption[0]);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(m_PageOption[1]);
    rangeRow->addWidget(m_PageText, 1);
    pageLayout->addLayout(rangeRow);
    for (QRadioButton* option : m_PageOption)
        connect(option, &QRadioButton::toggled, this, &frmWMBs::PageOption_Click);
    PageOption_Click();

    m_CopysText = new QLineEdit(QStringLiteral("1"), this);
    m_CopysText->setObjectName("CopysText");
    auto* copies = new QFormLayout;
    copies->addRow(QStringLiteral("部数"), m_CopysText);

    // Where the table goes: the printer, or a file for a shop without one.
    auto* output = new QGroupBox(QStringLiteral("出力先"), this);
    m_OutputOption[0] = new QRadioButton(QStringLiteral("プリンタ(&R)"), output);
    m_OutputOption[1] = new QRadioButton(QStringLiteral("PDFファイルに保存(&D)"), output);
    m_OutputOption[2] = new QRadioButton(QStringLiteral("ブック(.xlsx)に保存(&B)"), output);
    auto* outputLayout = new QVBoxLayout(output);
    for (int i = 0; i < 3; ++i) {
        m_OutputOption[i]->setObjectName(QStringLiteral("OutputOption%1").arg(i));
        outputLayout->addWidget(m_OutputOption[i]);
    }
    m_OutputOption[0]->setEnabled(!m_printer.empty());
    m_OutputOption[m_printer.empty() ? 1 : 0]->setChecked(true);

    m_CmdOK = new QPushButton(QStringLiteral("&OK"), this);
    m_CmdOK->setObjectName("CmdOK");
    m_CmdOK->setDefault(true);
    m_CmdCancel = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    m_CmdCancel->setObjectName("CmdCancel");
    connect(m_CmdOK, &QPushButton::clicked, this, &frmWMBs::CmdOK_Click);
    connect(m_CmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_CmdOK);
    buttons->addWidget(m_CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addWidget(pages);
    layout->addLayout(copies);
    layout->addWidget(output);
    layout->addLayout(buttons);
}

QRadioButton* frmWMBs::outputOption(OutputKind kind) const {
    return m_OutputOption[static_cast<int>(kind)];
}

QString frmWMBs::printerName() const {
    return m_PrinterNameText->text();
}

void frmWMBs::PageOption_Click() {
    bool ranges = m_PageOption[1]->isChecked();
    m_PageText->setEnabled(ranges);
    m_PageText->setBackgroundRole(ranges ? QPalette::Base : QPalette::Button);
}

void frmWMBs::CmdPrinter_Click() {
    // The printer set-up: the printers CUPS offers; cancel changes nothing.
    QStringList names;
    for (const std::string& name : PrinterNames())
        names << QString::fromStdString(name);
    if (names.isEmpty())
        return;
    bool ok = false;
    QString chosen = QInputDialog::getItem(
        this, QStringLiteral("プリンタ設定"), QStringLiteral("プリンタ名"), names,
        std::max<qsizetype>(0, names.indexOf(printerName())), false, &ok);
    if (!ok || chosen.isEmpty())
        return;
    m_printer = chosen.toStdString();
    m_PrinterNameText->setText(chosen);
}

void frmWMBs::CmdOK_Click() {
    auto tell = [this](std::string_view text) {
        m_messenger.MsgBox(text, MsgButtons::Ok, MsgIcon::Information, kPrintDialogCaption);
    };
    PrintSettings settings;
    settings.allPages = m_PageOption[0]->isChecked();
    if (!settings.allPages) {
        switch (ParsePageRanges(m_PageText->text().toStdString(), settings.ranges)) {
            case ParseStatus::Empty:
                tell(kNoPageRange);
                return;
            case ParseStatus::Invalid:
                tell(kBadPageRange);
                return;
            case ParseStatus::Ok:
                break;
        }
    }
    switch (ParseCopies(m_CopysText->text().toStdString(), settings.copies)) {
        case ParseStatus::Empty:
            tell(kNoCopies);
            return;
        case ParseStatus::Invalid:
            tell(kBadCopies);
            return;
        case ParseStatus::Ok:
            break;
    }
    if (m_data.wires.empty()) {
        m_messenger.MsgBox(texts::kLoadCastingFirst, MsgButtons::Ok, MsgIcon::Warning,
                           kProgressCaption);
        return;
    }
    OutputKind kind = m_OutputOption[1]->isChecked()   ? OutputKind::Pdf
                      : m_OutputOption[2]->isChecked() ? OutputKind::Workbook
                                                       : OutputKind::Printer;
    std::filesystem::path file;
    if (kind != OutputKind::Printer) {
        file = m_chooseFile(kind);
        if (file.empty())
            return;  // no file chosen: the dialog stays with its entries
    }
    BuildAndPrint(settings, kind, file);
}

void frmWMBs::BuildAndPrint(const PrintSettings& settings, OutputKind kind,
                            const std::filesystem::path& file) {
    hide();
    frmPrint progress(parentWidget());
    progress.show();
    TableCallbacks callbacks;
    callbacks.progress = [&progress](const std::string& text) {
        progress.setProgress(QString::fromStdString(text));
    };
    // Pending events run between wires, at most every 20 ms: the cancel button answers at once
    // and a table of thousands of pages is not slowed down by 100,000 event rounds.
    QtEventPump pump;
    std::chrono::steady_clock::time_point lastRound;  // the first wire lets events run
    callbacks.processEvents = [&pump, &lastRound] {
        auto now = std::chrono::steady_clock::now();
        if (now - lastRound >= std::chrono::milliseconds(20)) {
            pump.ProcessEvents();
            lastRound = now;
        }
    };
    callbacks.cancelled = [&progress] { return progress.cancelled(); };
    OutputRequest request;
    request.kind = kind;
    request.file = file;
    request.printer = m_printer;
    request.settings = settings;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_outcome = PrintProcessTable(m_template, m_data, request, callbacks, m_messenger);
    QApplication::restoreOverrideCursor();
    progress.close();
    accept();
}

}  // namespace kablos::printing
