#pragma once

// The link to the wire cutting machine: the serial port's toggle and hang-up, the ASCII register
// protocol (commands, register writes through the confirmation memory, read-back checks, the
// cutter write, the receive handler) and the binary frame protocol (frame send with its poll,
// the receive handler), and the serial events with their messages. No widgets: what the main
// window shows goes through LinkView.

#include <QByteArray>
#include <QObject>
#include <array>
#include <chrono>
#include <functional>
#include <string>

#include "EventPump.h"
#include "Registers.h"
#include "SerialPort.h"
#include "Session.h"

namespace kablos {

/// What the link shows in the main window.
class LinkView {
public:
    virtual ~LinkView() = default;
    /// The port is open or closed now: the check mark of the open command, hang-up enabled, the
    /// state icon, "設定: " + settings in the Settings panel, the connect-time display.
    virtual void ShowPortState(bool open, const std::string& settings) = 0;
    /// The whole text of the Status panel.
    virtual void ShowStatus(const std::string& text) = 0;
    /// Starts Timer2, which resets the Status panel after a second.
    virtual void StartStatusReset() = 0;
    /// Appends received text to the terminal box (ShowData).
    virtual void AppendTerminal(const std::string& text) = 0;
    /// Hides the wire grid while the port toggles; shows it again with the cursor on row 1,
    /// column 1.
    virtual void SetWireGridShown(bool shown) = 0;
    virtual void Beep() = 0;
    virtual void DefaultPointer() = 0;
    /// Ends the program with `code`.
    virtual void EndProgram(int code) = 0;
};

/// A link view with nowhere to show anything: runs without a window build on it.
class QuietLinkView : public LinkView {
public:
    void ShowPortState(bool, const std::string&) override {}
    void ShowStatus(const std::string&) override {}
    void StartStatusReset() override {}
    void AppendTerminal(const std::string&) override {}
    void SetWireGridShown(bool) override {}
    void Beep() override {}
    void DefaultPointer() override {}
    void EndProgram(int) override {}
};

/// What the link and the processing job share.
struct JobState {
    /// A completion has been recorded for the running job (set while no job runs, so that a
    /// stray "SC" never completes a wire nobody started).
    bool completed = true;
    std::string answerText;      ///< ASCII: text received since the job began
    int waitState = 0;           ///< ASCII: 0 ends the wait loop
    bool startSent = false;      ///< a start command went out (debug mode completes on any event)
    bool abort = false;          ///< the operator chose to end the program after a serial error
    bool answerArrived = false;  ///< binary: a complete answer (ending in CR) has arrived
    QByteArray answerBytes;      ///< binary: the bytes of the answer
    std::string statusText;      ///< the text shown after "データ: "
    /// The completion steps of the running job.
    std::function<void()> onComplete;
};

class MachineLink : public PortControl {
public:
    /// Serves the port's receive and serial events from now on.
    MachineLink(Session& session, MachinePort& port, EventPump& pump, LinkView& view);
    ~MachineLink() override;
    MachineLink(const MachineLink&) = delete;
    MachineLink& operator=(const MachineLink&) = delete;

    MachinePort& port() { return m_port; }
    RegisterCache& registers() { return m_registers; }
    JobState& job() { return m_job; }

    /// Opens a closed port or closes an open one, with its messages and the view updates.
    void TogglePort();
    /// Sends the hang-up (S frame or "ATH"), pulses DTR and closes the port.
    void HangUp() override;

    bool IsOpen() const override { return m_port.isOpen(); }
    bool WaitOutputDrained(std::chrono::milliseconds limit) override;

    // --- ASCII protocol ---

    /// Sends one command with its framing and pauses; nothing goes out while the numeric value
    /// of COMNo is 0.
    void SendCommand(const std::string& command);
    /// Writes a register through the confirmation memory: a value already confirmed is not sent.
    /// `value` is in the register's unit (millimetres for the lengths). A value the register
    /// cannot take ("1e400") is refused with a message: false, nothing sent.
    bool WriteRegister(Reg reg, std::string_view value);
    /// The start command.
    void SendStart() { SendCommand("G0001"); }
    /// The cancel command, the single byte 0x18.
    void SendCancel() { SendCommand("\x18"); }
    /// True when every register of the variant's list is confirmed.
    bool ConfirmationCheck(int variant);
    /// Asks the machine for each unconfirmed register of the variant's list; true when nothing
    /// needed asking.
    bool ReadBackRequest(int variant);
    /// Writes the cutter values of the first cutter row of the wire kind and size.
    void CutterWrite(std::string_view wireKind, std::string_view wireSize);
    /// Everything waiting on the line, read at once (also what the receive event has not yet
    /// seen), as text; the receive handler does not run for it.
    std::string ReadWaiting();
    /// Closes the port and opens it again as port `commPort` with `settings`; false, with the
    /// port closed, when it cannot be opened.
    bool Reopen(int commPort, const std::string& settings);
    /// How many ASCII sends have given up because the output did not drain in time.
    int sendTimeouts() const { return m_sendTimeouts; }

