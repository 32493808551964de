#pragma once

// For the tests of listhost and of the list modules it runs: the program run as a user runs
// it (its own process, arguments without a shell, typed answers on standard input), and small
// projects written as real SQLite stores.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/FileSupport.h"

namespace listhosttest {

struct Run {
    int status = -1;  ///< exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

/// Runs listhost with `args`, `input` on its standard input and `env` added to (or, with an
/// empty value, removed from) the environment. `fileSizeLimit` limits the size of the files
/// it writes (so that a write fails half-way).
Run RunListhost(const std::vector<std::string>& args, std::string_view input = {},
                const std::map<std::string, std::string>& env = {},
                std::optional<std::size_t> fileSizeLimit = {});

/// Runs `sql` on the SQLite file `file` (created when missing); throws on an error.
void RunSql(const std::filesystem::path& file, std::string_view sql);

/// A project folder `folder` with a store of the current layout, data version `version`, the
/// plan setting "uses_plates" and `sql` run on it.
void MakeProject(const std::filesystem::path& folder, std::string_view version, bool plates,
                 std::string_view sql = {});

/// A maker installation in `folder` with a parts database holding `sql`.
void MakeInstallation(const std::filesystem::path& folder, std::string_view sql = {});

/// A test's working folder: a temporary folder holding the installation "zelko", the machine
/// settings file "registry.ini" and the temporary folder "tmp" that listhost gets.
class Workplace {
public:
    Workplace();
    const std::filesystem::path& dir() const { return m_dir.path(); }
    std::filesystem::path install() const { return dir() / "zelko"; }
    std::filesystem::path registry() const { return dir() / "registry.ini"; }
    std::filesystem::path tmp() const { return dir() / "tmp"; }
    /// Writes the machine setting "Tervo_SENSYU", or removes the settings file.
    void SetWireKindSetting(std::optional<unsigned> value) const;
    /// The environment listhost runs in: installation, settings file, temporary folder.
    std::map<std::string, std::string> Env() const;
    /// Runs listhost in this environment.
    Run Listhost(const std::vector<std::string>& args, std::string_view input = {},
                 std::optional<std::size_t> fileSizeLimit = {}) const;

private:
    testsupport::TempDir m_dir;
};

/// UTF-8 text of a file written in the process code page (Shift_JIS); throws when the bytes
/// are not valid Shift_JIS.
std::string ReadShiftJis(const std::filesystem::path& file);

/// The lines of `text` split at CR LF; throws when a line feed comes without a carriage return.
std::vector<std::string> CrLfLines(std::string_view text);

}  // namespace listhosttest
