#include "TervoLog.h"

#include <set>
#include <string>

#include "TervoText.h"
#include "common/LogFile.h"
#include "messages/messages.h"
#include "services/listframework.h"

namespace tervo {

namespace {

zelko::ListWindow* g_owner = nullptr;
std::set<std::string> g_shown;  ///< the reports shown since the operation started

/// Shows a report of the log in a message box of the framework, captioned with the display
/// name, unless the operation has shown it already.
void Show(const std::string& text) {
    if (g_shown.insert(text).second) {
        zelko::ListMessageBox(g_owner, text, TervoString(kIdDisplayName),
                              zelko::kMbOk | zelko::kMbIconWarning);
    }
}

class BoxReporter : public CLogReporter {
public:
    void TempFolderError() override { Show(TervoMessage(kIdLogNoFolder)); }
    void CannotOpen(const std::string& path, int lastError) override {
        Show(TervoMessage(kIdLogCannotOpen, {path, lastError}));
    }
    void WriteFailed(Step step, Output /*output*/, const std::string& path,
                     int lastError) override {
        const char* call = step == Step::SeekEnd ? "SetFilePointer"
                           : step == Step::Write ? "WriteFile"
                                                 : "FlushFileBuffers";
        Show(messages::FormatPrintf("\n%s(%d): CLog::out %s error (FileName=%s|LastErr=%d)",
                                    {"Log.cpp", __LINE__, call, path, lastError}));
    }
};

}  // namespace

void LogLine(std::string_view text) {
    static BoxReporter reporter;
    static CLog log(kLogFileName, reporter);
    log.SetTimestamped(true);
    log.Out("%s\r\n", std::string(text).c_str());
}

void SetLogOwner(zelko::ListWindow* window) {
    g_owner = window;
    g_shown.clear();
}

}  // namespace tervo
