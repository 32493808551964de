#pragma once

// The print dialog of the wire-processing table: the printer (CUPS's default, changeable in the
// printer set-up), all pages or page ranges, the number of copies, and where the table goes:
// to the printer, or into a PDF or a workbook (.xlsx) for a shop without a printer. Without a
// printer only the two files are offered. OK checks the entries, hides the dialog and builds
// the table with the progress window (frmPrint) showing.

#include <QDialog>
#include <filesystem>
#include <functional>

#include "CastingData.h"
#include "Messenger.h"
#include "printing/TablePrint.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kablos::printing {

inline constexpr std::string_view kPrintDialogCaption = "処理表印刷設定";
inline constexpr std::string_view kProgressCaption = "処理表印刷";

class frmWMBs : public QDialog {
    Q_OBJECT
public:
    /// `printer` is the printer in force, empty when the system has none.
    frmWMBs(std::filesystem::path templatePath, const CastingData& casting, Messenger& messenger,
            std::string printer, QWidget* parent = nullptr);

    /// Asks where the PDF or the workbook goes; empty: the user cancelled. The default asks with
    /// a file dialog.
    using FileChooser = std::function<std::filesystem::path(OutputKind)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    /// How the last print ended (Failed until one has run).
    const PrintOutcome& outcome() const { return m_outcome; }

    QLineEdit* pageText() const { return m_PageText; }
    QLineEdit* copysText() const { return m_CopysText; }
    QRadioButton* pageOption(int index) const { return m_PageOption[index]; }
    QRadioButton* outputOption(OutputKind kind) const;
    QString printerName() const;

public slots:
    void CmdOK_Click();
    void CmdPrinter_Click();

private:
    void PageOption_Click();
    void BuildAndPrint(const PrintSettings& settings, OutputKind kind,
                       const std::filesystem::path& file);

    std::filesystem::path m_template;
    const CastingData& m_data;
    Messenger& m_messenger;
    std::string m_printer;
    FileChooser m_chooseFile;
    PrintOutcome m_outcome;

    QLabel* m_PrinterNameText;
    QPushButton* m_CmdPrinter;
    QRadioButton* m_PageOption[2];
    QLineEdit* m_PageText;
    QLineEdit* m_CopysText;
    QRadioButton* m_OutputOption[3];
    QPushButton* m_CmdOK;
    QPushButton* m_CmdCancel;
};

}  // namespace kablos::printing
