#include "DebugLog.h"

#include <ctime>

#include "common/codepage.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

constexpr std::string_view kFileName = "LogDebug.txt";

std::string TimeOfDay(std::chrono::system_clock::time_point when) {
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local);
    return buffer;
}

}  // namespace

DebugLog::DebugLog(std::function<std::filesystem::path()> folder, Clock clock)
    : m_folder(std::move(folder)), m_clock(std::move(clock)) {}

std::filesystem::path DebugLog::path() const {
    return m_folder() / kFileName;
}

void DebugLog::Reset() {
    std::error_code ignored;
    std::filesystem::remove(path(), ignored);
}

std::string DebugLog::Line(std::string_view text, std::chrono::system_clock::time_point now) const {
    if (text == "Start")
        return "Start," + TimeOfDay(now);
    if (text == "End") {
        float elapsed = 0.0f;
        if (m_jobStart) {
            double days = std::chrono::duration<double>(now - *m_jobStart).count() / 86400.0;
            elapsed = static_cast<float>(common::RoundHalfEven(days * 1000000.0) / 10.0);
        }
        return "End," + TimeOfDay(now) + "," + common::FormatSingle(elapsed);
    }
    return std::string(text) + "," + TimeOfDay(now);
}

void DebugLog::Write(std::string_view text) {
    if (!enabled())
        return;
    std::string line = common::ToCodePage(Line(text, m_clock()));
    line += common::kLineEnd;
    (void)common::AppendToFile(path(), line);
}

}  // namespace kablos
