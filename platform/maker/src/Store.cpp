#include "Store.h"

#include <cstdlib>

#include "common/files.h"
#include "common/text.h"
#include "services/maker.h"

namespace zelko {
namespace {

std::string g_lastError;
int g_liveHandles = 0;
std::filesystem::path g_installFolder;

}  // namespace

bool MakerSetInstallFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        detail::SetLastError("ZELKO: the installation folder '" + folder.string() +
                             "' does not exist");
        return false;
    }
    g_installFolder = folder;
    return true;
}

std::filesystem::path MakerInstallFolder() {
    if (!g_installFolder.empty()) {
        return g_installFolder;
    }
    if (const char* home = std::getenv("ZELKO_HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    return common::ExecutableFolder() / "zelko";
}

const std::string& MakerLastError() {
    return g_lastError;
}

int MakerLiveHandles() {
    return g_liveHandles;
}

namespace detail {

void SetLastError(std::string text) {
    g_lastError = std::move(text);
}

Handle::Handle() {
    ++g_liveHandles;
}
Handle::Handle(const Handle&) {
    ++g_liveHandles;
}
Handle::~Handle() {
    --g_liveHandles;
}

Connection OpenReadOnly(std::string_view who, const std::filesystem::path& file) {
    const std::string name = std::string(who) + ": '" + file.string() + "' ";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        SetLastError(name + "does not exist");
        return nullptr;
    }
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    Connection db(raw);
    if (rc != SQLITE_OK) {
        SetLastError(name + "cannot be opened (" +
                     (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)) + ")");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    // Read through a memory map: the lists of a large project load without copying every
    // page through the page cache.
    sqlite3_exec(db.get(), "PRAGMA mmap_size = 1073741824", nullptr, nullptr, nullptr);
    // SQLite reads the header only on first use: read the schema now so that a damaged file
    // is found here, not half-way through a caller's work.
    char* message = nullptr;
    rc = sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::string why = message != nullptr ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        if (rc == SQLITE_NOTADB) {
            SetLastError(name + "is not a database");
        } else {
            SetLastError(name + "is damaged (" + why + ")");
        }
        return nullptr;
    }
    return db;
}

Statement::Statement(sqlite3* db, std::string_view sql, std::string_view who)
    : m_db(db), m_who(who) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) !=
        SQLITE_OK) {
        SetLastError(m_who + ": query failed (" + sqlite3_errmsg(db) + ")");
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

int Statement::ParameterCount() const {
    return sqlite3_bind_parameter_count(m_stmt);
}

void Statement::Bind(int index, std::string_view text) {
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Statement::Bind(int index, std::int64_t value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

bool Statement::Step() {
    if (m_stmt == nullptr || m_failed) {
        return false;
    }
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc != SQLITE_DONE) {
        m_failed = true;
        SetLastError(m_who + ": query failed (" + sqlite3_errmsg(m_db) + ")");
    }
    return false;
}

int Statement::Columns() const {
    return sqlite3_column_count(m_stmt);
}

std::string Statement::ColumnName(int col) const {
    const char* name = sqlite3_column_name(m_stmt, col);
    return name != nullptr ? name : "";
}

bool Statement::IsNull(int col) const {
    return sqlite3_column_type(m_stmt, col) == SQLITE_NULL;
}

int Statement::Type(int col) const {
    return sqlite3_column_type(m_stmt, col);
}

std::string_view Statement::TextView(int col) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (text == nullptr) {
        return {};
    }
    return {text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col))};
}

std::string_view Statement::TextView(int col, const char*& data) const {
    data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    if (data == nullptr) {
        return {};
    }
    return {data, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, col))};
}

std::string Statement::Text(int col) const {
    return std::string(TextView(col));
}

std::int64_t Statement::Int(int col) const {
    return sqlite3_column_int64(m_stmt, col);
}

double Statement::Real(int col) const {
    return sqlite3_column_double(m_stmt, col);
}

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

std::string PathText(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().generic_string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

Connection OpenProjectStore(const std::filesystem::path& projectFolder) {
    auto db = OpenReadOnly("ZELKOPRJ", projectFolder / kStoreName);
    if (!db) {
        return db;
    }
    Statement version(db.get(), "PRAGMA user_version", "ZELKOPRJ");
    int found = version.Step() ? static_cast<int>(version.Int(0)) : -1;
    if (found != kStoreVersion) {
        SetLastError("ZELKOPRJ: '" + (projectFolder / kStoreName).string() +
                     "' has layout version " + std::to_string(found) +
                     "; this program reads version " + std::to_string(kStoreVersion));
        return nullptr;
    }
    return db;
}

std::filesystem::path ProjectOfFolder(std::string_view folder) {
    std::filesystem::path path(folder);
    if (folder.empty() || path.is_relative()) {
        if (OpenProjectFolder().empty()) {
            SetLastError("ZELKOPRJ: no project is open");
        }
        return OpenProjectFolder();
    }
    std::error_code ec;
    for (auto dir = path.lexically_normal(); !dir.empty(); dir = dir.parent_path()) {
        if (std::filesystem::is_regular_file(dir / kStoreName, ec)) {
            return dir;
        }
        if (dir == dir.parent_path()) {
            break;
        }
    }
    SetLastError("ZELKOPRJ: '" + std::string(folder) + "' belongs to no project");
    return {};
}

}  // namespace detail
}  // namespace zelko
