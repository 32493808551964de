#pragma once

// How ROUTIX's CLog files report their failures: the temporary folder and an unopenable file
// on the command line (message 2659), write errors in an error box naming the file and the
// system error number.

#include "common/LogFile.h"
#include "frame/MessageIds.h"

namespace routix {

/// The reporter every CLog of the plug-in is given.
CLogReporter& LogReporter();

}  // namespace routix
