#pragma once

// How ROUTIX's CLog files report their failures: the temporary folder and an unopenable file
// on the command line (message 2659), write errors in an error box naming the file and the
// system error number.

#include <functional>
#include <string>
#include <string_view>

#include "common/LogFile.h"
#include "frame/MessageIds.h"

namespace routix {

/// The reporter every CLog of the plug-in is given.
CLogReporter& LogReporter();

/// Hands CLog's failures to LogReporter() and remembers that one happened.
class CWatchingLogReporter : public CLogReporter {
public:
    void TempFolderError() override;
    void CannotOpen(const std::string& path, int lastError) override;
    void WriteFailed(Step step, Output output, const std::string& path, int lastError) override;
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

/// Writes the file `path` so that it is replaced only by a complete one: a CLog made with the
/// name `logName` (which deletes that file of the temporary folder, as every CLog does) is
/// opened on "<path>.new", `write` writes the lines (it may stop early when the reporter has
/// seen a failure), and the partial file is renamed over `path` only when nothing failed; else
/// it is removed and the previous file stays. True when the file was replaced.
bool ReplaceThroughLog(std::string_view logName, const std::string& path,
                       const std::function<void(CLog&, const CWatchingLogReporter&)>& write);

}  // namespace routix
