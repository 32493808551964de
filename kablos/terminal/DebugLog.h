#pragma once

// The small debug log "LogDebug.txt" in the per-user data folder: one line per event while the
// program runs in debug or log mode, in the process code page with CR LF. Each run starts a
// fresh log.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "RunMode.h"

namespace kablos {

class DebugLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    DebugLog(std::function<std::filesystem::path()> folder,
             Clock clock = std::chrono::system_clock::now);

    /// Lines are written only while debug mode is not 0 or log mode is on.
    void setRunMode(const RunMode& mode) { m_mode = mode; }
    bool enabled() const { return m_mode.DebugMode != 0 || m_mode.LogMode; }

    /// Deletes the log of an earlier run.
    void Reset();

    /// Marks the start of a job; "End" lines report the time since then.
    void setJobStart(std::chrono::system_clock::time_point when) { m_jobStart = when; }
    /// A job starts now: marks its start and writes "Start".
    void StartJob() {
        m_jobStart = m_clock();
        Write("Start");
    }

    /// Appends one line: "Start," + time; "End," + time + "," + elapsed figure; otherwise
    /// text + "," + time. The time is "HH:MM:SS" local time. The elapsed figure is the time since
    /// the job start in days, times 1000000, rounded half to even, divided by 10, as a
    /// single-precision number (0 without a job start). A line that cannot be written is lost
    /// without a message: the log must never stop the machine.
    void Write(std::string_view text);

    /// The line Write would append for `text` at `now`, without its line end.
    std::string Line(std::string_view text, std::chrono::system_clock::time_point now) const;

    std::filesystem::path path() const;

private:
    std::function<std::filesystem::path()> m_folder;
    Clock m_clock;
    RunMode m_mode;
    std::optional<std::chrono::system_clock::time_point> m_jobStart;
};

}  // namespace kablos
