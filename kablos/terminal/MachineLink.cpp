#include "MachineLink.h"

#include <array>

#include "common/codepage.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

constexpr std::string_view kDefaultSettings = "4800,N,8,1";
constexpr std::string_view kErrorQuestionTitle =
    "中断する場合は [キャンセル] を、無視する場合は [OK] をクリックしてください。";

constexpr std::array<Reg, 9> kCheckVariant0 = {Reg::R1022, Reg::R1002, Reg::R1072,
                                               Reg::R1092, Reg::R1043, Reg::R0F11,
                                               Reg::R0BE2, Reg::R0F01, Reg::R0ED2};

// The registers a confirmation check or read-back request looks at, in their order.
std::vector<Reg> CheckList(int variant) {
    std::vector<Reg> list(kCheckVariant0.begin(), kCheckVariant0.end());
    if (variant == 1) {
        list.push_back(Reg::R0F63);
        list.push_back(Reg::R0F93);
    }
    return list;
}

QByteArray Bytes(std::string_view text) {
    std::string encoded = common::ToCodePage(text);
    return QByteArray(encoded.data(), static_cast<qsizetype>(encoded.size()));
}

// The machine value of a read-back, as the status text shows it.
std::string ReadBackValue(Reg reg, std::string_view readBack) {
    std::string value = HexToDec(readBack.size() > 5 ? readBack.substr(5) : std::string_view());
    if (!Info(reg).tenths)
        return value;
    return common::FormatSingle(
        static_cast<float>(common::LeadingNumber(value) / MachineScale(reg)));
}

// Keeps the end of a text that only ever grows by what a machine sends.
void KeepTail(std::string& text, std::size_t limit) {
    if (text.size() > limit)
        text.erase(0, text.size() - limit);
}

}  // namespace

MachineLink::MachineLink(Session& session, MachinePort& port, EventPump& pump, LinkView& view)
    : m_session(session), m_port(port), m_pump(pump), m_view(view) {
    m_connections[0] =
        QObject::connect(&m_port, &MachinePort::received, &m_port, [this] { OnReceive(); });
    m_connections[1] = QObject::connect(&m_port, &MachinePort::commEvent, &m_port,
                                        [this](CommEvent event) { OnCommEvent(event); });
    // A device that goes away closes the port; the window shows it closed at once.
    m_connections[2] = QObject::connect(&m_port, &MachinePort::closedByFailure, &m_port,
                                        [this] { m_view.ShowPortState(false, m_port.settings()); });
}

MachineLink::~MachineLink() {
    for (const QMetaObject::Connection& connection : m_connections)
        QObject::disconnect(connection);
}

// --- port ---

void MachineLink::TogglePort() {
    m_portErrorShown = false;
    m_toggled = true;
    m_job.abort = false;

    bool ok = m_port.isOpen() ? m_port.close() : m_port.open();
    if (!ok)
        m_session.messenger().Warn(m_port.errorText());
    if (m_port.settings().empty())
        (void)m_port.setSettings(std::string(kDefaultSettings));
    m_session.messenger().MsgBox("スタート", MsgButtons::Ok, MsgIcon::None, "通信ポートを開く");

    m_view.SetWireGridShown(false);
    m_view.ShowPortState(m_port.isOpen(), m_port.settings());
    m_port.discardInput();
    m_view.SetWireGridShown(true);
    m_registers.ClearAll();
}

void MachineLink::HangUp() {
    if (m_port.isOpen()) {
        if (m_session.protocol() == ProtocolKind::Binary) {
            SendFrame(FixedFrame('S'));
        } else if (m_port.write("ATH")) {
            // Closing the port would drop what still waits in its output buffer.
            WaitOutputDrained(std::chrono::seconds(1));
        }
        bool dtr = m_port.dtr();
        m_port.setDtr(true);
        m_port.setDtr(false);
        m_port.setDtr(dtr);
    }
    if (!m_port.close())
        m_session.messenger().Warn(m_port.errorText());
    m_view.ShowPortState(false, m_port.settings());
    m_view.ShowStatus(StatusPanelText(""));
}

bool MachineLink::WaitOutputDrained(std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_port.isOpen() && m_port.outBufferCount() > 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        m_pump.Wait(std::chrono::milliseconds(10));
    }
    return true;
}

