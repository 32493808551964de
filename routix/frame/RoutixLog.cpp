#include "frame/RoutixLog.h"

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

}  // namespace routix
