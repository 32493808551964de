#pragma once

// The dry run, `kablos --dry-run CASTING.txt [--set N] [--protocol A|B]` and the window's
// 送信内容の確認: what a batch run would send to the machine, wire by wire, before the reel is
// touched. It is the batch run itself (RunSets: the same sets, the same processing job, the same
// register writes and frames of the machine link) over a recording port instead of a serial
// line, with a pump in which no real time passes.
//
// The recording port answers as the machine does: in the ASCII protocol it confirms every
// register write with its read-back, answers read-back requests, echoes the start and reports
// the wire done ("SC"); in the binary protocol it answers the start frame "P" with the
// completion. Everything else it only records, decoded into the machine's units (lengths in
// millimetres) beside the protocol's own form.
//
// Decisions:
// - The machine holds what it was last sent: the strip and half-strip lengths of a wire are the
//   values the machine holds after the wire's commands, with where the job took them from (strip
//   row "R", first step "M", default 6.0 / 8.5, none: nothing was sent for the end and the
//   machine keeps what it had).
// - Time passes only in the pump: every second of its waits is a Timer1 tick, so a wait the
//   machine never ends (COMNo 0, the setting without a machine, sends nothing and nothing is
//   confirmed) runs out as in the batch run, in no real time. A wire that has not completed
//   when its job returns never will: the dry run waits for no completion.
// - The remaining wire is booked in memory as the batch run books it, and the first wire the reel
//   cannot take stops the run, as in the batch run; the wires after it are listed as not sent.
//   Nothing is written to the settings file, and the run ends with the hang-up the batch run's
//   shutdown sends.
// - A terminal type "without a strip row" is a wire end (type and the set's wire size) whose
//   strip set found no row: it takes the first step's row, the default or nothing. Only the
//   wires the run sends are looked at: after a stop for want of wire the rest are not.
// - The messages the run would show are reported where they arise; questions take the answers
//   of the batch run (ConsoleMessenger).

#include <QByteArray>
#include <chrono>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "CastingData.h"
#include "EventPump.h"
#include "Registers.h"
#include "RunMode.h"
#include "SerialPort.h"
#include "Session.h"

namespace kablos {

/// One command or frame the machine took.
struct SentCommand {
    /// The protocol's own form: the ASCII command ("W10431AF6", "G0001", "<CAN>" for the
    /// cancel), or the frame's bytes in hexadecimal ("57 03 00 00 1A F6 D4 0D").
    std::string form;
    /// What the machine takes, in its units: "W1043 wire length 690.2 mm", "W 03 wire length
    /// 690.2 mm", "G0001 start", "CAN", "P start".
    std::string decoded;
};

/// The port of a dry run: takes what the machine link sends, records each command or frame as
/// the machine takes it, keeps the registers' values and answers as the machine does.
class RecordingPort : public MachinePort {
    Q_OBJECT
public:
    explicit RecordingPort(ProtocolKind protocol);

    [[nodiscard]] bool setCommPort(int) override { return !m_open; }
    const std::string& settings() const override { return m_settings; }
    [[nodiscard]] bool setSettings(const std::string& settings) override;
    bool isOpen() const override { return m_open; }
    [[nodiscard]] bool open() override;
    [[nodiscard]] bool close() override;
    [[nodiscard]] bool write(const QByteArray& bytes) override;
    qint64 outBufferCount() const override { return 0; }
    QByteArray readAll() override;
    QByteArray readWaiting() override { return readAll(); }
    qint64 inBufferCount() const override { return m_input.size(); }
    void discardInput() override { m_input.clear(); }
    bool dtr() override { return m_dtr; }
    void setDtr(bool on) override { m_dtr = on; }
    const std::string& errorText() const override { return m_error; }

    /// Sends the receive event while an answer waits (the dry run's pump calls it).
    void Deliver();
    /// The commands and frames taken since the last call.
    std::vector<SentCommand> Take();
    /// The value the machine holds in the register of `reg`'s meaning, in the register's unit
    /// (millimetres for the lengths); nothing while it was never written.
    std::optional<double> Held(Reg reg) const;
    /// Every byte received.
    const QByteArray& receivedBytes() const { return m_received; }

private:
    void TakeAscii(char c);
    void AsciiCommand(const std::string& command);
    void TakeFrame();
    void Took(std::string form, std::string decoded);

    ProtocolKind m_protocol;
    bool m_open = false;
    bool m_dtr = false;
    std::string m_settings = "4800,n,8,1";
    std::string m_error;
    QByteArray m_input;
    QByteArray m_received;
    std::string m_line;
    QByteArray m_frame;
    std::map<Reg, std::uint32_t> m_registers;
    std::vector<SentCommand> m_taken;
};

/// The pump of a dry run: the recording port's answers arrive at every round, and time passes
/// only in its waits, each second of them a tick of Timer1 while the port is open.
class DryRunPump : public EventPump {
public:
    DryRunPump(Session& session, RecordingPort& port) : m_session(session), m_port(port) {}
    void ProcessEvents() override { m_port.Deliver(); }
    void Wait(std::chrono::milliseconds duration) override;

private:
    Session& m_session;
    RecordingPort& m_port;
    std::chrono::milliseconds m_clock{0};
};

/// What a dry run found, for its summary.
struct DryRunSummary {
    int wires = 0;     ///< wires of the chosen sets
    int complete = 0;  ///< of them done at the end (done already, or completed by the run)
    /// The wire the reel could not take ("set 1, wire 5, length 350.5: 200 mm left"), and how
    /// many wires after it were not sent.
    std::optional<std::string> stop;
    int notSent = 0;
    /// Terminal types without a strip row, "TYPE (size S): N ends".
    std::vector<std::string> typesWithoutRow;
    /// Sets without a cutter row, "set 3: IV 2.0".
    std::vector<std::string> setsWithoutCutter;
    bool noSets = false;  ///< nothing to run: no data sets, or `--set` named no row

    /// True when every wire would be done.
    bool goesThrough() const { return !noSets && complete == wires; }
    /// The summary lines (each ending in a newline).
    std::string Text() const;
};

/// Runs the dry run on a started session in the protocol the session has: its report, a block
/// per set and per wire and the summary at the end, goes to `out`; the messages the session's
/// messenger writes to `messages` meanwhile are reported where they arise. The settings in
/// memory take the bookings of the run; the settings file is not written.
DryRunSummary RunDryRun(Session& session, const CastingData& casting, std::optional<int> set,
                        std::stringstream& messages, std::ostream& out);

/// `kablos --dry-run`: starts as the batch run does, reads the casting data and runs the dry run
/// with `protocol` when given. Returns the exit status: 0 when the whole run would go through.
int RunDryRunCommand(const ProgramOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kablos
