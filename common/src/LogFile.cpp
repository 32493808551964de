#include "common/LogFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <system_error>

#include "common/codepage.h"
#include "common/text.h"

namespace {

// The formatted output buffer holds 1024 characters with its terminator.
constexpr std::size_t kFormattedLimit = 1023;

}  // namespace

CLog::CLog(std::string_view fileName, CLogReporter& reporter, Clock clock)
    : m_reporter(reporter), m_clock(std::move(clock)) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error || folder.empty()) {
        m_reporter.TempFolderError();
        return;
    }
    m_path = (folder / fileName).string();
    std::filesystem::remove(m_path, error);
}

CLog::~CLog() {
    Close();
}

int CLog::OpenFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
}

bool CLog::Open(const std::filesystem::path& path) {
    m_path = path.string();
    Close();
    m_fd = OpenFile(m_path);
    if (m_fd < 0) {
        m_reporter.CannotOpen(m_path, errno);
        return false;
    }
    return true;
}

void CLog::Out(const char* format, ...) {
    std::string text(kFormattedLimit * 4 + 1, '\0');
    va_list args;
    va_start(args, format);
    const int size = std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    text.resize(size < 0 ? 0 : std::min(static_cast<std::size_t>(size), text.size() - 1));
    text.resize(common::TruncateChars(text, kFormattedLimit).size());
    if (m_timestamped) {
        const std::time_t now = std::chrono::system_clock::to_time_t(m_clock());
        std::tm local{};
        localtime_r(&now, &local);
        text.insert(0, TimePrefix(local));
    }
    Write(text, CLogReporter::Output::Formatted);
}

void CLog::OutPlain(std::string_view text) {
    Write(text, CLogReporter::Output::Plain);
}

void CLog::Write(std::string_view text, CLogReporter::Output output) {
    const bool ownHandle = m_fd < 0;
    if (ownHandle) {
        m_fd = OpenFile(m_path);
        if (m_fd < 0) {
            m_reporter.CannotOpen(m_path, errno);
            return;
        }
    }
    auto fail = [&](CLogReporter::Step step, int error) {
        ::close(m_fd);
        m_fd = -1;
        m_reporter.WriteFailed(step, output, m_path, error);
    };
    if (::lseek(m_fd, 0, SEEK_END) < 0)
        return fail(CLogReporter::Step::SeekEnd, errno);
    const std::string bytes = common::ToCodePage(text);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(m_fd, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return fail(CLogReporter::Step::Write, count < 0 ? errno : EIO);
        written += static_cast<std::size_t>(count);
    }
    if (ownHandle) {
        if (::fsync(m_fd) != 0)
            return fail(CLogReporter::Step::Flush, errno);
        ::close(m_fd);
        m_fd = -1;
    }
}

void CLog::Close() {
    if (m_fd < 0)
        return;
    ::fsync(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

std::string CLog::TimePrefix(const std::tm& local) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "[%04d/%02d/%02d-%02d:%02d:%02d] ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}
