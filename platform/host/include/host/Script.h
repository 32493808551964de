#pragma once

// cadhost's plug-in loader and its script and terminal driver. platform/host/README.md
// describes the command line and the script format.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/Host.h"

namespace host {

/// A plug-in loaded with dlopen: its init and unload exports and its entry points by ordinal.
class Plugin {
public:
    Plugin() = default;
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    /// Loads the library and calls its ZelkoInitApplication; false with `error` set when the
    /// library cannot be loaded or lacks its init export.
    bool Load(const std::filesystem::path& path, std::string* error);
    /// Calls ZelkoInitApplication again.
    void Init();
    /// Calls ZelkoUnloadApplication and unloads the library.
    void Unload();
    bool Loaded() const { return m_handle != nullptr; }
    const std::filesystem::path& Path() const { return m_path; }

    /// The C name under which the entry point of `ordinal` is exported ("ZelkoOrdinal1012").
    static std::string OrdinalSymbol(int ordinal);
    /// The entry point of `ordinal`; null when the library does not export it.
    using EntryPoint = int (*)();
    EntryPoint FindOrdinal(int ordinal) const;

private:
    void* m_handle = nullptr;
    std::filesystem::path m_path;
};

/// Reads the lines of a script file; false when it cannot be read.
bool ReadScript(const std::filesystem::path& file, std::vector<std::string>& lines);

/// Opens a project folder for the `project` script line and `--project` (the maker's
/// ProjOpen, set by cadhost); false with `error` set when it cannot.
using ProjectOpener = std::function<bool(const std::filesystem::path& folder, std::string& error)>;
void SetProjectOpener(ProjectOpener opener);

/// Runs script lines (or terminal lines) against the host and a plug-in. Answer lines ("> ...")
/// answer the requests of the command that runs.
class ScriptRunner : public AnswerSource {
public:
    /// `lines` of a script named `name`; relative paths in it are taken from `folder`.
    ScriptRunner(std::vector<std::string> lines, std::string name, std::filesystem::path folder,
                 Plugin& plugin);
    /// Reads commands and answers from a terminal (`input`) instead of a script.
    ScriptRunner(std::istream& input, Plugin& plugin);

    /// Runs every line; returns 0 when every line ran as written, 1 otherwise. With
    /// `cadScript` the lines are a CAD script (the `script` line): CMDACTIVE carries the
    /// script bit while they run.
    int Run(bool cadScript = false);

    std::optional<std::string> Next(const Request& request) override;

private:
    bool Execute(const std::string& line);
    std::optional<std::string> NextLine();
    void Error(const std::string& message);
    std::filesystem::path Resolve(const std::string& path) const;

    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    std::string m_name;
    std::filesystem::path m_folder;
    std::istream* m_input = nullptr;
    Plugin& m_plugin;
    bool m_failed = false;
};

}  // namespace host
