#include "DryRun.h"

#include <cstdio>
#include <iostream>

#include "BatchRun.h"
#include "ConsoleMessenger.h"
#include "MachineLink.h"
#include "ProcessingJob.h"
#include "UserDataPath.h"
#include "UserStore.h"
#include "WireLists.h"
#include "WireSheet.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

constexpr char kCancel = '\x18';
constexpr std::size_t kFrameSize = 8;
// The width of the protocol's form in the report: a frame's eight bytes in hexadecimal.
constexpr std::size_t kFormWidth = 23;

// The wire grid columns the report shows.
constexpr int kLengthColumn = 1;
constexpr int kWireNumberColumn = 2;

// A register value in the register's unit as the report writes it: "690.2 mm", "3".
std::string ValueText(Reg reg, std::uint32_t raw) {
    if (!Info(reg).tenths)
        return std::to_string(raw);
    return common::FormatDouble(raw / MachineScale(reg)) + " mm";
}

std::string Described(std::optional<Reg> reg, std::uint32_t raw) {
    if (!reg)
        return "unknown register = " + std::to_string(raw);
    return std::string(Info(*reg).what) + " " + ValueText(*reg, raw);
}

std::optional<Reg> FrameMeaning(std::uint8_t number) {
    switch (number) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 14:
        case 16:
            return SameMeaning(static_cast<FrameReg>(number));
        default:
            return std::nullopt;
    }
}

std::string HexBytes(const QByteArray& bytes) {
    std::string text;
    for (char c : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X", static_cast<unsigned char>(c));
        if (!text.empty())
            text += ' ';
        text += two;
    }
    return text;
}

std::string SourceText(StripSource source, double size) {
    switch (source) {
        case StripSource::Row:
            return "R: strip row";
        case StripSource::FirstStep:
            return "M: first step";
        case StripSource::Default:
            return "default " + DefaultStripLength(size).value_or("");
        case StripSource::None:
            break;
    }
    return "none";
}

// The report of a dry run: a block per set and per wire, the summary's findings on the way.
class DryRunReport : public BatchListener {
public:
    DryRunReport(Session& session, RecordingPort& port, std::stringstream& messages,
                 std::ostream& out)
        : m_session(session), m_port(port), m_messages(messages), m_out(out) {}

    void SetOpened(int setRow, const OpenedSet& set) override {
        m_wireSize = set.wireSize;
        m_out << "set " << setRow + 1 << ": " << common::Trim(set.wireKind) << " "
              << common::Trim(set.wireSize) << ", " << set.grid.rows.size() << " wires";
        if (FindCutterRow(m_session.ini(), set.wireKind, set.wireSize) == nullptr) {
            m_out << ", no cutter row";
            summary.setsWithoutCutter.push_back("set " + std::to_string(setRow + 1) + ": " +
                                                std::string(common::Trim(set.wireKind)) + " " +
                                                std::string(common::Trim(set.wireSize)));
        }
        m_out << '\n';
        Flush("  ");
        Commands("  cutter values:", m_port.Take());
    }

