#pragma once

// The processing job: one wire of the wire grid from the operator's double-click to the
// machine's "done". It chooses the strip lengths of both wire ends from the strip environment in
// use, writes the machine's registers (ASCII) or frames (binary), starts the machine, waits for
// it, and on the completion marks the wire done, moves the cursor on and books the wire against
// the remaining wire on the reel.
//
// The job is driven by the event pump, Timer1's countdown and the receive events of the machine
// link; it holds no widget. The main window and the unattended batch run both show it through
// JobView, so every rule below exists once.
//
// Decisions the running program depends on:
// - A wire grid whose cursor stands on no wire row (every wire done, or no row chosen) starts no
//   job: the job would otherwise send the header texts as a wire.
// - Each pass of the ASCII wait loop processes events for at most kWaitPass instead of spinning;
//   the retries of a countdown second still run out within that second.
// - The ASCII wait loop does not begin on a closed port and ends when the port closes, whatever
//   COMNo says (COMNo 0, the setting of a PC without a machine, included): Timer1 counts down
//   only while the port is open, so nothing else would end the wait and the menus would stay
//   disabled. The wire stays pending and the operator sees "ポートが開かれていません" (once, as
//   for a send on a closed port).
// - The confirmation check compares cutter speed (0F11) and roller speed (0F01) as the decimal
//   text they were written with against the machine's hexadecimal read-back, as the register
//   writes and the receive handler do. Compared as hexadecimal on both sides, a speed of 10 or
//   more ("W0F1115" against "R0F11000F") would never confirm and no job could start.
// - One start per pass at countdown 0: a pass that has just offered the start (wait state 1)
//   does not send "G0001" a second time in its every-pass offer; later passes at countdown 0
//   offer it once each until the machine's echo ends the wait.
// - A wire length no wire length register can take (not finite, beyond 32 bits in the ASCII
//   protocol, beyond its three bytes in the binary one) refuses the job with
//   "送信できない値です: 長さ(...)" before anything but the cancel has been sent.
// - A send inside the ASCII wait loop whose output does not drain in time (the serial device
//   timeout) shows the "通信異常" message with OK while COMNo is not 0, then the loop goes on.
// - Timer3 never starts the machine again: the completion switches it off, so when it ticks no
//   completion has been recorded and it switches itself off. A second start after a recorded
//   completion would cut a second wire the operator never asked for.
// - The binary completion answer is checked on its raw bytes: "R", 0x09, 0x01, any byte, CR.
//   (Read as Shift_JIS text, a fourth byte that leads a double-byte character would swallow the
//   CR.)
// - The tail of the ASCII job reads what is waiting on the line; anything but a lone "?" is then
//   handled as a receive, so that a completion arriving at that moment is not lost.
// - With no strip environment at EnvNo the job uses an empty table and the piece count "1".

#include <QByteArray>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "MachineLink.h"
#include "SettingsFile.h"

namespace kablos {

/// What the job shows and reads in the window. Wire grid rows count from 0 (the first wire);
/// columns as the wire grid has them (1 "長さ", 5 "From端末種別", 6 "To端末種別").
class JobView {
public:
    virtual ~JobView() = default;

    /// True while a job is running: "データ送信中" is shown.
    virtual bool JobShown() const = 0;
    /// Shows or hides "データ送信中"; while shown, the menus and the tool bar are disabled.
    virtual void ShowJob(bool running) = 0;
    virtual void BusyPointer() = 0;
    virtual void DefaultPointer() = 0;
    /// The main window's caption (the title of the shortage message).
    virtual std::string Caption() const = 0;

    virtual int WireColumnCount() const = 0;
    virtual int WireRowCount() const = 0;
    /// The cursor row of the wire grid; nothing while it stands on the header.
    virtual std::optional<int> CurrentWireRow() const = 0;
    virtual std::string WireCell(int row, int column) const = 0;
    /// "電線サイズ" of the set being processed (the data-set grid's current row).
    virtual std::string SetWireSize() const = 0;

