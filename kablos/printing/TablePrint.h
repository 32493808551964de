#pragma once

// The print of the wire-processing table from template to paper: the template (an .xls one
// converted to .xlsx by LibreOffice first) is filled page by page, then the workbook goes to
// LibreOffice in headless mode to become a PDF and the PDF to CUPS through `lp`, with the
// copies, the collation and the page ranges of the dialog. A shop without a printer keeps the
// PDF or the filled workbook instead. The template file is only read; the output file is
// written whole or not at all, and a print that fails or is cancelled leaves nothing behind.
//
// LibreOffice is found as "soffice" on the PATH, or where KABLOS_SOFFICE names it (an empty
// value: as if it were not installed). Every run uses a private LibreOffice profile in a
// temporary folder, so a LibreOffice the user has open does not take the job over, and the
// user's own profile is never touched.

#include <filesystem>
#include <string>
#include <vector>

#include "CastingData.h"
#include "Messenger.h"
#include "printing/PrintSettings.h"
#include "printing/ProcessTable.h"

namespace kablos::printing {

enum class OutputKind {
    Printer,   ///< PDF to the printer through lp
    Pdf,       ///< PDF kept in a file
    Workbook,  ///< the filled workbook (.xlsx) kept in a file
};

struct OutputRequest {
    OutputKind kind = OutputKind::Printer;
    std::filesystem::path file;  ///< the PDF or workbook to write
    std::string printer;         ///< CUPS destination; empty: the default printer
    PrintSettings settings;
};

struct PrintOutcome {
    enum class Status { Done, Cancelled, Failed };
    Status status = Status::Failed;
    std::string why;  ///< a failure in words, also the ones shown without a message
    int pages = 0;
};

/// LibreOffice's program, or an empty path when it is not installed.
std::filesystem::path FindOffice();

/// Converts `input` with LibreOffice in headless mode to `format` ("pdf", "xlsx") in `outFolder`
/// with a private profile; returns the converted file, or an empty path with the reason.
std::filesystem::path ConvertWithOffice(const std::filesystem::path& office,
                                        const std::filesystem::path& input, std::string_view format,
                                        const std::filesystem::path& outFolder, std::string* why);

/// The lp command lines of a print: all pages in one job; page ranges one job each, in order,
/// collated. A range to the last page ends at page 32767.
std::vector<std::vector<std::string>> LpCommands(const std::filesystem::path& pdf,
                                                 const std::string& printer,
                                                 const PrintSettings& settings);

/// Builds and outputs the table. Reports as the print does: "処理表印刷に失敗しました。(" +
/// name + ")" once the template has been opened; a template that cannot be opened ends without
/// a message; missing LibreOffice is said in words.
PrintOutcome PrintProcessTable(const std::filesystem::path& templatePath, const CastingData& data,
                               const OutputRequest& request, const TableCallbacks& callbacks,
                               Messenger& messenger);

/// The message of a failed print.
std::string PrintFailedText(std::string_view name);

/// `kablos --print-table CASTING --template TEMPLATE --output FILE`: the table as the print
/// makes it, saved as a workbook (.xlsx) or a PDF (.pdf). Returns the exit status.
int RunPrintTableCommand(const std::filesystem::path& casting,
                         const std::filesystem::path& templatePath,
                         const std::filesystem::path& output);

}  // namespace kablos::printing
