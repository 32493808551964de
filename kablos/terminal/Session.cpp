#include "Session.h"

#include <cstdio>
#include <ctime>
#include <iostream>

#include "Texts.h"
#include "common/numbers.h"

namespace kablos {
namespace {

std::string Metres(std::int32_t millimetres) {
    return common::FormatSingle(static_cast<float>(millimetres / 1000.0)) + "m";
}

std::string FileStamp(std::chrono::system_clock::time_point when) {
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &local);
    return buffer;
}

}  // namespace

Session::Session(Messenger& messenger, std::function<std::filesystem::path()> userDataPath,
                 std::filesystem::path programFolder, Clock clock)
    : m_messenger(messenger),
      m_clock(clock),
      m_settings(userDataPath, std::move(programFolder), messenger, clock),
      m_debugLog(std::move(userDataPath), clock) {}

bool Session::Start(const std::string& commandLine, const UserProperties& properties) {
    m_protocol = ChooseProtocol(properties.MType, commandLine);

    ini().ZanWLen = 0;
    ini().CutWLen = 0;
    m_debugLog.Reset();
    m_runMode = ScanCommandLine(commandLine);
    m_debugLog.setRunMode(m_runMode);

    if (properties.Settings)
        m_port.Settings = *properties.Settings;
    if (properties.CommPort)
        m_port.CommPort = *properties.CommPort;
    if (properties.Handshaking)
        m_port.Handshaking = *properties.Handshaking;
    if (properties.Echo)
        m_echo = *properties.Echo;

    m_fromProgramCopy = false;
    m_keptUnreadable.clear();
    std::filesystem::path userFolder = m_settings.userFolder();
    if (!m_settings.ReadIniFile(true))
        return true;

    std::string userError = m_settings.lastError();
    if (m_settings.ReadIniFile(false)) {
        std::cerr << "kablos: " << userError << "\nkablos: " << m_settings.lastError() << '\n';
        m_messenger.MsgBox(texts::IniMissing(userFolder), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    m_fromProgramCopy = true;

    std::error_code noFile;
    std::filesystem::path userFile = m_settings.userFile();
    if (std::filesystem::exists(userFile, noFile)) {
        std::filesystem::path kept = userFile;
        kept += "." + FileStamp(m_clock()) + ".unreadable";
        std::error_code error;
        std::filesystem::rename(userFile, kept, error);
        if (error) {
            // Not even a copy can be kept: leave the user's file alone and end.
            std::cerr << "kablos: " << userError << "\nkablos: cannot keep it as " << kept << ": "
                      << error.message() << '\n';
            m_messenger.MsgBox(texts::IniWriteError(userFolder), MsgButtons::Ok, MsgIcon::Warning);
            return false;
        }
        m_keptUnreadable = kept;
        std::cerr << "kablos: " << userError << "\nkablos: kept as " << kept.string()
                  << "; the program folder's copy takes its place\n";
    }
    if (m_settings.WriteIniFile()) {
        std::cerr << "kablos: " << m_settings.lastError() << '\n';
        m_messenger.MsgBox(texts::IniWriteError(userFolder), MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    return true;
}

ShutdownOutcome Session::Shutdown(PortControl* port) {
    if (port != nullptr && port->IsOpen()) {
        while (!port->WaitOutputDrained(kDrainLimit)) {
            MsgAnswer answer = m_messenger.MsgBox(texts::kCannotSend, MsgButtons::AbortRetryIgnore,
                                                  MsgIcon::Question);
            if (answer == MsgAnswer::Abort)
                return ShutdownOutcome::Aborted;
            if (answer != MsgAnswer::Retry)
                break;  // Ignore
        }
        port->HangUp();
    }
    if (m_settings.WriteIniFile()) {
        std::cerr << "kablos: " << m_settings.lastError() << '\n';
        m_messenger.MsgBox(texts::IniWriteError(m_settings.userFolder()), MsgButtons::Ok,
                           MsgIcon::Warning);
        return ShutdownOutcome::WriteFailed;
    }
    return ShutdownOutcome::Done;
}

std::string StatusPanelText(std::string_view data) {
    return "データ: " + std::string(data);
}
std::string CutWLenPanelText(std::int32_t millimetres) {
    return "加工長: " + Metres(millimetres);
}
std::string ZanWLenPanelText(std::int32_t millimetres) {
    return "電線残: " + Metres(millimetres);
}

std::string ConnectTimeText(std::chrono::seconds connected) {
    long long total = connected.count() < 0 ? 0 : connected.count();
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld ", (total / 3600) % 24,
                  (total / 60) % 60, total % 60);
    return buffer;
}

}  // namespace kablos
