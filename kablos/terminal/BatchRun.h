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
#include <optional>
#include <ostream>

#include "Session.h"

namespace kablos {

struct BatchOptions {
    std::filesystem::path casting;
    std::optional<int> set;  ///< the data-set grid row, from 1; every row when unset
    std::chrono::seconds timeout{20};
};

/// Runs the batch on a started session: one line per wire on `out`. Returns the exit status:
/// 0 when every wire of the chosen sets is done and the settings were saved, else 1.
int RunBatch(Session& session, const BatchOptions& options, std::ostream& out);

}  // namespace kablos
