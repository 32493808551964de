#pragma once

// The unattended processing run, `kablos --batch CASTING.txt [--set N] [--timeout S]`: the
// window's start, open, job and shutdown rules without the window, for shop-floor scripts and
// for testing the whole path from file to machine.
//
// Decisions: a wire whose job returns without a completion is waited for until the timeout
// passes (the ASCII machine may report it later), then counted as pending; on a closed port (a
// port that cannot be opened, a machine that hung up) it is pending at once; a wire refused for
// want of wire on the reel stops the run, as the operator must change the reel first, and every
// wire after it is reported pending; the Cancel of a serial error question ends the run at once
// without saving, as it ends the window.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

#include "CastingData.h"
#include "Session.h"

namespace kablos {

class EventPump;
class MachineLink;
class MachinePort;
class ProcessingJob;
class WireSheet;
struct OpenedSet;

struct BatchOptions {
    std::filesystem::path casting;
    std::optional<int> set;  ///< the data-set grid row, from 1; every row when unset
    std::chrono::seconds timeout{20};
};

/// What the run over the sets tells the one who runs it: the batch prints a line per wire, the
/// dry run its report.
class BatchListener {
public:
    virtual ~BatchListener() = default;
    /// The set of data-set grid row `setRow` (from 0) is open in the sheet; its cutter values
    /// have been sent.
    virtual void SetOpened(int setRow, const OpenedSet& set) = 0;
    /// Wire grid row `row` of the open set is over: its job has returned and its completion
    /// been waited for (`started`), or it was done already or the run had stopped.
    virtual void WireEnded(int setRow, int row, const WireSheet& sheet, const ProcessingJob& job,
                           bool started) = 0;
};

/// How the run over the sets ended.
struct BatchOutcome {
    int total = 0;  ///< wires of the chosen sets
    int done = 0;   ///< of them done at the end
    /// A wire was refused for want of wire on the reel: the rest were not started.
    bool stopped = false;
    /// The program was ended (the Cancel of a serial error question) with this code.
    std::optional<int> endedWith;
    /// The casting data had no sets, or `--set` named no row; the message has been shown.
    bool noSets = false;
};

/// The batch's way through the casting data, for the batch run and the dry run alike: lists the
/// data sets as the data-set grid shows them, opens each (or the chosen one), opens the port
/// when it has not been, sends the cutter values, and runs the processing job over `port` for
/// every wire that is not done, waiting up to `options.timeout` for each completion. `finish`
/// runs at the end with the machine link, which is still up (the batch run shuts down there),
/// unless the program was ended.
BatchOutcome RunSets(Session& session, const CastingData& casting, MachinePort& port,
                     EventPump& pump, const BatchOptions& options, BatchListener& listener,
                     const std::function<void(MachineLink&)>& finish = {});

/// Runs the batch on a started session: one line per wire on `out`. Returns the exit status:
/// 0 when every wire of the chosen sets is done and the settings were saved, else 1.
int RunBatch(Session& session, const BatchOptions& options, std::ostream& out);

}  // namespace kablos
