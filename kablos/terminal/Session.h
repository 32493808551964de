#pragma once

// The run state of KABLOS and the rules of its start and its orderly end, without any window:
// the main window, the unattended check and the tests all drive this one class.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "DebugLog.h"
#include "Messenger.h"
#include "RunMode.h"
#include "SettingsFile.h"
#include "UserStore.h"

namespace kablos {

/// The serial port as the start and the end of the program see it. The machine link implements
/// it; without one the port counts as closed.
class PortControl {
public:
    virtual ~PortControl() = default;
    virtual bool IsOpen() const = 0;
    /// Waits until the output buffer is empty, at most `limit`, serving pending events
    /// meanwhile. True when it emptied.
    virtual bool WaitOutputDrained(std::chrono::milliseconds limit) = 0;
    /// Hangs up the line and closes the port.
    virtual void HangUp() = 0;
};

/// The port values the per-user store keeps, with the serial control's defaults.
struct PortValues {
    std::string Settings = "4800,N,8,1";
    int CommPort = 1;
    int Handshaking = 0;
};

/// How an orderly shutdown ended.
enum class ShutdownOutcome {
    Done,         ///< settings saved; the program ends
    Aborted,      ///< the user chose Abort when the output did not drain; nothing was saved
    WriteFailed,  ///< the settings could not be saved; the message was shown; the program ends
};

class Session {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    Session(Messenger& messenger, std::function<std::filesystem::path()> userDataPath,
            std::filesystem::path programFolder, Clock clock = std::chrono::system_clock::now);

    /// Start-up without the window: chooses the protocol from MType or the command line, starts
    /// a fresh debug log, takes the run mode from the command line, applies the per-user port
    /// values and loads the settings file: the per-user copy, else the program folder's copy,
    /// which is then written to the per-user folder at once. Returns false when the program must
    /// end; the message has been shown.
    ///
    /// A per-user file that exists but cannot be read is kept beside it as
    /// "KABLOS.ini.<date>-<time>.unreadable" before the program folder's copy replaces it, so
    /// that the user's environments are never lost.
    [[nodiscard]] bool Start(const std::string& commandLine, const UserProperties& properties);

    /// The orderly end: drains the port's output (asking Abort/Retry/Ignore after each 10 s),
    /// hangs up, and saves the settings file.
    ShutdownOutcome Shutdown(PortControl* port);

    SettingsFile& settings() { return m_settings; }
    IniData& ini() { return m_settings.data(); }
    DebugLog& debugLog() { return m_debugLog; }
    Messenger& messenger() { return m_messenger; }

    ProtocolKind protocol() const { return m_protocol; }
    void setProtocol(ProtocolKind protocol) { m_protocol = protocol; }
    const RunMode& runMode() const { return m_runMode; }
    PortValues& port() { return m_port; }
    bool echo() const { return m_echo; }
    void setEcho(bool echo) { m_echo = echo; }

    /// The countdown in seconds that Timer1 decrements and the job reads.
    int countdown() const { return m_countdown; }
    void setCountdown(int seconds) { m_countdown = seconds; }
    /// One Timer1 tick: the countdown goes down by one while it is above 0.
    void TickCountdown() {
        if (m_countdown > 0)
            --m_countdown;
    }

    /// True when the settings were read from the program folder at the last start.
    bool startedFromProgramCopy() const { return m_fromProgramCopy; }
    /// Where an unreadable per-user file was kept at the last start; empty when none was.
    const std::filesystem::path& keptUnreadableFile() const { return m_keptUnreadable; }

private:
    Messenger& m_messenger;
    Clock m_clock;
    SettingsFile m_settings;
    DebugLog m_debugLog;
    ProtocolKind m_protocol = ProtocolKind::Ascii;
    RunMode m_runMode;
    PortValues m_port;
    bool m_echo = false;
    int m_countdown = 0;
    bool m_fromProgramCopy = false;
    std::filesystem::path m_keptUnreadable;
};

/// Status-bar texts.
std::string StatusPanelText(std::string_view data);      ///< "データ: " + data
std::string CutWLenPanelText(std::int32_t millimetres);  ///< "加工長: " + metres + "m"
std::string ZanWLenPanelText(std::int32_t millimetres);  ///< "電線残: " + metres + "m"
/// The connect time "hh:nn:ss " (hours of the day, with the trailing blank).
std::string ConnectTimeText(std::chrono::seconds connected);

/// How long the shutdown waits for the output to drain before it asks.
inline constexpr std::chrono::milliseconds kDrainLimit{10000};

}  // namespace kablos
