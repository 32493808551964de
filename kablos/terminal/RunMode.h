#pragma once

// How KABLOS runs, as its command line and per-user store decide at start-up.
//
// The command line is read the way the program always has: a leading "/B" asks for the binary
// protocol, and the rest is scanned for "-D" or "-d" with an optional digit ("-D" and "-d1":
// debug mode 1, "-d2": debug mode 2 (silent), "-d3": log mode). Options of this port, which
// start with "--", are taken out of the line first, so that neither their names nor their
// arguments are ever scanned.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kablos {

/// The machine protocol: the ASCII register protocol (C371) or binary frames (C371A).
enum class ProtocolKind { Ascii = 351, Binary = 371 };

struct RunMode {
    int DebugMode = 0;     ///< 0 off, 1 debug, 2 silent debug
    bool LogMode = false;  ///< log mode: the debug log without debug behaviour
    bool operator==(const RunMode&) const = default;
};

/// Scans a command line for the run mode: a leading "/B" is dropped, then the text is walked
/// character by character. A blank or tab resets the scan, "-" arms it, a following "D" or "d"
/// sets debug mode 1, and a digit right after that selects: "1" debug 1, "2" debug 2, "3" debug
/// off and log mode on. Any other character disarms the scan.
RunMode ScanCommandLine(std::string_view commandLine);

/// The protocol at start-up: from the per-user value MType when it is set ("B", after trimming
/// and upper-casing, is binary, anything else ASCII), else binary when the command line starts
/// with "/B".
ProtocolKind ChooseProtocol(std::string_view mtype, std::string_view commandLine);

/// The caption of the main window for a run mode.
std::string WindowCaption(const RunMode& mode);

/// The program's own options, taken out of its arguments.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool check = false;  ///< start without a window, report, shut down in order, exit
    std::optional<std::filesystem::path> batch;        ///< --batch: the casting data to process
    std::optional<int> batchSet;                       ///< --set: the data-set grid row, from 1
    std::optional<std::chrono::seconds> batchTimeout;  ///< --timeout
    std::optional<std::filesystem::path> dryRun;       ///< --dry-run: the casting data to try
    std::optional<ProtocolKind> protocol;              ///< --protocol A|B of the dry run
    std::string printTable;    ///< --print-table: the casting data to print the table of
    std::string templatePath;  ///< --template: the table's template workbook
    std::string output;        ///< --output: the .xlsx or .pdf to write
    std::string commandLine;   ///< what remains, joined by blanks, for the run-mode scan
    std::string error;         ///< a malformed option, in words; empty when all is well
};

/// Separates the program's own options ("--help", "--version", "--check", the batch options,
/// and "--print-table", "--template" and "--output" with their files) from the arguments
/// (without the program name) and joins the rest into the command line the run-mode scan reads.
ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments);

/// The text of "--help".
std::string_view UsageText();

}  // namespace kablos
