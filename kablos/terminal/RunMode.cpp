#include "RunMode.h"

#include "common/numbers.h"
#include "common/text.h"

namespace kablos {

RunMode ScanCommandLine(std::string_view commandLine) {
    if (commandLine.starts_with("/B"))
        commandLine.remove_prefix(2);

    enum class Scan { Idle, Armed, AfterD } scan = Scan::Idle;
    RunMode mode;
    for (char c : commandLine) {
        if (c == '-') {
            scan = Scan::Armed;
            continue;
        }
        if (scan == Scan::Armed && (c == 'D' || c == 'd')) {
            mode.DebugMode = 1;
            scan = Scan::AfterD;
            continue;
        }
        if (scan == Scan::AfterD) {
            if (c == '1')
                mode.DebugMode = 1;
            if (c == '2')
                mode.DebugMode = 2;
            if (c == '3') {
                mode.DebugMode = 0;
                mode.LogMode = true;
            }
        }
        // Blanks, tabs and everything else end an option.
        scan = Scan::Idle;
    }
    return mode;
}

ProtocolKind ChooseProtocol(std::string_view mtype, std::string_view commandLine) {
    std::string type = common::ToUpper(common::Trim(mtype));
    if (!type.empty())
        return type == "B" ? ProtocolKind::Binary : ProtocolKind::Ascii;
    return commandLine.starts_with("/B") ? ProtocolKind::Binary : ProtocolKind::Ascii;
}

std::string WindowCaption(const RunMode& mode) {
    std::string caption = "NIVORA電線加工プログラム";
    if (mode.DebugMode == 1) {
        caption += "デバッグモード";
    } else if (mode.LogMode) {
        caption += "ログモード";
    }
    return caption;
}

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
    ProgramOptions options;
    std::vector<std::string_view> rest;
    // The value after an option that takes one; an error when there is none.
    auto value = [&](std::size_t& i) -> std::optional<std::string> {
        if (i + 1 >= arguments.size()) {
            options.error = "missing value after " + arguments[i];
            return std::nullopt;
        }
        return arguments[++i];
    };
    auto whole = [&](std::size_t& i, int lowest) -> std::optional<int> {
        const std::string& name = arguments[i];
        std::optional<std::string> text = value(i);
        if (!text)
            return std::nullopt;
        std::optional<std::int32_t> number = common::ToInt32(*text);
        if (!number || *number < lowest) {
            options.error = "not a valid number after " + name + ": " + *text;
            return std::nullopt;
        }
        return *number;
    };
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument == "--batch") {
            if (std::optional<std::string> file = value(i))
                options.batch = std::filesystem::path(*file);
        } else if (argument == "--dry-run") {
            if (std::optional<std::string> file = value(i))
                options.dryRun = std::filesystem::path(*file);
        } else if (argument == "--protocol") {
            if (std::optional<std::string> kind = value(i)) {
                if (*kind == "A" || *kind == "a") {
                    options.protocol = ProtocolKind::Ascii;
                } else if (*kind == "B" || *kind == "b") {
                    options.protocol = ProtocolKind::Binary;
                } else {
                    options.error = "the protocol after --protocol is A or B: " + *kind;
                }
            }
        } else if (argument == "--set") {
            options.batchSet = whole(i, 1);
        } else if (argument == "--timeout") {
            if (std::optional<int> seconds = whole(i, 1))
                options.batchTimeout = std::chrono::seconds(*seconds);
        } else if (argument == "--print-table" || argument == "--template" ||
                   argument == "--output") {
            std::string& target = argument == "--print-table" ? options.printTable
                                  : argument == "--template"  ? options.templatePath
                                                              : options.output;
            if (std::optional<std::string> file = value(i))
                target = *file;
        } else if (argument.starts_with("--") && argument.size() > 2 &&
                   !(argument[2] == 'D' || argument[2] == 'd' || argument[2] == '-')) {
            // "--d2" is still the run-mode option (a repeated minus arms the scan again).
            options.error = "unknown option " + argument;
        } else {
            rest.push_back(argument);
        }
    }
    if (options.error.empty() && options.batch && options.dryRun)
        options.error = "--batch and --dry-run do not go together";
    if (options.error.empty() && !options.batch && options.batchTimeout)
        options.error = "--set and --timeout go with --batch";
    if (options.error.empty() && !options.batch && !options.dryRun && options.batchSet)
        options.error = "--set and --timeout go with --batch";
    if (options.error.empty() && !options.dryRun && options.protocol)
        options.error = "--protocol goes with --dry-run";
    bool printing = !options.printTable.empty();
    if (options.error.empty() &&
        (printing != !options.templatePath.empty() || printing != !options.output.empty()))
        options.error = "--print-table, --template and --output go together";
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i > 0)
            options.commandLine += ' ';
        options.commandLine += rest[i];
    }
    return options;
}

