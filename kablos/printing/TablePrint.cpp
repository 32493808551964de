#include "printing/TablePrint.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdlib>
#include <iostream>

#include "ConsoleMessenger.h"
#include "Texts.h"
#include "common/files.h"
#include "common/text.h"

namespace kablos::printing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNoOffice = "LibreOfficeがインストールされていないため、";
constexpr int kOfficeTimeoutMs = 30 * 60 * 1000;
constexpr int kLpTimeoutMs = 5 * 60 * 1000;
constexpr int kLastPage = 32767;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A private folder for one print, removed with everything in it.
class WorkFolder {
public:
    WorkFolder() {
        std::string pattern = (fs::temp_directory_path() / "kablos-print-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data()))
            m_path = made;
    }
    ~WorkFolder() {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

bool Run(const std::string& program, const std::vector<std::string>& arguments, int timeoutMs,
         std::string* why) {
    QStringList list;
    for (const std::string& argument : arguments)
        list << Q(argument);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Q(program), list);
    if (!process.waitForStarted()) {
        *why = program + ": " + process.errorString().toStdString();
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        *why = program + ": did not finish";
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *why = program + " failed (" + std::to_string(process.exitCode()) +
               "): " + QString::fromLocal8Bit(process.readAll()).trimmed().toStdString();
        return false;
    }
    return true;
}

bool IsXls(const fs::path& path) {
    return common::EqualsNoCase(path.extension().string(), ".xls");
}

// Copies a finished file to where the user wants it, whole or not at all.
bool Deliver(const fs::path& made, const fs::path& target, std::string* why) {
    std::string bytes;
    std::error_code error = common::ReadWholeFile(made, bytes);
    if (!error)
        error = common::WriteFileAtomically(target, bytes);
    if (error)
        *why = target.string() + ": " + common::Describe(error);
    return !error;
}

}  // namespace

fs::path FindOffice() {
    if (const char* chosen = std::getenv("KABLOS_SOFFICE")) {
        std::error_code ignored;
        return *chosen != '\0' && fs::is_regular_file(chosen, ignored) ? fs::path(chosen)
                                                                       : fs::path();
    }
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    return found.isEmpty() ? fs::path() : fs::path(found.toStdString());
}

fs::path ConvertWithOffice(const fs::path& office, const fs::path& input, std::string_view format,
                           const fs::path& outFolder, std::string* why) {
    std::string ignored;
    if (!why)
        why = &ignored;
    WorkFolder profile;
    if (profile.path().empty()) {
        *why = "no temporary folder";
        return {};
    }
    std::string filter(format);
    if (format == "xlsx")
        filter = "xlsx:Calc MS Excel 2007 XML";
    std::vector<std::string> arguments = {
        "-env:UserInstallation=" +
            QUrl::fromLocalFile(Q(profile.path().string())).toString().toStdString(),
        "--headless",
        "--invisible",
        "--nologo",
        "--norestore",
        "--nolockcheck",
        "--convert-to",
        filter,
        "--outdir",
        outFolder.string(),
        input.string()};
    if (!Run(office.string(), arguments, kOfficeTimeoutMs, why))
        return {};
    fs::path made =
        outFolder / input.filename().replace_extension(std::string(".") + std::string(format));
    std::error_code error;
    if (!fs::is_regular_file(made, error) || fs::file_size(made, error) == 0) {
        *why = "LibreOffice made no " + std::string(format) + " of " + input.string();
        return {};
    }
    return made;
}

std::vector<std::vector<std::string>> LpCommands(const fs::path& pdf, const std::string& printer,
                                                 const PrintSettings& settings) {
    std::vector<std::string> base = {"lp", "-s", "-t", "電線処理表"};
    if (!printer.empty()) {
        base.push_back("-d");
        base.push_back(printer);
    }
    std::vector<std::vector<std::string>> commands;
    if (settings.allPages) {
        std::vector<std::string> command = base;
        command.push_back("-n");
        command.push_back(std::to_string(settings.copies < 2 ? 1 : settings.copies));
        command.push_back(pdf.string());
        commands.push_back(std::move(command));
        return commands;
    }
    for (const PageRange& range : settings.ranges) {
        std::vector<std::string> command = base;
        int to = range.to == 0 ? kLastPage : range.to;
        for (std::string item :
             {std::string("-n"), std::to_string(settings.copies), std::string("-o"),
              std::string("collate=true"), std::string("-P"),
              std::to_string(range.from) + "-" + std::to_string(to), pdf.string()})
            command.push_back(std::move(item));
        commands.push_back(std::move(command));
    }
    return commands;
}

std::string PrintFailedText(std::string_view name) {
    return "処理表印刷に失敗しました。(" + std::string(name) + ")";
}

PrintOutcome PrintProcessTable(const fs::path& templatePath, const CastingData& data,
                               const OutputRequest& request, const TableCallbacks& callbacks,
                               Messenger& messenger) {
    PrintOutcome outcome;
    WorkFolder work;
    if (work.path().empty()) {
        outcome.why = "no temporary folder";
        return outcome;
    }
    fs::path office = FindOffice();
    auto noOffice = [&](std::string what) {
        outcome.why = std::string(kNoOffice) + what;
        messenger.Warn(outcome.why);
        return outcome;
    };

    // The template as an .xlsx workbook; an .xls one is converted first, in the work folder.
    fs::path workbookPath = templatePath;
    if (IsXls(templatePath)) {
        if (office.empty())
            return noOffice(".xlsテンプレートを変換できません。(" + templatePath.string() + ")");
        fs::path copy = work.path() / "template.xls";
        std::error_code error;
        fs::copy_file(templatePath, copy, error);
        if (error) {
            outcome.why = templatePath.string() + ": " + common::Describe(error);
            return outcome;
        }
        workbookPath = ConvertWithOffice(office, copy, "xlsx", work.path(), &outcome.why);
        if (workbookPath.empty())
            return outcome;
    }
    // Before any named cell is addressed, a failure ends the print without a message.
    std::unique_ptr<Workbook> book = Workbook::Open(workbookPath, &outcome.why);
    if (!book)
        return outcome;

    TableResult table = FillProcessTable(*book, data, LocalToday(), callbacks);
    if (table.status == TableResult::Status::Cancelled) {
        outcome.status = PrintOutcome::Status::Cancelled;
        return outcome;
    }
    auto failed = [&](std::string why) {
        outcome.status = PrintOutcome::Status::Failed;
        outcome.why = std::move(why);
        messenger.Warn(PrintFailedText(table.lastName));
        return outcome;
    };
    if (table.status == TableResult::Status::Failed)
        return failed("the template has no worksheet or named cell " + table.lastName);
    if (callbacks.progress)
        callbacks.progress("電線処理表データ印刷中");

    std::string why;
    if (request.kind == OutputKind::Workbook) {
        if (!book->Save(request.file, &why))
            return failed(why);
    } else {
        if (office.empty())
            return noOffice("PDFを作成できません。");
        fs::path filled = work.path() / "電線処理表.xlsx";
        if (!book->Save(filled, &why))
            return failed(why);
        book.reset();  // the workbook is no longer needed while LibreOffice works
        fs::path pdf = ConvertWithOffice(office, filled, "pdf", work.path(), &why);
        if (pdf.empty())
            return failed(why);
        if (request.kind == OutputKind::Pdf) {
            if (!Deliver(pdf, request.file, &why))
                return failed(why);
        } else {
            for (const std::vector<std::string>& command :
                 LpCommands(pdf, request.printer, request.settings)) {
                std::vector<std::string> arguments(command.begin() + 1, command.end());
                if (!Run(command.front(), arguments, kLpTimeoutMs, &why))
                    return failed(why);
            }
        }
    }
    outcome.status = PrintOutcome::Status::Done;
    outcome.pages = table.pages;
    return outcome;
}

int RunPrintTableCommand(const fs::path& casting, const fs::path& templatePath,
                         const fs::path& output) {
    OutputRequest request;
    std::string extension = output.extension().string();
    if (common::EqualsNoCase(extension, ".xlsx")) {
        request.kind = OutputKind::Workbook;
    } else if (common::EqualsNoCase(extension, ".pdf")) {
        request.kind = OutputKind::Pdf;
    } else {
        std::cerr << "kablos: --output must name an .xlsx or a .pdf file\n";
        return 2;
    }
    request.file = output;
    ConsoleMessenger messenger(std::cerr);
    CastingData data;
    if (!ReadCastingData(casting, data, messenger))
        return 1;
    if (data.wires.empty()) {
        messenger.Warn(texts::kLoadCastingFirst, "処理表印刷");
        return 1;
    }
    PrintOutcome outcome = PrintProcessTable(templatePath, data, request, {}, messenger);
    if (outcome.status != PrintOutcome::Status::Done) {
        std::cerr << "kablos: no table written: " << outcome.why << '\n';
        return 1;
    }
    std::cout << output.string() << ": " << outcome.pages << " pages\n";
    return 0;
}

}  // namespace kablos::printing
