#pragma once

// A sample project of one panel for the relay-terminal tests, written by the generator into a
// fresh folder, and SQL run on its stores.

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace relaytest {

namespace fs = std::filesystem;

inline constexpr const char* kHeader2D =
    "NAME-\tPIN1\tBAN_NO\tBOMBSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+\r\n";
inline constexpr const char* kHeader3D =
    "NAME-\tPIN1\tBAN_NO\tBOM3DSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+\r\n";

/// One parameter line (the name repeated in NAME+).
inline std::string Line(const std::string& name, const std::string& pin, const std::string& symbol,
                        const std::string& code, const std::string& panel = "P1") {
    return name + "\t" + pin + "\t" + panel + "\t" + symbol + "\t" + name + "\t" + code +
           "\tUT4\t800V 32A\r\n";
}

class Sample {
public:
    Sample() {
        const testsupport::ProgramRun run = testsupport::RunProgram(
            {SAMPLE_PROJECT_PROGRAM, m_dir.path().string(), "--panels", "1"}, m_dir.path());
        m_ok = run.status == 0;
        fs::create_directories(temp());
    }
    bool ok() const { return m_ok; }
    fs::path dir() const { return m_dir.path(); }
    fs::path project() const { return m_dir.path() / "SAMPLE"; }
    fs::path installation() const { return m_dir.path() / "zelko"; }
    fs::path temp() const { return m_dir.path() / "tmp"; }
    fs::path panelDrawing() const { return project() / "DWG" / "PANEL" / "P01.dwg"; }

    /// Runs `sql` on the SQLite file `file`; false when it fails.
    static bool Sql(const fs::path& file, const std::string& sql) {
        sqlite3* db = nullptr;
        bool ok = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(db);
        return ok;
    }
    bool ProjectSql(const std::string& sql) const {
        return Sql(project() / "ZELKOPRJ.sqlite", sql);
    }
    bool PartsSql(const std::string& sql) const {
        return Sql(installation() / "BOM" / "ZELKOBOM.sqlite", sql);
    }

private:
    testsupport::TempDir m_dir;
    bool m_ok = false;
};

}  // namespace relaytest
