#include "BatchRun.h"

#include <QTimer>
#include <vector>

#include "CastingData.h"
#include "MachineLink.h"
#include "ProcessingJob.h"
#include "WireLists.h"
#include "WireSheet.h"
#include "common/text.h"

namespace kablos {
namespace {

// What the link shows, for a run without a window: Timer1's countdown runs while the port is
// open, as in the window; the rest has nowhere to show.
class BatchLinkView : public QuietLinkView {
public:
    explicit BatchLinkView(Session& session) {
        m_timer1.setInterval(1000);
        QObject::connect(&m_timer1, &QTimer::timeout, [&session] { session.TickCountdown(); });
    }
    void ShowPortState(bool open, const std::string&) override {
        if (!open) {
            m_timer1.stop();
        } else if (!m_timer1.isActive()) {
            m_timer1.start();
        }
    }
    void EndProgram(int code) override { endedWith = code; }

    int endedWith = -1;

private:
    QTimer m_timer1;
};

// The batch's line per wire.
class BatchPrinter : public BatchListener {
public:
    explicit BatchPrinter(std::ostream& out) : m_out(out) {}
    void SetOpened(int, const OpenedSet&) override {}
    void WireEnded(int setRow, int row, const WireSheet& sheet, const ProcessingJob&,
                   bool) override {
        m_out << "set " << setRow + 1 << ", wire " << row + 1 << ", length "
              << common::Trim(sheet.WireCell(row, 1)) << ": "
              << (sheet.done(row) ? "done" : "pending") << std::endl;
    }

private:
    std::ostream& m_out;
};

}  // namespace

BatchOutcome RunSets(Session& session, const CastingData& casting, MachinePort& port,
                     EventPump& pump, const BatchOptions& options, BatchListener& listener,
                     const std::function<void(MachineLink&)>& finish) {
    BatchLinkView linkView(session);
    MachineLink link(session, port, pump, linkView);
    WireSheet sheet(WindowCaption(session.runMode()));
    ProcessingJob job(session, link, pump, sheet);
    sheet.setTimer3Tick([&job] { job.Timer3Tick(); });

    BatchOutcome outcome;
    auto ended = [&] {
        if (linkView.endedWith >= 0)
            outcome.endedWith = linkView.endedWith;
        else if (sheet.endedWith() >= 0)
            outcome.endedWith = sheet.endedWith();
        return outcome.endedWith.has_value();
    };
    auto finished = [&] {
        if (finish)
            finish(link);
        return outcome;
    };

    if (casting.sets.empty()) {
        session.messenger().Warn("キャスティングデータがありません。(" + options.casting.string() +
                                 ")");
        outcome.noSets = true;
        return finished();
    }
    const StripEnvironment* environment = EnvironmentInUse(session.ini());
    const DataSetRows sets = BuildDataSetGrid(casting, environment ? environment->WtkFlag : 0);
    std::vector<int> chosen;
    if (options.set) {
        if (*options.set > static_cast<int>(sets.grid.rows.size())) {
            session.messenger().Warn("指定データがありません");
            outcome.noSets = true;
            return finished();
        }
        chosen.push_back(*options.set - 1);
    } else {
        for (int row = 0; row < static_cast<int>(sets.grid.rows.size()); ++row)
            chosen.push_back(row);
    }

    for (int setRow : chosen) {
        std::optional<OpenedSet> opened =
            OpenSet(casting, sets.grid.rows[static_cast<std::size_t>(setRow)]);
        if (!opened)
            continue;
        if (link.NeedsOpening())
            link.TogglePort();
        link.SendCutterValues(opened->wireKind, opened->wireSize);
        sheet.Load(*opened);
        listener.SetOpened(setRow, *opened);

        for (int row = 0; row < sheet.WireRowCount(); ++row) {
            ++outcome.total;
            const bool start = !sheet.done(row) && !outcome.stopped;
            if (start) {
                link.ResetPortErrorShown();
                sheet.SetCurrentWireRow(row);
                job.Start();
                if (ended())
                    return outcome;
                outcome.stopped = job.shortage();
                const auto deadline = std::chrono::steady_clock::now() + options.timeout;
                // Nothing can report the wire later through a closed port.
                while (!outcome.stopped && !sheet.done(row) && !ended() && link.IsOpen() &&
                       std::chrono::steady_clock::now() < deadline) {
                    pump.Wait(std::chrono::milliseconds(10));
                }
                if (ended())
                    return outcome;
            }
            outcome.done += sheet.done(row) ? 1 : 0;
            listener.WireEnded(setRow, row, sheet, job, start);
        }
    }
    return finished();
}

int RunBatch(Session& session, const BatchOptions& options, std::ostream& out) {
    QtEventPump pump;
    SerialPort port;
    ApplyPortValues(port, session.port());

    CastingData casting;
    std::string why;
    if (!ReadCastingData(options.casting, casting, session.messenger(), &why))
        session.debugLog().Write(why);

    BatchPrinter printer(out);
    ShutdownOutcome saved = ShutdownOutcome::WriteFailed;
    const BatchOutcome outcome =
        RunSets(session, casting, port, pump, options, printer,
                [&](MachineLink& link) { saved = session.Shutdown(&link); });
    if (outcome.endedWith)
        return *outcome.endedWith;
    if (!outcome.noSets)
        out << outcome.done << " of " << outcome.total << " wires done" << std::endl;
    out << "remaining wire: " << ZanWLenPanelText(session.ini().ZanWLen) << ", "
        << CutWLenPanelText(session.ini().CutWLen)
        << (saved == ShutdownOutcome::Done ? ", settings saved" : ", settings not saved")
        << std::endl;
    return !outcome.noSets && outcome.done == outcome.total && saved == ShutdownOutcome::Done ? 0
                                                                                              : 1;
}

}  // namespace kablos
