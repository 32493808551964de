// The maker's wiring-database updater, A23ZOWMR (release 23) and V24UDEVU (release 24): a
// shared library that ROUTIX loads at run time from its own folder. Its entry point of ordinal
// 1009, `int ZelkoOrdinal1009(int mode, const char* database)`, brings the wiring database of
// a 3D layout folder (an SQLite file, services/wim.h) up to date with the installation's parts
// database: for every part code of the wiring database's table "pin" that the installation's
// terminal table knows, the pin rows are replaced by the installation's (terminal names and pin
// numbers). Codes the installation does not know keep their rows. Everything happens in one
// transaction: the database is updated whole or not at all.
//
// Result: 0 updated; 1 a bad argument (mode other than 0, no path); 2 the wiring database
// cannot be opened for writing; 3 the installation's parts database cannot be read; 4 the
// update failed (nothing was changed). The reason goes to standard error.
//
// The library is loaded into the host that loaded ROUTIX and takes the installation folder
// from it (MakerInstallFolder), so both agree on the installation.

#include <sqlite3.h>

#include <iostream>
#include <string>

#include "services/maker.h"

namespace {

int Fail(int code, const std::string& why) {
    std::cerr << "WIM updater: " << why << std::endl;
    return code;
}

bool Exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int ZelkoOrdinal1009(int mode,
                                                                       const char* database) {
    if (mode != 0 || database == nullptr || database[0] == '\0')
        return Fail(1, "the mode is 0 and a database path is needed");
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const std::string why = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        return Fail(2, std::string("'") + database + "' cannot be opened: " + why);
    }
    const std::string parts = (zelko::MakerInstallFolder() / "BOM" / "ZELKOBOM.sqlite").string();
    sqlite3_stmt* attach = nullptr;
    int result = 0;
    if (sqlite3_prepare_v2(db, "ATTACH 'file:' || ? || '?mode=ro' AS parts", -1, &attach,
                           nullptr) != SQLITE_OK ||
        sqlite3_bind_text(attach, 1, parts.c_str(), -1, SQLITE_TRANSIENT) != SQLITE_OK ||
        sqlite3_step(attach) != SQLITE_DONE) {
        result =
            Fail(3, "the parts database '" + parts + "' cannot be read: " + sqlite3_errmsg(db));
    }
    sqlite3_finalize(attach);
    if (result == 0) {
        const bool done =
            Exec(db, "BEGIN IMMEDIATE") &&
            Exec(db,
                 "CREATE TEMP TABLE known AS SELECT DISTINCT p.code AS code FROM main.pin p "
                 "WHERE EXISTS (SELECT 1 FROM parts.pin q WHERE q.code = p.code)") &&
            Exec(db, "DELETE FROM main.pin WHERE code IN (SELECT code FROM temp.known)") &&
            Exec(db,
                 "INSERT INTO main.pin (code, bompinval, bompinno) SELECT q.code, q.bompinval, "
                 "q.bompinno FROM parts.pin q WHERE q.code IN (SELECT code FROM temp.known) "
                 "ORDER BY q.code, q.bompinno") &&
            Exec(db, "COMMIT");
        if (!done) {
            result =
                Fail(4, std::string("'") + database + "' cannot be updated: " + sqlite3_errmsg(db));
            Exec(db, "ROLLBACK");
        }
    }
    sqlite3_close_v2(db);
    return result;
}
