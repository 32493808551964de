#pragma once

// ZELKOBOM: the parts database - part codes, their 2D and 3D symbols and their terminal
// tables. It is an SQLite file: the installation's default "BOM/ZELKOBOM.sqlite", or a named
// file such as the ".mdb" file of a 3D layout folder (an SQLite file that keeps the name the
// tools look for).
//
// Tables are found by role, columns by name without regard to case. A query is the condition
// "field = value": the value is bound, never pasted into SQL text, so a part code holding a
// quote matches exactly that part code and can neither break nor widen the query.

#include <filesystem>
#include <string>
#include <string_view>

namespace zelko {

struct BomDb;
struct BomTable;
struct BomColumn;
struct BomRows;

/// Roles of the tables. The table "bom_role" (columns "role", "table_name") may name them;
/// without it, or without a row for a role, the parts table is "bom" and the terminal table
/// "pin".
enum class BomRole { Parts, Terminals };

/// Opens read-only; null, with MakerLastError(), when the file is missing or not a readable
/// SQLite database. Release with BomClose.
BomDb* BomOpenDefault();
BomDb* BomOpenFile(const std::filesystem::path& file);
void BomClose(BomDb* db);

/// The table of the role; null when the database has no such table. Owned by the database.
const BomTable* BomFindTable(BomDb* db, BomRole role);
/// The table's column whose name equals `name` without regard to case; null when none. Owned
/// by the database.
const BomColumn* BomFindColumn(const BomTable* table, std::string_view name);
/// The column's field name as the table spells it.
const std::string& BomFieldName(const BomColumn* column);

/// The rows of `table` whose field `fieldName` equals `value`, in table order; null when the
/// field is no column of the table or the query fails. Step with BomRowsNext before reading;
/// release with BomRowsFree.
BomRows* BomQuery(BomDb* db, const BomTable* table, std::string_view fieldName,
                  std::string_view value);
/// Moves to the next row; false after the last.
bool BomRowsNext(BomRows* rows);
/// The current row's value of the column named `name` (without regard to case) as text (a
/// NULL reads as empty); false when there is no such column or no current row.
bool BomRowsText(const BomRows* rows, std::string_view name, std::string& value);
void BomRowsFree(BomRows* rows);

}  // namespace zelko