// --- ASCII protocol ---

void MachineLink::ReportPortClosed() {
    m_cancelSend = true;
    if (m_portErrorShown)
        return;
    m_portErrorShown = true;
    m_session.messenger().Warn("ポートが開かれていません");
}

bool MachineLink::WaitDrainForSend() {
    if (!m_port.isOpen()) {
        ReportPortClosed();
        return false;
    }
    if (!WaitOutputDrained(kSendDrainLimit)) {
        m_cancelSend = true;
        ++m_sendTimeouts;
        m_session.messenger().Warn("送信タイムアウト");
        return false;
    }
    if (!m_port.isOpen()) {
        ReportPortClosed();
        return false;
    }
    return true;
}

void MachineLink::SendCommand(const std::string& command) {
    Log(DebugForm(command));
    // With the machine link switched off nothing goes out, and the port is not needed.
    if (common::LeadingNumber(m_session.ini().COMNo) == 0)
        return;
    if (!m_cancelSend && !WaitDrainForSend())
        return;

    const std::string padded = command + std::string(13, ' ');
    constexpr std::size_t kHalfOutputBuffer = 256;
    std::size_t sent = 0;
    while (sent < padded.size()) {
        std::size_t rest = padded.size() - sent;
        std::string piece = padded.substr(sent, rest > kHalfOutputBuffer ? 256 : rest);
        sent += piece.size();

        const bool start = piece.starts_with("G");
        if (!m_port.write(Bytes(std::string("\x18   ") + piece.front()))) {
            ReportPortClosed();
            return;
        }
        if (start)
            m_job.startSent = true;
        const int pause = start || piece.starts_with("W0F93") ? 21 : 11;
        for (int i = 0; i < pause; ++i)
            m_pump.ProcessEvents();
        if (!m_port.write(Bytes("   " + piece.substr(1) + "\r\n"))) {
            ReportPortClosed();
            return;
        }
        for (int i = 0; i < 21; ++i)
            m_pump.ProcessEvents();
        if (!m_cancelSend && !WaitDrainForSend())
            return;
    }
    m_pump.Wait(std::chrono::milliseconds(200));
    m_cancelSend = true;
}

bool MachineLink::Compare(Reg reg, int mode, std::string_view a, std::string_view b) {
    bool same = SameRegisterValue(reg, mode, a, b);
    Log(std::string(same ? "同" : "異") + std::string(a) +
        (Info(reg).decimalText ? " CmdCmpD " : " CmdCmpH ") + std::string(b));
    return same;
}

bool MachineLink::WriteRegister(Reg reg, std::string_view value) {
    const std::optional<std::string> text = RegisterValueText(reg, value);
    if (!text) {
        Log(ValueOutOfRangeText(reg, value));
        m_session.messenger().Warn(ValueOutOfRangeText(reg, value));
        return false;
    }
    const std::string command = "W" + std::string(Info(reg).name) + *text;
    RegisterCache::Pair& pair = m_registers[reg];
    if (!Compare(reg, 0, command, pair.requested))
        pair.requested = command;
    if (!Compare(reg, 0, pair.requested, pair.confirmed)) {
        SendCommand(command);
        pair.requested = std::string(common::Trim(command));
    }
    m_pump.ProcessEvents();
    return true;
}

bool MachineLink::ConfirmationCheck(int variant) {
    for (Reg reg : CheckList(variant)) {
        const RegisterCache::Pair& pair = m_registers[reg];
        if (!Compare(reg, 1, pair.requested, pair.confirmed))
            return false;
    }
    return true;
}

bool MachineLink::ReadBackRequest(int variant) {
    bool allConfirmed = true;
    for (Reg reg : CheckList(variant)) {
        const RegisterCache::Pair& pair = m_registers[reg];
        if (!Compare(reg, 1, pair.requested, pair.confirmed)) {
            allConfirmed = false;
            SendCommand("R" + std::string(Info(reg).name));
        }
    }
    return allConfirmed;
}

const CutterRow* FindCutterRow(const IniData& ini, std::string_view wireKind,
                               std::string_view wireSize) {
    const float size = static_cast<float>(common::LeadingNumber(wireSize));
    for (const CutterRow& row : ini.CutterEnv) {
        if (row.WireKind == wireKind &&
            static_cast<float>(common::LeadingNumber(row.WireSize)) == size) {
            return &row;
        }
    }
    return nullptr;
}

