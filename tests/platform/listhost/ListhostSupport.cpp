#include "ListhostSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "common/codepage.h"
#include "maker/schema.h"

extern char** environ;

namespace listhosttest {

namespace fs = std::filesystem;

Run RunListhost(const std::vector<std::string>& args, std::string_view input,
                const std::map<std::string, std::string>& env,
                std::optional<std::size_t> fileSizeLimit) {
    testsupport::TempDir io;
    const fs::path in = io.path() / "in";
    const fs::path out = io.path() / "out";
    const fs::path err = io.path() / "err";
    testsupport::WriteBytes(in, input);

    std::vector<std::string> words{LISTHOST_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::map<std::string, std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string_view text = *entry;
        const auto equals = text.find('=');
        environment[std::string(text.substr(0, equals))] =
            equals == std::string_view::npos ? "" : std::string(text.substr(equals + 1));
    }
    for (const auto& [name, value] : env) {
        if (value.empty()) {
            environment.erase(name);
        } else {
            environment[name] = value;
        }
    }
    std::vector<std::string> envText;
    for (const auto& [name, value] : environment) {
        envText.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& text : envText) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int rc = 0;
    {
        std::optional<testsupport::FileSizeLimit> limit;
        if (fileSizeLimit) {
            limit.emplace(*fileSizeLimit);
        }
        rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    }
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error(std::string("cannot start listhost: ") + std::strerror(rc));
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    Run run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    run.out = testsupport::ReadBytes(out);
    run.err = testsupport::ReadBytes(err);
    return run;
}

void RunSql(const fs::path& file, std::string_view sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + file.string());
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &message);
    const std::string why = message != nullptr ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw std::runtime_error(file.string() + ": " + why);
    }
}

void MakeProject(const fs::path& folder, std::string_view version, bool plates,
                 std::string_view sql) {
    fs::create_directories(folder / "DWG" / "LAYOUT");
    const fs::path store = folder / "ZELKOPRJ.sqlite";
    RunSql(store, zelko::ProjectStoreSchema());
    RunSql(store, "INSERT INTO project VALUES ('data_version', '" + std::string(version) +
                      "');"
                      "INSERT INTO plan_setting VALUES ('uses_plates', " +
                      (plates ? "1" : "0") + ");");
    if (!sql.empty()) {
        RunSql(store, sql);
    }
}

void MakeInstallation(const fs::path& folder, std::string_view sql) {
    fs::create_directories(folder / "BOM");
    fs::create_directories(folder / "SUPPORT");
    const fs::path parts = folder / "BOM" / "ZELKOBOM.sqlite";
    RunSql(parts, zelko::PartsDatabaseSchema());
    if (!sql.empty()) {
        RunSql(parts, sql);
    }
}

Workplace::Workplace() {
    MakeInstallation(install());
    fs::create_directories(tmp());
}

void Workplace::SetWireKindSetting(std::optional<unsigned> value) const {
    if (!value) {
        fs::remove(registry());
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08x", *value);
    testsupport::WriteBytes(registry(),
                            "[SOFTWARE\\Brindlex\\Parameters\\BypassVerChk]\r\n"
                            "Tervo_SENSYU=dword:" +
                                std::string(text) + "\r\n");
}

std::map<std::string, std::string> Workplace::Env() const {
    return {{"ZELKO_HOME", install().string()},
            {"ZELKO_REGISTRY", registry().string()},
            {"TMPDIR", tmp().string()},
            {"ZELKO_LIST_MODULES", ""},
            {"ANSI_CODEPAGE", ""}};
}

Run Workplace::Listhost(const std::vector<std::string>& args, std::string_view input,
                        std::optional<std::size_t> fileSizeLimit) const {
    return RunListhost(args, input, Env(), fileSizeLimit);
}

std::string ReadShiftJis(const fs::path& file) {
    auto text = common::FromCodePage(testsupport::ReadBytes(file));
    if (!text) {
        throw std::runtime_error(file.string() + " is not Shift_JIS");
    }
    return *text;
}

std::vector<std::string> CrLfLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (end == std::string_view::npos || end == 0 || text[end - 1] != '\r') {
            throw std::runtime_error("a line does not end with CR LF");
        }
        lines.emplace_back(text.substr(0, end - 1));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace listhosttest
