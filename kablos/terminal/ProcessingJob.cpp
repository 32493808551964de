#include "ProcessingJob.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>

#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

constexpr std::string_view kLoadCastingFirst = "キャスティングデータを読み込んでください。";
constexpr std::string_view kShortage = "残り電線が足りません。電線を交換してください。";
constexpr std::string_view kComUnusable =
    "COM1 は使用できません。CommPort プロパティを別のポートに設定してください。";
constexpr std::string_view kLineFailure =
    "通信異常\r\nキャスティング機をリセットしてください。\r\n終了します。\r\nスペースキーを押して"
    "ください。";
constexpr std::string_view kReopenSettings = "4800,N,8,1";

// Grid columns of the wire values.
constexpr int kLengthColumn = 1;
constexpr int kFromTypeColumn = 5;
constexpr int kToTypeColumn = 6;

// What one pass of the ASCII wait loop does at each countdown second: offer the start when the
// wait state is `offerIn` (0: never), and when the retries run out move to the wait state `next`
// (-1: the retries are not counted down).
struct WaitStage {
    int offerIn;
    int next;
};
constexpr std::array<WaitStage, 6> kWaitStages = {{
    {1, 0},   // 0: the last offer; at its end the wait is over
    {2, 1},   // 1
    {0, -1},  // 2: nothing
    {3, 2},   // 3
    {0, 3},   // 4
    {4, 4},   // 5: the first second; the wait stays in state 4
}};

std::string Trimmed(std::string_view text) {
    return std::string(common::Trim(text));
}

bool StripRowMatches(const StripRow& row, std::string_view type, double size) {
    return type.starts_with(row.TermType) && common::LeadingNumber(row.SizeFrom) <= size &&
           size <= common::LeadingNumber(row.SizeTo);
}

std::int32_t Saturated(double value) {
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

}  // namespace

// --- rules without a port ---

std::string FirstStepType(std::string_view type) {
    if (!type.empty() && std::isdigit(static_cast<unsigned char>(type.front())))
        return "M";
    return std::string(type);
}

const StripRow* FindStripRow(const std::vector<StripRow>& rows, std::string_view type,
                             double size) {
    for (const StripRow& row : rows) {
        if (StripRowMatches(row, type, size))
            return &row;
    }
    return nullptr;
}

StripRows FindStripRows(const std::vector<StripRow>& rows, std::string_view fromType,
                        std::string_view toType, double size) {
    StripRows found;
    for (const StripRow& row : rows) {
        if (found.from == nullptr && StripRowMatches(row, fromType, size))
            found.from = &row;
        if (found.to == nullptr && StripRowMatches(row, toType, size))
            found.to = &row;
        if (found.from != nullptr && found.to != nullptr)
            break;
    }
    return found;
}

std::optional<std::string> DefaultStripLength(double size) {
    if (size >= 0.1 && size <= 2)
        return "6.0";
    if (size >= 3.5)
        return "8.5";
    return std::nullopt;
}

bool WireShortage(const IniData& ini, ProtocolKind protocol, double length) {
    if (ini.ZanWLenFlg != 1)
        return false;
    const double booked = protocol == ProtocolKind::Binary ? common::RoundHalfEven(length) : length;
    return ini.ZanWLen - booked < 0;
}

int PieceCount(std::string_view cutCnt) {
    const double count = common::RoundHalfEven(common::LeadingNumber(cutCnt));
    if (count < 2)
        return 1;
    return static_cast<int>(std::min(count, static_cast<double>(std::numeric_limits<int>::max())));
}

bool IsCompletionAnswer(const QByteArray& answer) {
    return answer.size() >= 5 && answer[0] == 'R' && answer[1] == '\x09' && answer[2] == '\x01' &&
           answer[4] == '\r';
}

int NextRowScroll(int row, int last, int top, int lastVisible) {
    const int amount = std::min(std::max(row - 4, 1) - top, last - lastVisible);
    return std::max(amount, 0);
}

