#pragma once

// CLog: the output-file class of ROUTIX and TERVO (log files, the key file, the parameter
// files). Text is UTF-8 inside and is written in the process code page (common/codepage.h);
// characters the code page lacks become its replacement character. Lines end as the caller
// writes them (CR LF). Failures never abort the caller: they are handed to a reporter, which
// each plug-in implements with its own messages.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

/// Where CLog reports its failures. `lastError` is the system error number (errno) of the
/// failed call.
class CLogReporter {
public:
    /// The step of an output call that failed.
    enum class Step { SeekEnd, Write, Flush };
    /// The output call in which it failed.
    enum class Output { Formatted, Plain };

    virtual ~CLogReporter() = default;
    /// The temporary folder cannot be determined (construction).
    virtual void TempFolderError() = 0;
    /// The file cannot be opened (Open, or an output call that opens the file itself).
    virtual void CannotOpen(const std::string& path, int lastError) = 0;
    /// A write step failed; the handle has been closed.
    virtual void WriteFailed(Step step, Output output, const std::string& path, int lastError) = 0;
};

class CLog {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    /// The file `fileName` in the temporary folder ($TMPDIR, else /tmp); an existing file of
    /// that path is deleted now, even if nothing is ever written. When the temporary folder
    /// cannot be determined the reporter hears of it and the path stays empty.
    CLog(std::string_view fileName, CLogReporter& reporter,
         Clock clock = std::chrono::system_clock::now);
    virtual ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    /// Opens `path` for writing (created when absent, contents kept) and keeps it open until
    /// Close; a handle still open is closed first. On failure the reporter hears CannotOpen and
    /// the result is false.
    bool Open(const std::filesystem::path& path);

    /// Formats like printf (at most 1023 characters) and appends the text at the end of the
    /// file, after the time prefix when timestamped. Without an open handle the file is opened,
    /// written, flushed to the disk and closed again.
    void Out(const char* format, ...) __attribute__((format(printf, 2, 3)));
    /// Appends `text` unchanged ("%" stays) and without time prefix; otherwise as Out.
    void OutPlain(std::string_view text);

    /// Flushes and closes the open handle, if any.
    void Close();

    const std::string& Path() const { return m_path; }
    bool IsOpen() const { return m_fd >= 0; }

    bool Timestamped() const { return m_timestamped; }
    void SetTimestamped(bool timestamped) { m_timestamped = timestamped; }

    /// "[YYYY/MM/DD-hh:mm:ss] " for a local time.
    static std::string TimePrefix(const std::tm& local);

private:
    void Write(std::string_view text, CLogReporter::Output output);
    int OpenFile(const std::string& path);

    std::string m_path;
    bool m_timestamped = false;
    int m_fd = -1;
    CLogReporter& m_reporter;
    Clock m_clock;
};
