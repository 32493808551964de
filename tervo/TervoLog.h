#pragma once

// TERVO's log: timestamped lines in "TervoLog.txt" in the temporary folder, written through
// CLog. The file is started afresh when the library first logs in a process. A log that
// cannot be written never stops a run and never takes the place of the run's own reason in
// the module's error text: the user sees why in a message box of the framework (messages
// 20100 and 20101, and the CLog::out forms of a failed write), once per operation.

#include <string_view>

namespace zelko {
struct ListWindow;
}

namespace tervo {

inline constexpr std::string_view kLogFileName = "TervoLog.txt";

/// Appends "[YYYY/MM/DD-hh:mm:ss] " and `text` with CR LF.
void LogLine(std::string_view text);

/// The window that owns the log's message boxes: the framework's window of the operation that
/// starts (Execute, ShowOutput). A report already shown since the last call is not repeated.
void SetLogOwner(zelko::ListWindow* window);

}  // namespace tervo