    void WireEnded(int setRow, int row, const WireSheet& sheet, const ProcessingJob& job,
                   bool started) override {
        ++summary.wires;
        const std::string length(common::Trim(sheet.WireCell(row, kLengthColumn)));
        m_out << "set " << setRow + 1 << ", wire " << row + 1 << " ("
              << common::Trim(sheet.WireCell(row, kWireNumberColumn)) << "), length " << length;
        if (!started) {
            if (sheet.done(row)) {
                ++summary.complete;
                m_out << ": done already\n";
            } else {
                ++summary.notSent;
                m_out << ": not sent, the reel has run out\n";
            }
            return;
        }
        m_out << '\n';
        const double size = common::LeadingNumber(common::Trim(m_wireSize));
        if (const std::optional<WireChoice>& choice = job.lastChoice()) {
            End("From", choice->from, Reg::R1002, Reg::R1022, size);
            End("To", choice->to, Reg::R1092, Reg::R1072, size);
            m_out << "  pieces: " << Held(Reg::R0F63, "-") << '\n';
        }
        Flush("  ");
        const std::vector<SentCommand> sent = m_port.Take();
        if (sent.empty())
            m_out << "  sends: nothing\n";
        Commands("  sends:", sent);
        if (m_session.ini().ZanWLenFlg == 1) {
            m_out << "  remaining wire after it: " << m_session.ini().ZanWLen << " mm\n";
        } else {
            m_out << "  remaining wire: not tracked\n";
        }
        if (sheet.done(row)) {
            ++summary.complete;
            m_out << "  done\n";
        } else if (job.shortage()) {
            summary.stop = "set " + std::to_string(setRow + 1) + ", wire " +
                           std::to_string(row + 1) + ", length " + length + ": " +
                           std::to_string(m_session.ini().ZanWLen) + " mm left";
            m_out << "  stops: the reel cannot take the wire\n";
        } else {
            m_out << "  pending: the machine would not report it done\n";
        }
    }

    // The hang-up at the end of the run.
    void Ended() {
        Flush("");
        Commands("end of the run:", m_port.Take());
    }

    // The messages shown since the last report.
    void Flush(std::string_view indent) {
        std::string line;
        while (std::getline(m_messages, line))
            m_out << indent << "message: " << line << '\n';
        m_messages.clear();
        m_messages.str({});
    }

    // The terminal types without a strip row into the summary.
    void Finish() {
        for (const std::string& key : m_withoutRowOrder) {
            const int ends = m_withoutRow[key];
            summary.typesWithoutRow.push_back(key + ": " + std::to_string(ends) +
                                              (ends == 1 ? " end" : " ends"));
        }
    }

    DryRunSummary summary;

private:
    // A title and the commands under it, the protocol's form in a column of its own.
    void Commands(std::string_view title, const std::vector<SentCommand>& commands) {
        if (commands.empty())
            return;
        m_out << title << '\n';
        for (const SentCommand& command : commands) {
            m_out << "    " << command.form;
            for (std::size_t pad = command.form.size(); pad < kFormWidth; ++pad)
                m_out << ' ';
            m_out << "  " << command.decoded << '\n';
        }
    }

    std::string Held(Reg reg, std::string_view none) const {
        std::optional<double> value = m_port.Held(reg);
        if (!value)
            return std::string(none);
        return common::FormatDouble(*value) + (Info(reg).tenths ? " mm" : "");
    }

    void End(std::string_view name, const WireChoice::End& end, Reg strip, Reg semi, double size) {
        const std::string type(common::Trim(end.type));
        m_out << "  " << name << " type " << (type.empty() ? "(none)" : type) << ": strip "
              << Held(strip, "-") << ", half-strip " << Held(semi, "-") << " ("
              << SourceText(end.source, size) << ")\n";
        if (end.source == StripSource::Row)
            return;
        const std::string key = (type.empty() ? "(none)" : type) + " (size " +
                                std::string(common::Trim(m_wireSize)) + ")";
        auto found = m_withoutRow.find(key);
        if (found == m_withoutRow.end()) {
            m_withoutRowOrder.push_back(key);
            m_withoutRow[key] = 1;
        } else {
            ++found->second;
        }
    }

    Session& m_session;
    RecordingPort& m_port;
    std::stringstream& m_messages;
    std::ostream& m_out;
    std::string m_wireSize;
    std::map<std::string, int> m_withoutRow;
    std::vector<std::string> m_withoutRowOrder;
};

}  // namespace

// --- the recording port ---

RecordingPort::RecordingPort(ProtocolKind protocol) : m_protocol(protocol) {}

bool RecordingPort::setSettings(const std::string& settings) {
    if (!ParseLineSettings(settings))
        return false;
    m_settings = settings;
    return true;
}

