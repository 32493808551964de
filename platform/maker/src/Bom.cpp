#include "services/bom.h"

#include <deque>
#include <vector>

#include "Store.h"
#include "common/text.h"
#include "services/maker.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

struct BomColumn {
    std::string field;
};

struct BomTable {
    std::string name;
    std::vector<BomColumn> columns;
};

struct BomDb : detail::Handle {
    fs::path file;
    detail::Connection db;
    std::deque<BomTable> tables;  // looked up so far; addresses stay put
};

struct BomRows : detail::Handle {
    std::unique_ptr<Statement> query;
    std::vector<std::string> names;
    std::vector<std::string> values;
    bool onRow = false;
};

namespace {

constexpr std::string_view kWho = "ZELKOBOM";

BomDb* Open(const fs::path& file) {
    auto db = detail::OpenReadOnly(kWho, file);
    if (!db) {
        return nullptr;
    }
    auto* bom = new BomDb();
    bom->file = file;
    bom->db = std::move(db);
    return bom;
}

/// The table name of a role: from "bom_role" when it names one, else the default.
std::string RoleTable(BomDb* db, BomRole role) {
    const std::string_view roleName = role == BomRole::Parts ? "parts" : "terminals";
    Statement exists(db->db.get(),
                     "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = 'bom_role'",
                     kWho);
    if (exists.Step()) {
        Statement named(db->db.get(), "SELECT table_name FROM bom_role WHERE role = ?", kWho);
        named.Bind(1, roleName);
        if (named.Step()) {
            return named.Text(0);
        }
    }
    return role == BomRole::Parts ? "bom" : "pin";
}

}  // namespace

BomDb* BomOpenDefault() {
    return Open(MakerInstallFolder() / "BOM" / "ZELKOBOM.sqlite");
}

BomDb* BomOpenFile(const fs::path& file) {
    return Open(file);
}

void BomClose(BomDb* db) {
    delete db;
}

const BomTable* BomFindTable(BomDb* db, BomRole role) {
    if (db == nullptr) {
        return nullptr;
    }
    const std::string name = RoleTable(db, role);
    for (const auto& table : db->tables) {
        if (table.name == name) {
            return &table;
        }
    }
    Statement columns(db->db.get(), "SELECT name FROM pragma_table_info(?)", kWho);
    columns.Bind(1, name);
    BomTable table{name, {}};
    while (columns.Step()) {
        table.columns.push_back({columns.Text(0)});
    }
    if (table.columns.empty()) {
        detail::SetLastError("ZELKOBOM: '" + db->file.string() + "' has no table '" + name + "'");
        return nullptr;
    }
    db->tables.push_back(std::move(table));
    return &db->tables.back();
}

const BomColumn* BomFindColumn(const BomTable* table, std::string_view name) {
    if (table == nullptr) {
        return nullptr;
    }
    for (const auto& column : table->columns) {
        if (common::EqualsNoCase(column.field, name)) {
            return &column;
        }
    }
    return nullptr;
}

const std::string& BomFieldName(const BomColumn* column) {
    static const std::string empty;
    return column != nullptr ? column->field : empty;
}

BomRows* BomQuery(BomDb* db, const BomTable* table, std::string_view fieldName,
                  std::string_view value) {
    if (db == nullptr || table == nullptr) {
        return nullptr;
    }
    const BomColumn* column = BomFindColumn(table, fieldName);
    if (column == nullptr) {
        detail::SetLastError("ZELKOBOM: table '" + table->name + "' has no field '" +
                             std::string(fieldName) + "'");
        return nullptr;
    }
    // The condition "field = 'value'" with the value bound: quotes in it are data.
    auto query = std::make_unique<Statement>(
        db->db.get(),
        "SELECT * FROM " + detail::QuoteIdentifier(table->name) + " WHERE " +
            detail::QuoteIdentifier(column->field) + " = ? ORDER BY rowid",
        kWho);
    if (!query->ok()) {
        return nullptr;
    }
    query->Bind(1, value);
    auto* rows = new BomRows();
    for (int col = 0; col < query->Columns(); ++col) {
        rows->names.push_back(query->ColumnName(col));
    }
    rows->query = std::move(query);
    return rows;
}

bool BomRowsNext(BomRows* rows) {
    if (rows == nullptr) {
        return false;
    }
    rows->onRow = rows->query->Step();
    rows->values.clear();
    if (rows->onRow) {
        for (int col = 0; col < rows->query->Columns(); ++col) {
            rows->values.push_back(rows->query->Text(col));
        }
    }
    return rows->onRow;
}

bool BomRowsText(const BomRows* rows, std::string_view name, std::string& value) {
    if (rows == nullptr || !rows->onRow) {
        return false;
    }
    for (std::size_t col = 0; col < rows->names.size(); ++col) {
        if (common::EqualsNoCase(rows->names[col], name)) {
            value = rows->values[col];
            return true;
        }
    }
    return false;
}

void BomRowsFree(BomRows* rows) {
    delete rows;
}

}  // namespace zelko