void BookWire(IniData& ini, double length) {
    if (ini.ZanWLenFlg != 1)
        return;
    ini.ZanWLen = Saturated(common::RoundHalfEven(static_cast<double>(ini.ZanWLen) - length));
    ini.CutWLen = Saturated(common::RoundHalfEven(static_cast<double>(ini.CutWLen) + length));
}

// --- the job ---

ProcessingJob::ProcessingJob(Session& session, MachineLink& link, EventPump& pump, JobView& view)
    : m_session(session), m_link(link), m_pump(pump), m_view(view) {
    m_link.job().onComplete = [this] { CompletionSteps(); };
}

ProcessingJob::~ProcessingJob() {
    m_link.job().onComplete = nullptr;
}

const StripEnvironment& ProcessingJob::Environment() const {
    static const StripEnvironment none;
    const StripEnvironment* environment = EnvironmentInUse(m_session.ini());
    return environment != nullptr ? *environment : none;
}

void ProcessingJob::Start() {
    if (m_view.JobShown())
        return;
    m_view.BusyPointer();
    m_session.debugLog().StartJob();

    JobState& job = m_link.job();
    job.abort = false;
    m_shortage = false;
    m_choice.reset();
    job.completed = false;
    m_link.registers()[Reg::R0F93] = {};
    job.statusText.clear();

    const bool binary = m_session.protocol() == ProtocolKind::Binary;
    if (binary) {
        m_link.SendFrame(FixedFrame('S'));
    } else {
        m_link.SendCancel();
    }

    m_view.ShowJob(true);
    if (binary) {
        BinaryJob();
    } else {
        AsciiJob();
    }
    m_view.ShowJob(false);
    m_session.debugLog().Write("End");
    m_view.DefaultPointer();
}

std::optional<ProcessingJob::Wire> ProcessingJob::CurrentWire(bool trimmed) const {
    std::optional<int> row = m_view.CurrentWireRow();
    if (!row || *row < 0 || *row >= m_view.WireRowCount())
        return std::nullopt;
    auto cell = [&](int column) {
        std::string text = m_view.WireCell(*row, column);
        return trimmed ? Trimmed(text) : text;
    };
    Wire wire;
    wire.row = *row;
    wire.length = cell(kLengthColumn);
    wire.fromType = cell(kFromTypeColumn);
    wire.toType = cell(kToTypeColumn);
    std::string size = m_view.SetWireSize();
    wire.size = common::LeadingNumber(trimmed ? Trimmed(size) : size);
    return wire;
}

std::optional<ProcessingJob::Wire> ProcessingJob::CheckedWire(bool binary) {
    if (m_view.WireColumnCount() < 6) {
        m_session.messenger().Warn(kLoadCastingFirst);
        return std::nullopt;
    }
    // The binary job takes the row's values trimmed, the ASCII job as the grid shows them.
    std::optional<Wire> wire = CurrentWire(binary);
    if (!wire || (binary && wire->length.empty()))
        return std::nullopt;
    // A length no wire length register can take ("1e400") is refused before anything is sent,
    // and before the remaining wire is compared with it.
    const bool fits =
        binary
            ? RegisterFrame(FrameReg::WireLength, common::LeadingNumber(wire->length)).has_value()
            : RegisterValueText(Reg::R1043, wire->length).has_value();
    if (!fits) {
        m_session.messenger().Warn(ValueOutOfRangeText(Reg::R1043, wire->length));
        return std::nullopt;
    }
    if (WireShortage(m_session.ini(), m_session.protocol(), common::LeadingNumber(wire->length))) {
        m_session.messenger().MsgBox(kShortage, MsgButtons::Ok, MsgIcon::Warning, m_view.Caption());
        m_shortage = true;
        return std::nullopt;
    }
    return wire;
}

// --- ASCII job ---

