#pragma once

// The window's check of what a run would send (ファイル → 送信内容の確認): the dry run of the
// loaded casting data (every data set, the wires not done yet) with the settings and the remaining
// wire as they are in the window, shown with its summary first and the report per wire after it.
// The dialog prints it: to CUPS's default printer through lp, as the table print does, or,
// without a printer, into a PDF file the operator chooses.
//
// The check runs on a copy of the window's settings, in the window's protocol and as a normal
// run (not in debug mode, which completes a wire on any event): the window's remaining wire and
// the machine link are untouched, and nothing is written.

#include <QDialog>
#include <filesystem>
#include <string>

#include "DryRun.h"
#include "Session.h"

class QPlainTextEdit;

namespace kablos {

/// Runs the dry run of `casting` on a copy of `session`'s settings and protocol; the report's
/// text (summary first) in `text`.
DryRunSummary CheckCasting(Session& session, const CastingData& casting, std::string& text);

class frmDryRun : public QDialog {
    Q_OBJECT
public:
    frmDryRun(const std::string& text, bool goesThrough, QWidget* parent = nullptr);

    QString text() const;
    /// Writes the report as a PDF (A4, fixed-pitch type); false when it cannot be written.
    bool SavePdf(const std::filesystem::path& file) const;

public slots:
    /// The print button: the default printer, else a PDF file.
    void Print();

private:
    QPlainTextEdit* m_text = nullptr;
};

}  // namespace kablos
