#include "support/ProgramSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "support/FileSupport.h"

extern char** environ;

namespace testsupport {

ProgramRun RunProgram(const std::vector<std::string>& args, const std::filesystem::path& folder,
                      const std::string& language, const std::vector<std::string>& environment) {
    const auto outPath = folder / "stdout.txt";
    const auto errPath = folder / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> entries;
    auto replaced = [&](const std::string& entry) {
        if (entry.starts_with("LANG=") || entry.starts_with("LC_ALL=") ||
            entry.starts_with("LC_MESSAGES="))
            return true;
        for (const std::string& own : environment)
            if (entry.substr(0, entry.find('=') + 1) == own.substr(0, own.find('=') + 1))
                return true;
        return false;
    };
    for (char** e = environ; *e != nullptr; ++e)
        if (!replaced(*e))
            entries.emplace_back(*e);
    entries.push_back("LANG=" + language);
    entries.insert(entries.end(), environment.begin(), environment.end());
    std::vector<char*> envp, argv;
    for (auto& e : entries)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy = args;
    for (auto& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    ProgramRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

std::string ShellOutput(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "popen failed";
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

}  // namespace testsupport
