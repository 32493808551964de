#pragma once

// What every service family shares inside the maker's libraries: SQLite connections and
// statements that close themselves, the last-failure text, the live-handle count and the
// project store lookup.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace zelko::detail {

/// Records why the current operation failed (MakerLastError).
void SetLastError(std::string text);

/// Base of every handle the services hand out; counts the live ones (MakerLiveHandles).
class Handle {
public:
    Handle();
    Handle(const Handle&);
    Handle& operator=(const Handle&) = default;
    ~Handle();
};

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, SqliteCloser>;

/// Opens an existing SQLite file read-only and makes sure it is one: a missing file, a file
/// that is not a database and a damaged schema give null and a failure text that names the
/// library (`who`) and the file.
Connection OpenReadOnly(std::string_view who, const std::filesystem::path& file);

/// A prepared statement with its values bound.
class Statement {
public:
    /// Prepares `sql`; on failure ok() is false and the failure text is recorded.
    Statement(sqlite3* db, std::string_view sql, std::string_view who);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    int ParameterCount() const;
    void Bind(int index, std::string_view text);
    void Bind(int index, std::int64_t value);
    /// Moves to the next row: true on a row, false at the end or on an error (then failed()).
    bool Step();
    bool failed() const { return m_failed; }

    int Columns() const;
    std::string ColumnName(int col) const;
    bool IsNull(int col) const;
    int Type(int col) const;
    std::string Text(int col) const;
    std::string_view TextView(int col) const;
    /// The text and, in `data`, its start: null exactly when the value is NULL.
    std::string_view TextView(int col, const char*& data) const;
    std::int64_t Int(int col) const;
    double Real(int col) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    std::string m_who;
    bool m_failed = false;
};

/// Quotes an identifier for SQL text ("name" with doubled quotes inside).
std::string QuoteIdentifier(std::string_view name);

// --- Projects -------------------------------------------------------------------------

inline constexpr std::string_view kStoreName = "ZELKOPRJ.sqlite";
inline constexpr std::string_view kDrawingRoot = "DWG";
inline constexpr std::string_view kLayoutFolder = "LAYOUT";
inline constexpr int kStoreVersion = 1;

/// The folder of the open project, empty when none.
const std::filesystem::path& OpenProjectFolder();
/// The project a service is asked about through a folder text: the open project for an empty
/// or relative text, else the folder holding a project store that is `folder` or contains
/// it. Empty, with the failure recorded, when there is none.
std::filesystem::path ProjectOfFolder(std::string_view folder);
/// The store of the open project, null when none is open.
sqlite3* OpenProjectStoreConnection();
/// Forgets the route cuts read from the open project (when a project is opened or closed).
void ForgetRouteCuts();
/// Opens the store of the project in `projectFolder` and checks its layout version.
Connection OpenProjectStore(const std::filesystem::path& projectFolder);

/// A path as one text with "/" separators, for case-insensitive comparisons.
std::string PathText(const std::filesystem::path& path);

}  // namespace zelko::detail
