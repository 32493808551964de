#include "services/settings.h"

#include <cstdlib>

#include "Store.h"
#include "common/numbers.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

struct SettingsStore : detail::Handle {
    detail::Connection db;
    std::string section;
    bool open = false;
};

namespace {

constexpr std::string_view kWho = "ZELKOCLD";

fs::path StoreFile() {
    if (const char* file = std::getenv("ZELKO_SETTINGS"); file != nullptr && *file != '\0') {
        return file;
    }
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        config = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        config = fs::path(home) / ".config";
    } else {
        config = fs::temp_directory_path();
    }
    return config / "Brindlex" / "ZELKOCLD.sqlite";
}

bool OpenStore(SettingsStore& store) {
    if (store.db) {
        return true;
    }
    const fs::path file = StoreFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    detail::Connection db(raw);
    if (rc != SQLITE_OK) {
        detail::SetLastError("ZELKOCLD: the settings store '" + file.string() +
                             "' cannot be opened (" + sqlite3_errstr(rc) + ")");
        return false;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    char* message = nullptr;
    rc = sqlite3_exec(db.get(),
                      "CREATE TABLE IF NOT EXISTS setting (section TEXT NOT NULL, name TEXT NOT "
                      "NULL, value NOT NULL, PRIMARY KEY (section, name))",
                      nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        detail::SetLastError("ZELKOCLD: the settings store '" + file.string() +
                             "' cannot be used (" +
                             (message != nullptr ? message : sqlite3_errstr(rc)) + ")");
        sqlite3_free(message);
        return false;
    }
    store.db = std::move(db);
    return true;
}

/// Reads the value; false when absent.
bool Read(SettingsStore* store, std::string_view name, int& type, std::string& text,
          std::int64_t& number) {
    if (store == nullptr || !store->open) {
        return false;
    }
    Statement query(store->db.get(), "SELECT value FROM setting WHERE section = ? AND name = ?",
                    kWho);
    query.Bind(1, store->section);
    query.Bind(2, name);
    if (!query.Step()) {
        return false;
    }
    type = query.Type(0);
    text = query.Text(0);
    number = query.Int(0);
    return true;
}

template <typename Value>
bool Write(SettingsStore* store, std::string_view name, Value value) {
    if (store == nullptr || !store->open) {
        return false;
    }
    Statement write(store->db.get(),
                    "INSERT INTO setting (section, name, value) VALUES (?, ?, ?) "
                    "ON CONFLICT (section, name) DO UPDATE SET value = excluded.value",
                    kWho);
    write.Bind(1, store->section);
    write.Bind(2, name);
    write.Bind(3, value);
    write.Step();
    return write.ok() && !write.failed();
}

}  // namespace

SettingsStore* SettingsInit() {
    return new SettingsStore();
}

void SettingsFree(SettingsStore* store) {
    delete store;
}

bool SettingsOpenSection(SettingsStore* store, std::string_view section) {
    if (store == nullptr || !OpenStore(*store)) {
        return false;
    }
    store->section = section;
    store->open = true;
    return true;
}

bool SettingsReadInt(SettingsStore* store, std::string_view name, int& value) {
    int type = 0;
    std::string text;
    std::int64_t number = 0;
    if (!Read(store, name, type, text, number)) {
        return false;
    }
    if (type == SQLITE_INTEGER) {
        value = static_cast<int>(number);
        return true;
    }
    if (auto parsed = common::ToInt32(text)) {
        value = *parsed;
        return true;
    }
    return false;
}

bool SettingsWriteInt(SettingsStore* store, std::string_view name, int value) {
    return Write(store, name, std::int64_t{value});
}

bool SettingsReadText(SettingsStore* store, std::string_view name, std::string& value) {
    int type = 0;
    std::int64_t number = 0;
    std::string text;
    if (!Read(store, name, type, text, number)) {
        return false;
    }
    value = std::move(text);
    return true;
}

bool SettingsWriteText(SettingsStore* store, std::string_view name, std::string_view value) {
    return Write(store, name, value);
}

}  // namespace zelko