bool RecordingPort::open() {
    m_open = true;
    return true;
}

bool RecordingPort::close() {
    // Text the machine never took as a command (no line end), such as the hang-up "ATH".
    if (!m_line.empty())
        Took(m_line, "(no line end: the machine takes no command)");
    m_line.clear();
    m_open = false;
    return true;
}

bool RecordingPort::write(const QByteArray& bytes) {
    if (!m_open) {
        m_error = "ポートが開かれていません";
        return false;
    }
    m_received += bytes;
    if (m_protocol == ProtocolKind::Binary) {
        m_frame += bytes;
        TakeFrame();
    } else {
        for (char c : bytes)
            TakeAscii(c);
    }
    return true;
}

QByteArray RecordingPort::readAll() {
    QByteArray bytes = m_input;
    m_input.clear();
    return bytes;
}

void RecordingPort::Deliver() {
    if (m_open && !m_input.isEmpty())
        emit received();
}

std::vector<SentCommand> RecordingPort::Take() {
    std::vector<SentCommand> taken;
    taken.swap(m_taken);
    return taken;
}

std::optional<double> RecordingPort::Held(Reg reg) const {
    auto found = m_registers.find(reg);
    if (found == m_registers.end())
        return std::nullopt;
    return found->second / MachineScale(reg);
}

void RecordingPort::Took(std::string form, std::string decoded) {
    m_taken.push_back({std::move(form), std::move(decoded)});
}

void RecordingPort::TakeAscii(char c) {
    // The machine reads a command up to its line end; the framing blanks, CR and the cancel
    // bytes around it are not part of it, and an empty command is the cancel.
    if (c == '\n') {
        std::string command;
        command.swap(m_line);
        AsciiCommand(command);
    } else if (c != '\r' && c != ' ' && c != kCancel) {
        m_line += c;
    }
}

void RecordingPort::AsciiCommand(const std::string& command) {
    auto readBack = [this](Reg reg) {
        auto found = m_registers.find(reg);
        char answer[32];
        std::snprintf(answer, sizeof answer, "R%s%04X\r\n", std::string(Info(reg).name).c_str(),
                      found == m_registers.end() ? 0u : found->second);
        m_input += answer;
    };
    if (command.empty()) {
        Took("<CAN>", "CAN");
        return;
    }
    const std::optional<Reg> reg =
        command.size() >= 5 ? RegisterNamed(command.substr(1, 4)) : std::nullopt;
    if (command[0] == 'W' && command.size() >= 5) {
        const std::string value = command.substr(5);
        const bool decimal = reg && Info(*reg).decimalText;
        const auto raw =
            static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, decimal ? 10 : 16));
        Took(command, "W" + command.substr(1, 4) + " " + Described(reg, raw));
        if (reg) {
            m_registers[*reg] = raw;
            readBack(*reg);
        }
    } else if (command[0] == 'R' && command.size() == 5) {
        Took(command, command + " read-back request");
        if (reg)
            readBack(*reg);
    } else if (command == "G0001") {
        Took(command, "G0001 start");
        m_input += "G0001\r\nSC\r\n";
    } else {
        Took(command, command + " ignored");
    }
}

void RecordingPort::TakeFrame() {
    while (m_frame.size() >= static_cast<qsizetype>(kFrameSize)) {
        const QByteArray frame = m_frame.left(kFrameSize);
        m_frame.remove(0, kFrameSize);
        const auto byte = [&frame](int i) {
            return static_cast<std::uint8_t>(frame[static_cast<qsizetype>(i)]);
        };
        const std::string form = HexBytes(frame);
        if (byte(0) == 'W') {
            const std::uint32_t raw = (std::uint32_t{byte(2)} << 24) |
                                      (std::uint32_t{byte(3)} << 16) |
                                      (std::uint32_t{byte(4)} << 8) | byte(5);
            const std::optional<Reg> reg = FrameMeaning(byte(1));
            char number[8];
            std::snprintf(number, sizeof number, "%02X", unsigned{byte(1)});
            Took(form, "W " + std::string(number) + " " + Described(reg, raw));
            if (reg)
                m_registers[*reg] = raw;
        } else if (byte(0) == 'P') {
            Took(form, "P start");
            m_input += QByteArray("R\x09\x01\x00\r", 5);
        } else {
            Took(form, std::string(1, static_cast<char>(byte(0))));
        }
    }
}

