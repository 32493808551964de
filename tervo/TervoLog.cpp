#include "TervoLog.h"

#include <string>

#include "TervoText.h"
#include "common/LogFile.h"
#include "messages/messages.h"

namespace tervo {

namespace {

class ErrorTextReporter : public CLogReporter {
public:
    void TempFolderError() override { SetErrorText(TervoMessage(kIdLogNoFolder)); }
    void CannotOpen(const std::string& path, int lastError) override {
        SetErrorText(TervoMessage(kIdLogCannotOpen, {path, lastError}));
    }
    void WriteFailed(Step step, Output /*output*/, const std::string& path,
                     int lastError) override {
        const char* call = step == Step::SeekEnd ? "SetFilePointer"
                           : step == Step::Write ? "WriteFile"
                                                 : "FlushFileBuffers";
        SetErrorText(messages::FormatPrintf("\n%s(%d): CLog::out %s error (FileName=%s|LastErr=%d)",
                                            {"Log.cpp", __LINE__, call, path, lastError}));
    }
};

}  // namespace

void LogLine(std::string_view text) {
    static ErrorTextReporter reporter;
    static CLog log(kLogFileName, reporter);
    log.SetTimestamped(true);
    log.Out("%s\r\n", std::string(text).c_str());
}

}  // namespace tervo
