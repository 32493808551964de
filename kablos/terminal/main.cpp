// KABLOS: loads casting data and drives a wire cutting and stripping machine.

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
#include <algorithm>
#include <iostream>
#include <vector>

#include "BatchRun.h"
#include "ConsoleMessenger.h"
#include "DryRun.h"
#include "QtMessenger.h"
#include "Session.h"
#include "UserDataPath.h"
#include "common/files.h"
#include "frmAbout.h"
#include "frmTerminal.h"
#include "printing/TablePrint.h"

namespace {

using namespace kablos;

std::vector<std::string> Arguments(const QStringList& all) {
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(all[i].toStdString());
    return arguments;
}

const char* ProtocolName(ProtocolKind kind) {
    return kind == ProtocolKind::Binary ? "binary (371)" : "ASCII (351)";
}

// --check: start-up as the window does it, a report, and the orderly end.
int RunCheck(const ProgramOptions& options) {
    ConsoleMessenger messenger(std::cerr);
    Session session(messenger, UserDataPath, common::ExecutableFolder());
    if (!session.Start(options.commandLine, UserStore::Read()))
        return 1;

    const IniData& ini = session.ini();
    const RunMode& mode = session.runMode();
    std::cout << frmAbout::VersionText().toStdString() << '\n'
              << "caption: " << WindowCaption(mode) << '\n'
              << "protocol: " << ProtocolName(session.protocol()) << '\n'
              << "debug mode: " << mode.DebugMode << ", log mode: " << (mode.LogMode ? "on" : "off")
              << '\n'
              << "settings file: " << session.settings().userFile().string()
              << (session.startedFromProgramCopy() ? " (taken over from the program folder)" : "")
              << '\n'
              << "port: " << session.port().CommPort << ", " << session.port().Settings
              << ", handshaking " << session.port().Handshaking << ", COMNo \"" << ini.COMNo
              << "\"\n"
              << "strip environments: " << ini.StripEnv.size() << ", in use: " << ini.EnvNo;
    if (ini.EnvNo >= 0 && static_cast<std::size_t>(ini.EnvNo) < ini.StripEnv.size()) {
        std::cout << " \"" << ini.StripEnv[static_cast<std::size_t>(ini.EnvNo)].EnvName << "\"";
    }
    std::cout << '\n'
              << "cutter rows: " << ini.CutterEnv.size() << '\n'
              << "remaining wire: " << (ini.ZanWLenFlg == 1 ? "tracked, " : "not tracked, ")
              << ZanWLenPanelText(ini.ZanWLen) << ", " << CutWLenPanelText(ini.CutWLen) << '\n';

    ShutdownOutcome outcome = session.Shutdown(nullptr);
    std::cout << "shutdown: " << (outcome == ShutdownOutcome::Done ? "settings saved" : "failed")
              << '\n';
    return outcome == ShutdownOutcome::Done ? 0 : 1;
}

// --batch: the processing job over a casting data file, without a window.
int RunBatchMode(const ProgramOptions& options) {
    ConsoleMessenger messenger(std::cerr);
    Session session(messenger, UserDataPath, common::ExecutableFolder());
    if (!session.Start(options.commandLine, UserStore::Read()))
        return 1;
    BatchOptions batch;
    batch.casting = *options.batch;
    batch.set = options.batchSet;
    if (options.batchTimeout)
        batch.timeout = *options.batchTimeout;
    std::cout << "protocol: " << ProtocolName(session.protocol()) << ", port "
              << session.port().CommPort << ", " << session.port().Settings << std::endl;
    return RunBatch(session, batch, std::cout);
}

void NameApplication() {
    // The title is the application name of the per-user store and every message box's caption.
    QCoreApplication::setApplicationName(QString::fromUtf8(kAppTitle.data(), kAppTitle.size()));
    QCoreApplication::setApplicationVersion(QStringLiteral(KABLOS_VERSION_TEXT));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> raw(argv + std::min(argc, 1), argv + argc);
    ProgramOptions options = ParseProgramOptions(raw);
    if (!options.error.empty()) {
        std::cerr << "kablos: " << options.error << "\n\n" << UsageText();
        return 2;
    }
    if (options.help) {
        std::cout << UsageText();
        return 0;
    }
    if (options.version) {
        std::cout << frmAbout::VersionText().toStdString() << '\n';
        return 0;
    }
    if (!options.printTable.empty()) {
        QCoreApplication app(argc, argv);
        NameApplication();
        return printing::RunPrintTableCommand(options.printTable, options.templatePath,
                                              options.output);
    }
    if (options.dryRun) {
        QCoreApplication app(argc, argv);
        NameApplication();
        return RunDryRunCommand(options, std::cout, std::cerr);
    }
    if (options.check || options.batch) {
        QCoreApplication app(argc, argv);
        NameApplication();
        return options.batch ? RunBatchMode(options) : RunCheck(options);
    }

    QApplication app(argc, argv);
    NameApplication();
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    options = ParseProgramOptions(Arguments(QCoreApplication::arguments()));

    QtMessenger messenger;
    Session session(messenger, UserDataPath, common::ExecutableFolder());
    if (!session.Start(options.commandLine, UserStore::Read()))
        return 1;

    frmTerminal window(session);
    messenger.setParent(&window);
    window.showMaximized();
    return QApplication::exec();
}