void ProcessingJob::AsciiJob() {
    std::optional<Wire> wire = CheckedWire(false);
    if (!wire)
        return;

    JobState& job = m_link.job();
    job.answerText.clear();
    m_session.setCountdown(5);
    m_view.BusyPointer();
    job.statusText.clear();

    m_choice = WireChoice{{wire->fromType}, {wire->toType}};
    AsciiFirstStep(wire->fromType, Reg::R1002, m_asciiFront, wire->size, m_choice->from);
    m_pump.ProcessEvents();
    AsciiFirstStep(wire->toType, Reg::R1092, m_asciiRear, wire->size, m_choice->to);
    m_pump.ProcessEvents();
    m_link.WriteRegister(Reg::R1043, wire->length);
    m_pump.ProcessEvents();
    m_link.WriteRegister(Reg::R1043, wire->length);
    m_pump.ProcessEvents();
    AsciiStripSet(*wire);
    m_pump.ProcessEvents();
    m_link.WriteRegister(Reg::R1043, wire->length);
    m_pump.ProcessEvents();

    if (m_session.runMode().DebugMode != 0) {
        // Debug mode never waits: the receive handler completes the wire on what comes back.
        StartSequence();
    } else {
        WaitLoop();
        if (job.abort)
            return;
    }
    Tail();
}

std::optional<std::string> ProcessingJob::FirstStepLength(std::string_view type,
                                                          std::string& remembered, double size,
                                                          WireChoice::End& choice) {
    const StripRow* row = FindStripRow(Environment().Rows, FirstStepType(type), size);
    if (row == nullptr)
        return std::nullopt;
    choice.source = StripSource::FirstStep;
    std::string length = Trimmed(row->StripLen);
    const bool changed = length != remembered;
    remembered = length;
    return changed ? std::optional<std::string>(std::move(length)) : std::nullopt;
}

void ProcessingJob::AsciiFirstStep(std::string_view type, Reg reg, std::string& remembered,
                                   double size, WireChoice::End& choice) {
    if (std::optional<std::string> length = FirstStepLength(type, remembered, size, choice))
        m_link.WriteRegister(reg, *length);
}

void ProcessingJob::AsciiStripSet(const Wire& wire) {
    m_session.debugLog().Write("Fore_After_Strip Sta");
    const StripRows rows = FindStripRows(Environment().Rows, wire.fromType, wire.toType, wire.size);
    const std::optional<std::string> fallback = DefaultStripLength(wire.size);

    auto end = [&](const StripRow* row, Reg strip, Reg semi, WireChoice::End& choice) {
        Chose(choice, row, fallback.has_value());
        if (row != nullptr) {
            m_link.WriteRegister(strip, Trimmed(row->StripLen));
            m_link.WriteRegister(semi, Trimmed(row->SemiLen));
            return;
        }
        if (fallback) {
            m_link.WriteRegister(strip, *fallback);
            m_link.WriteRegister(strip, *fallback);
        }
        m_link.WriteRegister(semi, "0");
        m_link.WriteRegister(semi, "0");
    };
    end(rows.from, Reg::R1002, Reg::R1022, m_choice->from);
    end(rows.to, Reg::R1092, Reg::R1072, m_choice->to);
    m_session.debugLog().Write("Fore_After_Strip End");
}

void ProcessingJob::StartSequence() {
    m_link.WriteRegister(Reg::R0F93, "0");
    m_pump.ProcessEvents();
    m_link.WriteRegister(Reg::R0F63, Environment().CutCnt);
    m_pump.ProcessEvents();
    m_link.SendStart();
    m_pump.ProcessEvents();
}

bool ProcessingJob::SendAndWatch(const std::function<void()>& send) {
    const int before = m_link.sendTimeouts();
    send();
    if (m_link.sendTimeouts() == before)
        return true;
    if (common::LeadingNumber(m_session.ini().COMNo) != 0)
        m_session.messenger().MsgBox(kLineFailure, MsgButtons::Ok, MsgIcon::None);
    return false;
}