// --- the pump ---

void DryRunPump::Wait(std::chrono::milliseconds duration) {
    const auto before = m_clock / std::chrono::seconds(1);
    m_clock += duration;
    for (auto second = before; second < m_clock / std::chrono::seconds(1); ++second) {
        if (m_port.isOpen())
            m_session.TickCountdown();
    }
    m_port.Deliver();
}

// --- the run ---

std::string DryRunSummary::Text() const {
    std::ostringstream text;
    auto list = [&text](std::string_view title, const std::vector<std::string>& items) {
        text << title << ':';
        if (items.empty())
            text << " none";
        text << '\n';
        for (const std::string& item : items)
            text << "  " << item << '\n';
    };
    text << "summary: " << complete << " of " << wires << " wires would be done\n";
    text << "wires that would stop for want of wire:";
    if (stop) {
        text << "\n  " << *stop << '\n';
        if (notSent > 0)
            text << "  and " << notSent << (notSent == 1 ? " wire" : " wires")
                 << " after it not sent\n";
    } else {
        text << " none\n";
    }
    list("terminal types without a strip row", typesWithoutRow);
    list("sets without a cutter row", setsWithoutCutter);
    text << (goesThrough() ? "the whole run would go through\n"
                           : "the whole run would not go through\n");
    return text.str();
}

DryRunSummary RunDryRun(Session& session, const CastingData& casting, std::optional<int> set,
                        std::stringstream& messages, std::ostream& out) {
    RecordingPort port(session.protocol());
    (void)port.setSettings(session.port().Settings);
    DryRunPump pump(session, port);
    DryRunReport report(session, port, messages, out);

    BatchOptions options;
    options.set = set;
    // The recording port answers at once: a wire not done when its job returns never will be.
    options.timeout = std::chrono::seconds(0);
    const BatchOutcome outcome =
        RunSets(session, casting, port, pump, options, report, [&](MachineLink& link) {
            // The batch run's shutdown hangs up; its save of the settings is left out.
            link.HangUp();
        });
    report.Ended();
    report.Finish();
    report.summary.noSets = outcome.noSets || outcome.endedWith.has_value();
    out << report.summary.Text();
    return report.summary;
}

int RunDryRunCommand(const ProgramOptions& options, std::ostream& out, std::ostream& err) {
    std::stringstream messages;
    ConsoleMessenger messenger(messages);
    Session session(messenger, UserDataPath, common::ExecutableFolder());
    if (!session.Start(options.commandLine, UserStore::Read())) {
        err << messages.str();
        return 1;
    }
    if (options.protocol)
        session.setProtocol(*options.protocol);

    CastingData casting;
    std::string why;
    if (!ReadCastingData(*options.dryRun, casting, session.messenger(), &why))
        session.debugLog().Write(why);
    if (casting.sets.empty()) {
        err << messages.str() << "kablos: キャスティングデータがありません。("
            << options.dryRun->string() << ")\n";
        return 1;
    }
    out << "dry run of " << options.dryRun->string() << ": protocol "
        << (session.protocol() == ProtocolKind::Binary ? "binary (371)" : "ASCII (351)")
        << ", nothing is sent to the machine and nothing is saved\n";
    const DryRunSummary summary = RunDryRun(session, casting, options.batchSet, messages, out);
    return summary.goesThrough() ? 0 : 1;
}

}  // namespace kablos
