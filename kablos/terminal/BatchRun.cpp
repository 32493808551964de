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

}  // namespace

int RunBatch(Session& session, const BatchOptions& options, std::ostream& out) {
    QtEventPump pump;
    SerialPort port;
    ApplyPortValues(port, session.port());
    BatchLinkView linkView(session);
    MachineLink link(session, port, pump, linkView);
    WireSheet sheet(WindowCaption(session.runMode()));
    ProcessingJob job(session, link, pump, sheet);
    sheet.setTimer3Tick([&job] { job.Timer3Tick(); });

    auto ended = [&] { return linkView.endedWith >= 0 || sheet.endedWith() >= 0; };
    auto shutDown = [&](bool allDone) {
        const ShutdownOutcome outcome = session.Shutdown(&link);
        out << "remaining wire: " << ZanWLenPanelText(session.ini().ZanWLen) << ", "
            << CutWLenPanelText(session.ini().CutWLen)
            << (outcome == ShutdownOutcome::Done ? ", settings saved" : ", settings not saved")
            << std::endl;
        return allDone && outcome == ShutdownOutcome::Done ? 0 : 1;
    };

    CastingData casting;
    std::string why;
    if (!ReadCastingData(options.casting, casting, session.messenger(), &why))
        session.debugLog().Write(why);
    if (casting.sets.empty()) {
        session.messenger().Warn("キャスティングデータがありません。(" + options.casting.string() +
                                 ")");
        return shutDown(false);
    }
    const StripEnvironment* environment = EnvironmentInUse(session.ini());
    const DataSetRows sets = BuildDataSetGrid(casting, environment ? environment->WtkFlag : 0);
    std::vector<int> chosen;
    if (options.set) {
        if (*options.set > static_cast<int>(sets.grid.rows.size())) {
            session.messenger().Warn("指定データがありません");
            return shutDown(false);
        }
        chosen.push_back(*options.set - 1);
    } else {
        for (int row = 0; row < static_cast<int>(sets.grid.rows.size()); ++row)
            chosen.push_back(row);
    }

    int total = 0;
    int done = 0;
    bool stopped = false;
    for (int setRow : chosen) {
        std::optional<OpenedSet> opened =
            OpenSet(casting, sets.grid.rows[static_cast<std::size_t>(setRow)]);
        if (!opened)
            continue;
        if (link.NeedsOpening())
            link.TogglePort();
        link.SendCutterValues(opened->wireKind, opened->wireSize);
        sheet.Load(*opened);

        for (int row = 0; row < sheet.WireRowCount(); ++row) {
            ++total;
            if (!sheet.done(row) && !stopped) {
                link.ResetPortErrorShown();
                sheet.SetCurrentWireRow(row);
                job.Start();
                if (ended())
                    return linkView.endedWith >= 0 ? linkView.endedWith : sheet.endedWith();
                stopped = job.shortage();
                const auto deadline = std::chrono::steady_clock::now() + options.timeout;
                // Nothing can report the wire later through a closed port.
                while (!stopped && !sheet.done(row) && !ended() && link.IsOpen() &&
                       std::chrono::steady_clock::now() < deadline) {
                    pump.Wait(std::chrono::milliseconds(10));
                }
                if (ended())
                    return linkView.endedWith >= 0 ? linkView.endedWith : sheet.endedWith();
            }
            const bool wireDone = sheet.done(row);
            done += wireDone ? 1 : 0;
            out << "set " << setRow + 1 << ", wire " << row + 1 << ", length "
                << common::Trim(sheet.WireCell(row, 1)) << ": " << (wireDone ? "done" : "pending")
                << std::endl;
        }
    }
    out << done << " of " << total << " wires done" << std::endl;
    return shutDown(done == total);
}

}  // namespace kablos