void ProcessingJob::WaitLoop() {
    JobState& job = m_link.job();
    job.waitState = 4;
    m_retries = 10;

    auto start = [&] {
        job.statusText.clear();
        SendAndWatch([this] { StartSequence(); });
    };
    // Retries of one stage; when they run out the loop moves to `next` with three more.
    auto countDown = [&](int next) {
        if (m_retries > 0) {
            --m_retries;
        } else {
            job.waitState = next;
            m_retries = 3;
        }
    };
    auto check = [&] { return m_link.ConfirmationCheck(0); };

    // Timer1 counts down only while the port is open: on a closed port (also with COMNo 0, the
    // setting without a machine) nothing would ever end the wait.
    if (!m_link.IsOpen()) {
        m_link.ReportPortClosed();
        return;
    }
    while (job.waitState != 0) {
        m_pump.Wait(kWaitPass);
        const int countdown = m_session.countdown();
        if (!job.completed && countdown >= 0 && countdown < static_cast<int>(kWaitStages.size())) {
            const WaitStage& stage = kWaitStages[static_cast<std::size_t>(countdown)];
            bool started = false;
            if (stage.offerIn != 0 && job.waitState == stage.offerIn && check()) {
                start();
                started = true;
            }
            if (stage.next >= 0)
                countDown(stage.next);
            if (countdown == 0) {
                // A start that went out in this pass, or one the machine has answered, is not
                // sent a second time.
                if (!started && job.waitState != 0 && check())
                    start();
                m_timer3Ticks = 0;
                SendAndWatch([this] { m_link.ReadBackRequest(1); });
                m_timer3On = true;
                m_view.SetTimer3(true);
            }
        } else if (m_retries > 0) {
            --m_retries;
        } else {
            job.waitState = 0;
        }
        if (job.abort) {
            m_view.EndProgram(1);
            return;
        }
        if (!m_link.IsOpen()) {
            m_link.ReportPortClosed();
            job.waitState = 0;
        }
    }
}

void ProcessingJob::Tail() {
    const std::string waiting = m_link.ReadWaiting();
    m_link.SendCancel();
    if (waiting != "?") {
        // What came in since the last receive event is received as usual, so that a completion
        // arriving just now still completes the wire.
        if (!waiting.empty())
            m_link.HandleAsciiChunk(waiting);
        return;
    }
    (void)m_link.ReadWaiting();
    m_link.SendCancel();
    (void)m_link.ReadWaiting();
    const int number =
        common::RoundToInt32(common::LeadingNumber(m_session.ini().COMNo)).value_or(0);
    if (!m_link.Reopen(number, std::string(kReopenSettings)))
        m_session.messenger().Warn(kComUnusable);
}

void ProcessingJob::Timer3Tick() {
    m_pump.ProcessEvents();
    // The completion switches Timer3 off, so a tick finds none recorded: the retries of the
    // start are over. (The start is never offered again after a completion.)
    if (m_link.job().abort || !m_link.job().completed) {
        m_timer3On = false;
        m_view.SetTimer3(false);
        return;
    }
    ++m_timer3Ticks;
    if (m_timer3Ticks > 5) {
        m_timer3On = false;
        m_view.SetTimer3(false);
    }
}

// --- binary job ---

bool ProcessingJob::Frame(FrameReg reg, double value) {
    const bool sent = m_link.WriteFrame(reg, value);
    m_pump.ProcessEvents();
    return sent;
}

void ProcessingJob::BinaryJob() {
    std::optional<Wire> wire = CheckedWire(true);
    if (!wire)
        return;

    m_choice = WireChoice{{wire->fromType}, {wire->toType}};
    BinaryFirstStep(wire->fromType, FrameReg::FrontStrip, m_binaryFront, wire->size,
                    m_choice->from);
    BinaryFirstStep(wire->toType, FrameReg::RearStrip, m_binaryRear, wire->size, m_choice->to);
    Frame(FrameReg::WireLength, common::LeadingNumber(wire->length));
    Frame(FrameReg::PieceCount, PieceCount(Environment().CutCnt));
    Frame(FrameReg::Counter, 0);
    BinaryStripSet(*wire);

    JobState& job = m_link.job();
    m_link.SendFrame(FixedFrame('V'));
    job.answerArrived = false;
    job.answerBytes.clear();
    if (!m_link.SendFrame(FixedFrame('P')))
        return;
    for (int poll = 0; poll < kAnswerPolls && !job.answerArrived; ++poll) {
        m_pump.Wait(std::chrono::milliseconds(10));
        m_pump.ProcessEvents();
    }
    if (!job.answerArrived)
        return;
    if (IsCompletionAnswer(job.answerBytes) && !job.completed)
        m_link.CompleteJob();
}