    // --- binary protocol ---

    /// Writes the frame and waits for the output to drain (1500 polls of 10 ms); false, with a
    /// message, when it could not be sent.
    bool SendFrame(const Frame& frame);
    /// RegisterFrame (`value` in the register's unit: millimetres for the lengths), then
    /// SendFrame. A value the register cannot take is refused with a message: false.
    bool WriteFrame(FrameReg reg, double value);
    /// The binary cutter send: wire diameter, Y back, roller speed and cutter speed of the first
    /// cutter row of the wire kind and size.
    void CutterFrames(std::string_view wireKind, std::string_view wireSize);

    /// The cutter values of a data set just opened, in the protocol in use: the cutter pairs
    /// of the confirmation memory are forgotten first.
    void SendCutterValues(std::string_view wireKind, std::string_view wireSize);

    // --- events ---

    /// Records the completion of the running job and runs its completion steps, unless one is
    /// recorded already.
    void CompleteJob();

    /// The receive event: runs the handler of the protocol in use.
    void OnReceive();
    /// What the ASCII receive handler does with a chunk of received text: the terminal box, the
    /// completion, the read-backs, the start's echo and the Status panel.
    void HandleAsciiChunk(const std::string& chunk);
    /// A serial event other than a receive.
    void OnCommEvent(CommEvent event);
    /// Keys typed in the terminal box, sent as typed while the port is open.
    void SendTyped(const std::string& text);

    /// True once the port has been toggled since start-up.
    bool toggledSinceStart() const { return m_toggled; }
    /// Opening a data set opens the port first when it has never been toggled, or when a send
    /// found it closed since.
    bool NeedsOpening() const { return !m_toggled || (m_portErrorShown && !m_port.isOpen()); }
    /// Clicking or keying the wire grid allows the closed-port message again.
    void ResetPortErrorShown() { m_portErrorShown = false; }
    /// "ポートが開かれていません", shown once until the port is toggled or the wire grid is
    /// clicked or keyed again; sends are abandoned from now on.
    void ReportPortClosed();

    /// The longest text the receive handler keeps from earlier chunks to assemble a line.
    static constexpr std::size_t kMaxAssembled = 256;
    /// How long an ASCII send waits for the output to drain before it gives up.
    static constexpr std::chrono::milliseconds kSendDrainLimit{10000};

private:
    void OnReceiveAscii();
    void OnReceiveBinary();
    bool WaitDrainForSend();
    void Log(std::string_view text) { m_session.debugLog().Write(text); }
    bool Compare(Reg reg, int mode, std::string_view a, std::string_view b);

    Session& m_session;
    MachinePort& m_port;
    EventPump& m_pump;
    LinkView& m_view;
    RegisterCache m_registers;
    JobState m_job;
    bool m_cancelSend = false;
    bool m_portErrorShown = false;
    bool m_toggled = false;
    bool m_inReceive = false;
    int m_sendTimeouts = 0;
    std::string m_previousChunk;
    std::array<QMetaObject::Connection, 3> m_connections;
};

/// The first cutter row of the wire kind and size (sizes compared as single-precision numbers),
/// the row the cutter values of a data set come from; nothing when the table has none.
const CutterRow* FindCutterRow(const IniData& ini, std::string_view wireKind,
                               std::string_view wireSize);

/// Gives the port the per-user port values; a value the port refuses leaves the port's own.
void ApplyPortValues(SerialPort& port, const PortValues& values);

/// The terminal box after appending `text`: a box over 16000 characters first loses its first
/// 4096; backspaces delete (one at the start deletes the box's last character); LF is dropped
/// and CR becomes CR LF.
QString ShowData(QString box, const QString& text);

}  // namespace kablos
