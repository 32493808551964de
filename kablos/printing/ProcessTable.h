#pragma once

// The wire-processing table (電線処理表): fills the worksheet "Sheet1" of a template workbook
// page by page from the casting data and keeps each finished page as a copy, so that the
// workbook ends with one worksheet per page, in page order.
//
// A page has a header (page number, date, the data set's fields, the column headings that
// depend on the casting data) and two blocks of ten rows; the cells are found through the
// template's workbook-level names (PRINTPAGE, NO1, TLEN2, ...), a block's row r being r rows
// below its column cell. Every data set starts on a new page; the page counter runs on across
// the data sets. The first wire record of the whole table decides which address columns are
// shown: placement address, device number, both or neither.

#include <chrono>
#include <functional>
#include <string>

#include "CastingData.h"
#include "printing/Workbook.h"

namespace kablos::printing {

/// The worksheet the template is filled on.
inline constexpr std::string_view kTemplateSheet = "Sheet1";

struct TableCallbacks {
    /// Shows the progress text ("電線処理表データ作成中(3/12)").
    std::function<void(const std::string&)> progress;
    /// Lets pending window events run (after every wire and at every new page).
    std::function<void()> processEvents;
    /// True once the user has cancelled.
    std::function<bool()> cancelled;
};

struct TableResult {
    enum class Status {
        Done,       ///< the workbook holds one worksheet per page
        Cancelled,  ///< stopped at a data set or a new page; the workbook is to be dropped
        Failed,     ///< a worksheet or a named cell is missing, or a cell could not be written
    };
    Status status = Status::Done;
    /// The name of the named cell last addressed ("Sheet1" when the worksheet is missing).
    std::string lastName;
    int pages = 0;
};

/// Fills `book` from `data` (which has at least one wire record). `today` is written into
/// PRINTDATE. Done leaves only the page worksheets ("Sheet1" deleted).
TableResult FillProcessTable(Workbook& book, const CastingData& data,
                             std::chrono::year_month_day today, const TableCallbacks& callbacks);

/// Today's date on the local clock.
std::chrono::year_month_day LocalToday();

}  // namespace kablos::printing