void ProcessingJob::BinaryFirstStep(std::string_view type, FrameReg reg, std::string& remembered,
                                    double size, WireChoice::End& choice) {
    if (std::optional<std::string> length = FirstStepLength(type, remembered, size, choice))
        Frame(reg, common::LeadingNumber(*length));
}

void ProcessingJob::BinaryStripSet(const Wire& wire) {
    const StripRows rows = FindStripRows(Environment().Rows, wire.fromType, wire.toType, wire.size);
    const std::optional<std::string> fallback = DefaultStripLength(wire.size);
    auto end = [&](const StripRow* row, FrameReg strip, FrameReg semi, WireChoice::End& choice) {
        Chose(choice, row, fallback.has_value());
        if (row != nullptr) {
            Frame(strip, common::LeadingNumber(Trimmed(row->StripLen)));
            Frame(semi, common::LeadingNumber(Trimmed(row->SemiLen)));
            return;
        }
        if (fallback)
            Frame(strip, common::LeadingNumber(*fallback));
        Frame(semi, 0);
    };
    end(rows.from, FrameReg::FrontStrip, FrameReg::FrontSemi, m_choice->from);
    end(rows.to, FrameReg::RearStrip, FrameReg::RearSemi, m_choice->to);
}

void ProcessingJob::Chose(WireChoice::End& end, const StripRow* row, bool fallback) {
    // The strip set writes over what the first step sent, unless it finds nothing for the end.
    if (row != nullptr) {
        end.source = StripSource::Row;
    } else if (fallback) {
        end.source = StripSource::Default;
    }
}

// --- completion ---

void ProcessingJob::CompletionSteps() {
    // The link has recorded the completion; the steps act on the current row as it is now.
    std::optional<int> row = m_view.CurrentWireRow();
    const int rows = m_view.WireRowCount();
    std::string length;
    if (row && *row >= 0 && *row < rows) {
        m_view.MarkWireDone(*row);
        length = m_view.WireCell(*row, kLengthColumn);
        if (*row < rows - 1) {
            NextRow();
            if (m_session.protocol() == ProtocolKind::Ascii)
                m_session.debugLog().Write("行更新");
        }
    }
    m_link.job().answerText.clear();
    m_view.FocusWireGrid();
    if (m_session.protocol() == ProtocolKind::Ascii) {
        m_timer3On = false;
        m_view.SetTimer3(false);
    }
    NextLine(length);
    m_link.job().startSent = false;
}

void ProcessingJob::NextRow() {
    std::optional<int> current = m_view.CurrentWireRow();
    if (!current)
        return;
    // The scrolling rule counts rows from 1, as the grid's fixed header row is row 0.
    const int row = *current + 1;
    const int last = m_view.WireRowCount();
    const int amount =
        NextRowScroll(row, last, m_view.TopWireRow() + 1, m_view.LastVisibleWireRow() + 1);
    if (amount > 0)
        m_view.ScrollWireRows(amount);
    if (row < last)
        m_view.SetCurrentWireRow(row);
}

void ProcessingJob::NextLine(const std::string& length) {
    std::optional<int> row = m_view.CurrentWireRow();
    if (row && *row >= 0 && *row < m_view.WireRowCount())
        m_view.SelectWireRow(*row);
    if (m_session.ini().ZanWLenFlg == 1 && !m_shortage) {
        BookWire(m_session.ini(), common::LeadingNumber(length));
        m_view.ShowWireLengths();
    }
}

}  // namespace kablos
