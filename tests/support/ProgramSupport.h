#pragma once

// Running one of the system's programs as a user runs it, for the tests that drive programs
// from outside (cadhost with its scripts).

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct ProgramRun {
    int status = -1;  ///< exit status, 128 + signal when killed
    std::string out;  ///< standard output
    std::string err;  ///< standard error
};

/// Runs `args` (the program first) with LANG=`language` (LC_ALL and LC_MESSAGES
/// cleared) and the environment entries `environment` ("NAME=value") added or replaced.
/// Standard output and error are kept in "stdout.txt" and "stderr.txt" of `folder`.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder,
                      const std::string& language = "C",
                      const std::vector<std::string>& environment = {});

/// Runs `command` through the shell (a Python fixture script, for example) and gives what it
/// wrote on standard output; "popen failed" when it cannot be started.
std::string ShellOutput(const std::string& command);

}  // namespace testsupport
