#pragma once

// TERVO's log: timestamped lines in "TervoLog.txt" in the temporary folder, written through
// CLog. The file is started afresh when the library first logs in a process. A log that
// cannot be written puts the reason into the module's error text (messages 20100, 20101 and
// the CLog::out forms) and never stops a run.

#include <string_view>

namespace tervo {

inline constexpr std::string_view kLogFileName = "TervoLog.txt";

/// Appends "[YYYY/MM/DD-hh:mm:ss] " and `text` with CR LF.
void LogLine(std::string_view text);

}  // namespace tervo
