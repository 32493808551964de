#pragma once

// An .xlsx workbook as the wire-processing table needs it: open a template, find worksheets and
// the cells of names (a worksheet's own, then the workbook's), write texts and dates, set wrap-text
// and shrink-to-fit, copy a worksheet after another, delete one, save the result, or drop it
// unsaved.
//
// The workbook is an OPC package (a zip container, read and written with libzip) of XML parts
// (read and written with pugixml). Every part the operations do not change is written back byte
// for byte; the parts that change are the worksheets written to, the workbook part, its
// relationships, the content types and, once a cell's format changes, the styles. The package
// is held in memory; a copied worksheet keeps its XML as text until it is written to again, so a
// workbook of thousands of pages stays small.
//
// Texts are written as inline strings; shared strings are read, never rewritten. Dates are
// written as serial day numbers (days since 1899-12-30) with a date number format when the
// cell's own format is not one. A copied worksheet takes the name Excel gives a copy ("Sheet1
// (2)"), the source's relationships (pointing to the same parts) and its sheet-level names (the
// print area and titles). A deleted worksheet takes its sheet-level names with it; workbook
// names that point into it become "#REF!" references, and the calculation chain is dropped
// (the spreadsheet rebuilds it). A workbook is not shared between threads.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kablos::printing {

/// A cell position, both from 1: row 1, column 1 is A1.
struct CellAddress {
    int row = 0;
    int column = 0;
    bool operator==(const CellAddress&) const = default;
};

/// "B3" for row 3, column 2; an empty text for an address outside the sheet.
std::string CellReference(CellAddress address);
/// The address of "B3" or "$B$3"; nothing for anything else.
std::optional<CellAddress> ParseCellReference(std::string_view reference);

/// A worksheet of an open workbook; stays valid until the worksheet is deleted.
using SheetId = int;

/// The cell a name stands for.
struct NamedCell {
    SheetId sheet = -1;
    CellAddress address;
};

class Workbook {
public:
    /// Opens the .xlsx file at `path`. Nothing, with the reason in `why`, when the file cannot
    /// be read or is not a workbook. The file itself is only read.
    static std::unique_ptr<Workbook> Open(const std::filesystem::path& path, std::string* why);
    /// The same from the bytes of an .xlsx file.
    static std::unique_ptr<Workbook> FromBytes(std::string bytes, std::string* why);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    int WorksheetCount() const { return static_cast<int>(m_order.size()); }
    /// The worksheet of that name (compared without regard to case, as the spreadsheet does).
    std::optional<SheetId> Worksheet(std::string_view name) const;
    /// The worksheets in workbook order.
    const std::vector<SheetId>& Worksheets() const { return m_order; }
    std::string SheetName(SheetId sheet) const;

    /// The single cell a name stands for; nothing when there is no such name or it stands for
    /// anything but one cell of a worksheet of this workbook. With `scope`, a name scoped to
    /// that worksheet is found first, then a workbook-level name; without it only workbook-level
    /// names count.
    std::optional<NamedCell> ResolveName(std::string_view name,
                                         std::optional<SheetId> scope = std::nullopt) const;

    /// Writes a text (an empty text leaves the cell blank); the cell keeps its format.
    bool SetText(SheetId sheet, CellAddress address, std::string_view text);
    /// Writes a date, as the spreadsheet's serial day number.
    bool SetDate(SheetId sheet, CellAddress address, std::chrono::year_month_day date);
    bool SetWrapText(SheetId sheet, CellAddress address, bool on);
    bool SetShrinkToFit(SheetId sheet, CellAddress address, bool on);

    /// Copies `sheet` to the position right after `after`; returns the copy.
    std::optional<SheetId> CopySheetAfter(SheetId sheet, SheetId after);
    /// Deletes a worksheet; the last one cannot be deleted.
    bool DeleteSheet(SheetId sheet);

    /// The text a cell shows: its string (shared or inline) or its stored value; empty for a
    /// blank or missing cell.
    std::string Text(SheetId sheet, CellAddress address) const;

    /// The package as .xlsx bytes.
    std::optional<std::string> ToBytes(std::string* why);
    /// Saves the workbook to `path`, replacing the file whole or not at all.
    bool Save(const std::filesystem::path& path, std::string* why);

private:
    struct Part {
        std::string name;  ///< without leading "/"
        std::string bytes;
        bool removed = false;
    };
    struct Sheet {
        std::string name;
        std::string partName;
        std::string relId;
        pugi::xml_node entry;         ///< its <sheet> element in the workbook part
        pugi::xml_node typeOverride;  ///< its content type, once looked up
        bool deleted = false;
        bool dirty = false;
        std::unique_ptr<pugi::xml_document> doc;  ///< loaded on the first write
        pugi::xml_node sheetData;
        /// The rows of sheetData by number, filled when the document is loaded.
        std::map<int, pugi::xml_node> rows;
        /// The cells found so far, by row * 2^16 + column.
        std::unordered_map<std::uint64_t, pugi::xml_node> cells;
        /// The sheet-level names (localSheetId) of the worksheet.
        std::vector<pugi::xml_node> localNames;
    };
    struct XmlPart;
    enum class StyleChange { Date, WrapOn, WrapOff, ShrinkOn, ShrinkOff };

    Workbook();
    bool Load(std::string* why);
    Part* FindPart(std::string_view name);
    const Part* FindPart(std::string_view name) const;
    void AddPart(std::string name, std::string bytes);
    XmlPart& Xml(const std::string& partName);
    pugi::xml_document* SheetDoc(SheetId sheet);
    pugi::xml_node Cell(SheetId sheet, CellAddress address, bool create);
    std::optional<int> DeriveStyle(int style, StyleChange change);
    bool ChangeStyle(SheetId sheet, CellAddress address, StyleChange change);
    int SheetPosition(SheetId sheet) const;
    std::string SharedString(std::size_t index) const;
    void SerialiseDirty();

    std::vector<Part> m_parts;
    std::unordered_map<std::string, std::size_t> m_partIndex;
    std::map<std::string, std::unique_ptr<XmlPart>> m_xml;
    std::vector<Sheet> m_sheets;
    std::vector<SheetId> m_order;
    std::set<std::string> m_upperNames;  ///< sheet names in upper case, for uniqueness
    std::string m_workbookPart;          ///< "xl/workbook.xml" as the package names it
    std::string m_workbookRels;
    std::string m_stylesPart;
    int m_nextSheetNumber = 1;
    int m_nextSheetId = 1;
    int m_nextRelId = 1;
    std::map<std::pair<int, StyleChange>, int> m_derivedStyles;
    std::map<std::string, int> m_copyCounters;
    std::size_t m_lastCopySize = 0;  ///< next copy number per upper-case stem
    mutable std::optional<std::vector<std::string>> m_sharedStrings;
};

/// The spreadsheet's serial day number of a date (1 is 1900-01-01, leap-year fault included
/// as the spreadsheet counts).
double SerialDate(std::chrono::year_month_day date);

}  // namespace kablos::printing