void MachineLink::CutterWrite(std::string_view wireKind, std::string_view wireSize) {
    const CutterRow* row = FindCutterRow(m_session.ini(), wireKind, wireSize);
    if (row == nullptr)
        return;
    WriteRegister(Reg::R0ED2, row->WireDia);
    WriteRegister(Reg::R0BE2, row->YBack);
    WriteRegister(Reg::R0F01, row->RollerSpeed);
    WriteRegister(Reg::R0F11, row->CutterSpeed);
    WriteRegister(Reg::R0ED2, row->WireDia);
    WriteRegister(Reg::R0BE2, row->YBack);
}

std::string MachineLink::ReadWaiting() {
    if (!m_port.isOpen())
        return {};
    const bool inReceive = m_inReceive;
    m_inReceive = true;
    QByteArray bytes = m_port.readWaiting();
    m_inReceive = inReceive;
    return common::FromCodePageLossy(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool MachineLink::Reopen(int commPort, const std::string& settings) {
    (void)m_port.close();
    const bool ok = m_port.setCommPort(commPort) && m_port.setSettings(settings) && m_port.open();
    m_view.ShowPortState(m_port.isOpen(), m_port.settings());
    return ok;
}

void MachineLink::SendCutterValues(std::string_view wireKind, std::string_view wireSize) {
    m_registers.ClearCutter();
    if (m_session.protocol() == ProtocolKind::Binary) {
        CutterFrames(wireKind, wireSize);
    } else {
        CutterWrite(wireKind, wireSize);
    }
}

// --- binary protocol ---

bool MachineLink::SendFrame(const Frame& frame) {
    QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                     static_cast<qsizetype>(frame.size()));
    if (!m_port.write(bytes)) {
        m_session.messenger().Warn("ポートが開かれていません。\r\n<" + m_port.errorText() + ">");
        return false;
    }
    for (int poll = 0; poll < 1500; ++poll) {
        if (!m_port.isOpen()) {
            m_session.messenger().Warn("ポートが開かれていません。\r\n<" + m_port.errorText() +
                                       ">");
            return false;
        }
        if (m_port.outBufferCount() == 0)
            return true;
        m_pump.Wait(std::chrono::milliseconds(10));
    }
    m_session.messenger().Warn("送信タイムアウト\r\n<" + FrameAsDecimals(frame) + ">");
    return false;
}

bool MachineLink::WriteFrame(FrameReg reg, double value) {
    const std::optional<Frame> frame = RegisterFrame(reg, value);
    if (!frame) {
        m_session.messenger().Warn(
            ValueOutOfRangeText(SameMeaning(reg), common::FormatDouble(value)));
        return false;
    }
    return SendFrame(*frame);
}

void MachineLink::CutterFrames(std::string_view wireKind, std::string_view wireSize) {
    const CutterRow* row = FindCutterRow(m_session.ini(), wireKind, wireSize);
    if (row == nullptr)
        return;
    WriteFrame(FrameReg::WireDia, common::LeadingNumber(row->WireDia));
    WriteFrame(FrameReg::YBack, common::LeadingNumber(row->YBack));
    WriteFrame(FrameReg::RollerSpeed, common::LeadingNumber(row->RollerSpeed));
    WriteFrame(FrameReg::CutterSpeed, common::LeadingNumber(row->CutterSpeed));
}

// --- events ---

void MachineLink::CompleteJob() {
    if (m_job.completed)
        return;
    m_job.completed = true;
    if (m_job.onComplete)
        m_job.onComplete();
}

void MachineLink::OnReceive() {
    // A receive event that arrives while the handler waits is served by the running handler,
    // which reads until the input is empty.
    if (m_inReceive)
        return;
    m_inReceive = true;
    if (m_session.protocol() == ProtocolKind::Binary) {
        OnReceiveBinary();
    } else {
        OnReceiveAscii();
    }
    m_inReceive = false;
}

void MachineLink::OnReceiveAscii() {
    m_pump.Wait(std::chrono::milliseconds(10));
    QByteArray bytes;
    while (m_port.inBufferCount() > 0)
        bytes += m_port.readAll();
    HandleAsciiChunk(common::FromCodePageLossy(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
}

void MachineLink::HandleAsciiChunk(const std::string& chunk) {
    m_view.AppendTerminal(chunk);

    m_job.answerText += chunk;
    KeepTail(m_job.answerText, 4096);
    if (m_job.answerText.find("SC") != std::string::npos || m_session.runMode().DebugMode != 0) {
        if (!m_job.completed) {
            CompleteJob();
            m_view.DefaultPointer();
            m_job.statusText.clear();
        }
    }

    // Line assembly: a piece that does not start a command continues the previous one.
    std::string text = chunk;
    std::string_view trimmed = common::Trim(chunk);
    if (!trimmed.empty() &&
        std::string_view("RWGS").find(trimmed.front()) == std::string_view::npos) {
        text = m_previousChunk + chunk;
    }
    KeepTail(text, kMaxAssembled);
    m_previousChunk = text;

    ScanReadBacks(text, [this](const ReadBack& readBack) {
        Log(DebugForm(readBack.command));
        RegisterCache::Pair& pair = m_registers[readBack.reg];
        if (SameRegisterValue(readBack.reg, 0, pair.requested, readBack.command)) {
            pair.confirmed = readBack.command;
            m_job.statusText += "," + std::string(Info(readBack.reg).readLabel) +
                                ReadBackValue(readBack.reg, readBack.command);
        }
    });
    if (text.find("G0001") != std::string::npos) {
        m_job.statusText += ",スタート";
        m_previousChunk.clear();
        m_job.waitState = 0;
    }

    std::string shown = text;
    for (std::size_t at; (at = shown.find("\r?")) != std::string::npos;)
        shown.erase(at, 2);
    m_view.AppendTerminal(shown);

    KeepTail(m_job.statusText, 1024);
    if (!m_job.statusText.empty()) {
        m_view.ShowStatus(StatusPanelText(m_job.statusText));
        m_view.StartStatusReset();
    }
}

void MachineLink::OnReceiveBinary() {
    // Collect what has arrived; an answer is complete with its CR. A partial answer waits for
    // the next receive event instead of holding the program.
    while (m_port.inBufferCount() > 0)
        m_job.answerBytes += m_port.readAll();
    constexpr qsizetype kMaxAnswer = 4096;
    if (m_job.answerBytes.size() > kMaxAnswer)
        m_job.answerBytes = m_job.answerBytes.right(kMaxAnswer);
    if (m_job.answerBytes.contains('\r'))
        m_job.answerArrived = true;
}

void MachineLink::OnCommEvent(CommEvent event) {
    if (m_session.runMode().DebugMode != 0 && m_job.startSent && !m_job.completed) {
        CompleteJob();
        m_job.startSent = false;
        m_view.DefaultPointer();
        m_job.statusText.clear();
    }
    const std::string text = CommEventText(event);
    if (text.empty())
        return;
    if (!IsCommError(event)) {
        m_view.ShowStatus(text);
        return;
    }
    if (m_job.abort)
        return;
    m_view.ShowPortState(m_port.isOpen(), m_port.settings());
    m_view.ShowStatus(text);
    m_view.Beep();
    MsgAnswer answer = m_session.messenger().MsgBox(text, MsgButtons::OkCancel, MsgIcon::None,
                                                    kErrorQuestionTitle);
    if (answer == MsgAnswer::Cancel) {
        HangUp();
        m_view.StartStatusReset();
        m_job.abort = true;
        m_view.EndProgram(1);
    }
}

void MachineLink::SendTyped(const std::string& text) {
    if (!m_port.isOpen() || text.empty())
        return;
    (void)m_port.write(Bytes(text));
}

void ApplyPortValues(SerialPort& port, const PortValues& values) {
    (void)port.setCommPort(values.CommPort);
    (void)port.setSettings(values.Settings);
    (void)port.setHandshaking(values.Handshaking);
}

QString ShowData(QString box, const QString& text) {
    if (box.size() > 16000)
        box.remove(0, 4096);
    for (QChar c : text) {
        if (c == QChar(0x08)) {
            if (!box.isEmpty())
                box.chop(1);
        } else if (c == QChar('\n')) {
            continue;
        } else if (c == QChar('\r')) {
            box += QStringLiteral("\r\n");
        } else {
            box += c;
        }
    }
    return box;
}

}  // namespace kablos
