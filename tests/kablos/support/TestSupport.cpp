#include "kablos/support/TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "common/codepage.h"

namespace kablos::test {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kablos-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    std::filesystem::create_directories(dataHome());
    std::filesystem::create_directories(programFolder());
    if (const char* old = std::getenv("XDG_DATA_HOME")) {
        m_hadDataHome = true;
        m_oldDataHome = old;
    }
    setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    UserConfigFolder();
    ClearUserStore();
}

TempHome::~TempHome() {
    if (m_hadDataHome) {
        setenv("XDG_DATA_HOME", m_oldDataHome.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    std::error_code ignored;
    std::filesystem::permissions(m_root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_root, ignored);
}

std::filesystem::path UserConfigFolder() {
    static std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kablos-config-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(std::getenv("XDG_CONFIG_HOME"), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void ClearUserStore() {
    std::error_code ignored;
    std::filesystem::remove_all(UserConfigFolder() / "Brindlex", ignored);
}

MsgAnswer RecordingMessenger::MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                                     std::string_view caption) {
    shown.push_back({std::string(text), buttons, icon, std::string(caption)});
    if (!m_answers.empty()) {
        MsgAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    switch (buttons) {
        case MsgButtons::AbortRetryIgnore:
            return MsgAnswer::Abort;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        case MsgButtons::RetryCancel:
            return MsgAnswer::Retry;
        default:
            return MsgAnswer::Ok;
    }
}

std::string Sjis(std::string_view utf8WithLf) {
    std::string crlf;
    for (char c : utf8WithLf) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return common::ToCodePage(crlf);
}

std::filesystem::path SampleIni() {
    return std::filesystem::path(KABLOS_SAMPLES_DIR) / "KABLOS.ini";
}

std::chrono::system_clock::time_point FixedTime(std::chrono::seconds offset) {
    std::tm local{};
    local.tm_year = 2023 - 1900;
    local.tm_mon = 8;
    local.tm_mday = 13;
    local.tm_hour = 8;
    local.tm_min = 9;
    local.tm_sec = 15;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local)) + offset;
}

}  // namespace kablos::test
