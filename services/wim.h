#pragma once

// ZELKOWMM: the wiring database of a 3D layout folder, the file named after the folder (the
// folder's own name followed by ".mdb") inside it. Here it is an SQLite file under that name;
// its table "pin" maps a part's terminal names to pin numbers:
//   pin(code TEXT, bompinval TEXT, bompinno INTEGER)
//
// Queries hold "?" where a value goes and get their values bound, never pasted into the text:
// a part code or terminal name with a quote matches exactly itself.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace zelko {

/// The three questions the callers ask.
/// The part's terminal names in pin order (relay-terminal placement). Value: part code.
inline constexpr std::string_view kWimPinValuesOfPart =
    "select bompinval from pin where code=? order by bompinno";
/// The part's pin rows (at least two make a multi-pin part). Value: part code.
inline constexpr std::string_view kWimPinRowsOfPart = "select bompinno from pin where code=?";
/// The pin number of one terminal name. Values: part code, terminal name.
inline constexpr std::string_view kWimPinNoOfTerminal =
    "select bompinno from pin where code=? and bompinval=?";

/// The wiring database of a folder: "<folder>/<last component of folder>.mdb".
std::filesystem::path WimFileOfFolder(const std::filesystem::path& folder);

/// A field value: empty (NULL), integer, real or text.
using WimVariant = std::variant<std::monostate, std::int64_t, double, std::string>;
/// A field value as text, as the callers read it (integers in decimal, reals in their
/// shortest form, NULL as empty), blanks and tabs trimmed.
std::string WimVariantText(const WimVariant& value);

struct WimDb;
struct WimRecords;

/// Opens the file read-only; `mode` is 0 (the only mode). Null, with MakerLastError(), when
/// it is missing or not a readable SQLite database. Release with WimClose.
WimDb* WimOpen(const std::filesystem::path& file, int mode);
void WimClose(WimDb* db);

/// Runs a query with its values bound in order and stands on the first row. Null when the
/// query fails (no such table, bad text, wrong number of values); callers treat that as no
/// rows. Release with WimRecordsFree.
WimRecords* WimExecute(WimDb* db, std::string_view query,
                       std::initializer_list<std::string_view> values = {});
bool WimEof(const WimRecords* records);
void WimMoveNext(WimRecords* records);
/// Field `n` (from 0) of the current row; empty at the end or for n out of range.
WimVariant WimField(const WimRecords* records, int n);
void WimRecordsFree(WimRecords* records);

}  // namespace zelko