    /// Paints the row green and sets its done mark (ProcEndFlg).
    virtual void MarkWireDone(int row) = 0;
    /// The first and the last row that are visible.
    virtual int TopWireRow() const = 0;
    virtual int LastVisibleWireRow() const = 0;
    /// Scrolls the wire grid down by `rows`.
    virtual void ScrollWireRows(int rows) = 0;
    virtual void SetCurrentWireRow(int row) = 0;
    /// Selects the row from column 1 to the last column, the cursor in column 1.
    virtual void SelectWireRow(int row) = 0;
    /// Cursor column 0 and the focus to the wire grid.
    virtual void FocusWireGrid() = 0;
    /// The remaining-wire panels from the settings.
    virtual void ShowWireLengths() = 0;
    /// Switches Timer3 (3 s) on or off; its ticks go to ProcessingJob::Timer3Tick.
    virtual void SetTimer3(bool on) = 0;
    /// Ends the program at once with `code`, without the orderly shutdown.
    virtual void EndProgram(int code) = 0;
};

// --- rules without a port ---

/// The terminal type the first step of a job looks up: a type starting with a digit is looked
/// up as "M" ("1.25-4" as "M"), any other as it is.
std::string FirstStepType(std::string_view type);

/// The first row of `rows` whose TermType is a prefix of `type` (an empty one matches every type)
/// and whose SizeFrom <= `size` <= SizeTo.
const StripRow* FindStripRow(const std::vector<StripRow>& rows, std::string_view type, double size);

/// The rows of both wire ends, found in one pass that stops once both have one.
struct StripRows {
    const StripRow* from = nullptr;
    const StripRow* to = nullptr;
};
StripRows FindStripRows(const std::vector<StripRow>& rows, std::string_view fromType,
                        std::string_view toType, double size);

/// The strip length written when no row matches an end: "6.0" for sizes 0.1 to 2, "8.5" from
/// 3.5 on, none otherwise.
std::optional<std::string> DefaultStripLength(double size);

/// True when the remaining wire cannot take a wire of `length` mm: the ASCII job compares the
/// length itself, the binary job the length rounded to a whole millimetre (halves to even).
bool WireShortage(const IniData& ini, ProtocolKind protocol, double length);

/// The machine's piece count (binary register 8): CutCnt rounded, halves to even, when that is
/// 2 or more, else 1.
int PieceCount(std::string_view cutCnt);

/// True for the binary completion answer "R", 0x09, 0x01, any byte, CR (more bytes may follow).
bool IsCompletionAnswer(const QByteArray& answer);

/// How far Grid1_NextRow scrolls down, for 1-based rows: the cursor row `row`, the last row
/// `last`, the first visible row `top` and the last visible row `lastVisible`. Never negative.
int NextRowScroll(int row, int last, int top, int lastVisible);

/// Books a finished wire of `length` mm against the remaining wire while tracking is on: the
/// length is subtracted from ZanWLen and added to CutWLen, and each result is rounded to a whole
/// millimetre, halves to even (ZanWLen 1001 and CutWLen 1 with 350.5 mm give 650 and 352; the
/// counters stop at the ends of their 32-bit range).
void BookWire(IniData& ini, double length);

/// Where the strip and half-strip lengths of one wire end came from.
enum class StripSource {
    Row,        ///< the strip row of the end's terminal type ("R")
    FirstStep,  ///< no strip row, no default: the first step's row of the type, looked up as "M"
    Default,    ///< no strip row: the default strip length (6.0 or 8.5) and half-strip 0
    None,       ///< nothing was found for the end: the machine keeps what it holds
};

/// What the job chose for the ends of the wire it last sent.
struct WireChoice {
    struct End {
        std::string type;  ///< the terminal type as the job read it
        StripSource source = StripSource::None;
    };
    End from, to;
};

// --- the job ---

class ProcessingJob {
public:
    /// Takes over the completion of the link's jobs.
    ProcessingJob(Session& session, MachineLink& link, EventPump& pump, JobView& view);
    ~ProcessingJob();
    ProcessingJob(const ProcessingJob&) = delete;
    ProcessingJob& operator=(const ProcessingJob&) = delete;

    /// job_start: the job of the wire grid's current row in the protocol in use. Returns when
    /// the protocol's job returns; an ASCII wire may complete later, through the receive handler.
    void Start();
    /// One tick of Timer3.
    void Timer3Tick();

    /// True once a wire has been completed for the last Start (and not started again since).
    bool completed() const { return m_link.job().completed; }
    /// True when the last Start was refused for want of wire on the reel.
    bool shortage() const { return m_shortage; }
    int timer3Ticks() const { return m_timer3Ticks; }
    /// The choice of the strip values of the last wire sent; nothing when the last Start sent no
    /// wire (refused, or no wire row).
    const std::optional<WireChoice>& lastChoice() const { return m_choice; }

    /// Each pass of the ASCII wait loop processes events for at most this long.
    static constexpr std::chrono::milliseconds kWaitPass{1};
    /// The binary job polls for the answer this many times, 10 ms apart.
    static constexpr int kAnswerPolls = 601;

private:
    struct Wire {
        int row = 0;
        std::string length;
        std::string fromType;
        std::string toType;
        double size = 0;
    };

    /// The checks at the start of both jobs; the wire of the current row when they pass.
    std::optional<Wire> CheckedWire(bool binary);
    std::optional<Wire> CurrentWire(bool trimmed) const;
    const StripEnvironment& Environment() const;

    /// The first step of one wire end: the strip length of the row its type finds (a leading
    /// digit looked up as "M"), when it differs from the one remembered; it is remembered now.
    std::optional<std::string> FirstStepLength(std::string_view type, std::string& remembered,
                                               double size, WireChoice::End& choice);
    /// Records the source of an end's strip values after the strip set.
    static void Chose(WireChoice::End& end, const StripRow* row, bool fallback);

    void AsciiJob();
    void AsciiFirstStep(std::string_view type, Reg reg, std::string& remembered, double size,
                        WireChoice::End& choice);
    void AsciiStripSet(const Wire& wire);
    void StartSequence();
    void WaitLoop();
    bool SendAndWatch(const std::function<void()>& send);
    void Tail();

    void BinaryJob();
    void BinaryFirstStep(std::string_view type, FrameReg reg, std::string& remembered, double size,
                         WireChoice::End& choice);
    void BinaryStripSet(const Wire& wire);
    bool Frame(FrameReg reg, double value);

    void CompletionSteps();
    void NextRow();
    void NextLine(const std::string& length);

    Session& m_session;
    MachineLink& m_link;
    EventPump& m_pump;
    JobView& m_view;

    bool m_shortage = false;
    std::optional<WireChoice> m_choice;
    int m_retries = 0;
    int m_timer3Ticks = 0;
    bool m_timer3On = false;
    // The strip lengths last sent by the first step, per protocol, for the whole run.
    std::string m_asciiFront, m_asciiRear, m_binaryFront, m_binaryRear;
};

}  // namespace kablos
