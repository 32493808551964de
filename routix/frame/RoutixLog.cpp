#include "frame/RoutixLog.h"

#include <filesystem>

#include "frame/ConsoleError.h"
#include "frame/MessageBox.h"

namespace routix {

namespace {

class RoutixLogReporter : public CLogReporter, private CMessageBox {
public:
    void TempFolderError() override { PrintTempPathError(true); }

    void CannotOpen(const std::string& path, int lastError) override {
        acutPrintf("%s", FormatResource(IDS_CANNOT_OPEN_FILE, {path, lastError}).c_str());
    }

    // Each failure has its own reporting line, as the two output operations have theirs.
    void WriteFailed(Step step, Output output, const std::string& path, int lastError) override {
        const char* source = SourcePath(Source::Log);
        const bool plain = output == Output::Plain;
        switch (step) {
            case Step::SeekEnd:
                if (plain)
                    ErrorBox("\n%s(%d): CLog::out SetFilePointer error (FileName=%s|LastErr=%d)",
                             source, __LINE__, path.c_str(), lastError);
                else
                    ErrorBox("\n%s(%d): CLog::out SetFilePointer error (FileName=%s|LastErr=%d)",
                             source, __LINE__, path.c_str(), lastError);
                break;
            case Step::Write:
                if (plain)
                    ErrorBox("\n%s(%d): CLog::out WriteFile error (FileName=%s|LastErr=%d)", source,
                             __LINE__, path.c_str(), lastError);
                else
                    ErrorBox("\n%s(%d): CLog::out WriteFile error (FileName=%s|LastErr=%d)", source,
                             __LINE__, path.c_str(), lastError);
                break;
            case Step::Flush:
                if (plain)
                    ErrorBox("\n%s(%d): CLog::out FlushFileBuffers error (FileName=%s|LastErr=%d)",
                             source, __LINE__, path.c_str(), lastError);
                else
                    ErrorBox("\n%s(%d): CLog::out FlushFileBuffers error (FileName=%s|LastErr=%d)",
                             source, __LINE__, path.c_str(), lastError);
                break;
        }
    }
};

}  // namespace

CLogReporter& LogReporter() {
    static RoutixLogReporter reporter;
    return reporter;
}

void CWatchingLogReporter::TempFolderError() {
    LogReporter().TempFolderError();
}

void CWatchingLogReporter::CannotOpen(const std::string& path, int lastError) {
    m_failed = true;
    LogReporter().CannotOpen(path, lastError);
}

void CWatchingLogReporter::WriteFailed(Step step, Output output, const std::string& path,
                                       int lastError) {
    m_failed = true;
    LogReporter().WriteFailed(step, output, path, lastError);
}

bool ReplaceThroughLog(std::string_view logName, const std::string& path,
                       const std::function<void(CLog&, const CWatchingLogReporter&)>& write) {
    namespace fs = std::filesystem;
    const std::string partial = path + ".new";
    std::error_code ec;
    fs::remove(partial, ec);
    CWatchingLogReporter reporter;
    CLog log(logName, reporter);
    if (!log.Open(partial))
        return false;
    write(log, reporter);
    log.Close();
    if (reporter.Failed()) {
        fs::remove(partial, ec);
        return false;
    }
    fs::rename(partial, path, ec);
    if (ec) {
        reporter.CannotOpen(path, ec.value());
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

}  // namespace routix