std::string_view UsageText() {
    return "Usage: kablos [/B] [-D|-d1|-d2|-d3] [--check] [--help] [--version]\n"
           "       kablos [/B] [-D|-d1|-d2|-d3] --batch CASTING.txt [--set N] [--timeout S]\n"
           "       kablos [/B] [-D|-d1|-d2|-d3] --dry-run CASTING.txt [--set N] [--protocol A|B]\n"
           "       kablos --print-table CASTING.txt --template TEMPLATE --output FILE\n"
           "\n"
           "NIVORA wire processing program: loads a casting data file and drives a wire\n"
           "cutting and stripping machine over a serial line.\n"
           "\n"
           "  /B          use the binary protocol (C371A) when the per-user value MType is unset\n"
           "  -D, -d1     debug mode\n"
           "  -d2         silent debug mode (debug log without the debug caption)\n"
           "  -d3         log mode\n"
           "  --check     start without a window: load the settings as at start-up, print the\n"
           "              run mode and what was loaded, shut down in order and exit\n"
           "              (exit status 0 when all of it worked)\n"
           "  --batch CASTING.txt\n"
           "              process the wires of a casting data file without a window: start as\n"
           "              the window does (settings, port and protocol from the per-user store),\n"
           "              open the data sets, run the job for every wire that is not done, print\n"
           "              one line per wire, shut down in order (the remaining-wire counters are\n"
           "              saved); exit status 0 only when every wire is done\n"
           "  --set N     only the N-th row of the data-set grid (default: every row in order)\n"
           "  --timeout S give up on a wire S seconds after its job returns (default 20)\n"
           "  --dry-run CASTING.txt\n"
           "              what --batch would send, without a machine: the same job over a\n"
           "              recording port that answers as the machine does; per wire its set and\n"
           "              number, length, strip and half-strip lengths of both ends with their\n"
           "              source (R strip row, M first step, default 6.0/8.5, none), pieces,\n"
           "              the commands or frames with their values in millimetres and the\n"
           "              remaining wire; then a summary. Nothing is saved; exit status 0 when\n"
           "              the whole run would go through (--set N as for --batch)\n"
           "  --protocol A|B\n"
           "              the dry run's protocol, ASCII (C371) or binary (C371A), instead of\n"
           "              the one the program would start with\n"
           "  --print-table CASTING.txt --template TEMPLATE --output FILE\n"
           "              fill the template (.xlsx, or .xls through LibreOffice) with the wire-\n"
           "              processing table of the casting data, as the print does, and save it\n"
           "              as a workbook (FILE.xlsx) or through LibreOffice as a PDF (FILE.pdf),\n"
           "              without a window (exit status 0 when the file was written)\n"
           "  --help      show this text\n"
           "  --version   show the program's version\n"
           "\n"
           "Settings: KABLOS.ini in $XDG_DATA_HOME/Brindlex/TRIM-KIT (copied from the program\n"
           "folder on the first start); per-user port values in\n"
           "$XDG_CONFIG_HOME/Brindlex/電線処理ダイアログ.ini, section [Properties].\n";
}

}  // namespace kablos
