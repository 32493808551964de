#include "RunMode.h"

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
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--check") {
            options.check = true;
        } else if (argument.starts_with("--") && argument.size() > 2 &&
                   !(argument[2] == 'D' || argument[2] == 'd' || argument[2] == '-')) {
            // "--d2" is still the run-mode option (a repeated minus arms the scan again).
            options.error = "unknown option " + argument;
        } else {
            rest.push_back(argument);
        }
    }
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (i > 0)
            options.commandLine += ' ';
        options.commandLine += rest[i];
    }
    return options;
}

std::string_view UsageText() {
    return "Usage: kablos [/B] [-D|-d1|-d2|-d3] [--check] [--help] [--version]\n"
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
           "  --help      show this text\n"
           "  --version   show the program's version\n"
           "\n"
           "Settings: KABLOS.ini in $XDG_DATA_HOME/Brindlex/TRIM-KIT (copied from the program\n"
           "folder on the first start); per-user port values in\n"
           "$XDG_CONFIG_HOME/Brindlex/電線処理ダイアログ.ini, section [Properties].\n";
}

}  // namespace kablos
