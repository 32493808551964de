#pragma once

// Helpers for the KABLOS tests: a private home for the per-user folders, a messenger that
// records what the program shows and answers as told, and file helpers.

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "Messenger.h"
#include "support/FileSupport.h"

namespace kablos::test {

/// A fresh folder for one test, removed afterwards. XDG_DATA_HOME points to "data" inside it for
/// the test's lifetime (XDG_CONFIG_HOME is set once per test program, see UserConfigFolder).
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path dataHome() const { return m_root / "data"; }
    /// The per-user data folder KABLOS uses under this home.
    std::filesystem::path userFolder() const { return dataHome() / "Brindlex" / "TRIM-KIT"; }
    /// A folder standing in for the program folder.
    std::filesystem::path programFolder() const { return m_root / "program"; }

private:
    std::filesystem::path m_root;
    std::string m_oldDataHome;
    bool m_hadDataHome = false;
};

/// The per-user configuration folder of the test program (XDG_CONFIG_HOME). Qt reads it once per
/// process, so it is set once, before the first use of the per-user store, and emptied by
/// ClearUserStore.
std::filesystem::path UserConfigFolder();
void ClearUserStore();

struct ShownMessage {
    std::string text;
    MsgButtons buttons;
    MsgIcon icon;
    std::string caption;
};

/// Records every message box; answers with the queued answers, then with the first button.
class RecordingMessenger : public Messenger {
public:
    MsgAnswer MsgBox(std::string_view text, MsgButtons buttons, MsgIcon icon,
                     std::string_view caption) override;
    void queue(MsgAnswer answer) { m_answers.push_back(answer); }

    std::vector<ShownMessage> shown;

private:
    std::deque<MsgAnswer> m_answers;
};

using testsupport::FileSizeLimit;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

/// UTF-8 text converted to CP932 with LF turned into CR LF, as KABLOS writes its files.
std::string Sjis(std::string_view utf8WithLf);
/// The sample settings file of the repository.
std::filesystem::path SampleIni();

/// A clock fixed at 2023-09-13 08:09:15 local time (plus `offset`).
std::chrono::system_clock::time_point FixedTime(std::chrono::seconds offset = {});

}  // namespace kablos::test
