#include "printing/ProcessTable.h"

#include <array>
#include <ctime>
#include <unordered_map>

namespace kablos::printing {
namespace {

constexpr std::string_view kLineFeed = "\n";

// The column cells of a block, "NO1" ... "CAP1" and "NO2" ... "CAP2".
constexpr std::array<std::string_view, 10> kColumns = {
    "NO", "TLEN", "FROMADR", "FROMTAN", "SENBAN", "TOADR", "TOTAN", "FROMAMP", "TOAMP", "CAP"};
enum Column { kNo, kTlen, kFromAdr, kFromTan, kSenban, kToAdr, kToTan, kFromAmp, kToAmp, kCap };

// Which of placement address and device number the address columns show.
enum class AddressMode { None, Address, Device, Both };

AddressMode ModeOf(const std::string& address, const std::string& device) {
    if (!address.empty() && !device.empty())
        return AddressMode::Both;
    if (!address.empty())
        return AddressMode::Address;
    if (!device.empty())
        return AddressMode::Device;
    return AddressMode::None;
}

std::string AddressText(AddressMode mode, const std::string& address, const std::string& device) {
    switch (mode) {
        case AddressMode::Both:
            return address + std::string(kLineFeed) + device;
        case AddressMode::Address:
            return address;
        case AddressMode::Device:
            return device;
        case AddressMode::None:
            break;
    }
    return {};
}

std::string AddressHeading(AddressMode mode, std::string_view end) {
    std::string text(end);
    if (mode == AddressMode::Both || mode == AddressMode::Address)
        text += "\n配置アドレス";
    if (mode == AddressMode::Both || mode == AddressMode::Device)
        text += "\n器具番号";
    return text;
}

// The length column of the special sections: jumper, shield braid and short bar.
std::string_view KindText(int sectionKind) {
    switch (sectionKind) {
        case 1:
            return "ワタリ   ";
        case 2:
            return "シールド網";
        case 3:
            return "ショートバー";
        default:
            return {};
    }
}

struct Failure {};

// Writes through the template's names; remembers the name last addressed for the report.
class TableWriter {
public:
    TableWriter(Workbook& book, SheetId sheet, std::string& lastName)
        : m_book(book), m_sheet(sheet), m_lastName(lastName) {
        for (int block = 0; block < 2; ++block) {
            for (std::size_t c = 0; c < kColumns.size(); ++c)
                m_columnNames[static_cast<std::size_t>(block)][c] =
                    std::string(kColumns[c]) + static_cast<char>('1' + block);
        }
    }

    CellAddress At(const std::string& name) {
        m_lastName = name;
        auto known = m_cells.find(name);
        if (known != m_cells.end())
            return known->second;
        std::optional<NamedCell> cell = m_book.ResolveName(name, m_sheet);
        if (!cell || cell->sheet != m_sheet)
            throw Failure{};
        return m_cells.emplace(name, cell->address).first->second;
    }

    void Text(const std::string& name, std::string_view text) { Write(At(name), text); }

    const std::string& ColumnName(int block, Column column) const {
        return m_columnNames[static_cast<std::size_t>(block)][static_cast<std::size_t>(column)];
    }

    /// Row `row` (1 to 10) of a block's column.
    CellAddress Row(int block, Column column, int row) {
        CellAddress address = At(ColumnName(block, column));
        address.row += row;
        return address;
    }

    void Write(CellAddress address, std::string_view text) {
        if (!m_book.SetText(m_sheet, address, text))
            throw Failure{};
    }

    void Date(const std::string& name, std::chrono::year_month_day date) {
        if (!m_book.SetDate(m_sheet, At(name), date))
            throw Failure{};
    }

    void ShrinkWithoutWrap(CellAddress address) {
        if (!m_book.SetWrapText(m_sheet, address, false) ||
            !m_book.SetShrinkToFit(m_sheet, address, true))
            throw Failure{};
    }

private:
    Workbook& m_book;
    SheetId m_sheet;
    std::string& m_lastName;
    std::unordered_map<std::string, CellAddress> m_cells;
    std::array<std::array<std::string, kColumns.size()>, 2> m_columnNames;
};

class TableFiller {
public:
    TableFiller(Workbook& book, SheetId sheet, const CastingData& data,
                std::chrono::year_month_day today, std::string& lastName)
        : m_book(book),
          m_sheet(sheet),
          m_today(today),
          m_out(book, sheet, lastName),
          m_from(ModeOf(data.wires.front().PlaceAddrF, data.wires.front().DeviceNoF)),
          m_to(ModeOf(data.wires.front().PlaceAddrT, data.wires.front().DeviceNoT)) {}

    void Header(const CastingSet& set, int page) {
        m_out.Text("PRINTPAGE", "P. " + std::to_string(page));
        m_out.Date("PRINTDATE", m_today);
        m_out.Text("TITELNAME", set.MfgNo);
        m_out.Text("SNO", set.DrawingNo);
        m_out.Text("BNO", set.PanelNo);
        m_out.Text("UNITNO", set.DeviceUnit);
        m_out.Text("KUBUN", set.CircuitClass);
        m_out.Text("WPI", set.WireKind);
        m_out.Text("WSIZE", set.WireSize);
        m_out.Text("WCOLOR", set.ColorLabel);
        // The headings of the address columns follow the From end of the first wire record.
        if (m_from != AddressMode::None) {
            std::string from = AddressHeading(m_from, "From");
            std::string to = AddressHeading(m_from, "To");
            m_out.Text(m_out.ColumnName(0, kFromAdr), from);
            m_out.Text(m_out.ColumnName(1, kFromAdr), from);
            m_out.Text(m_out.ColumnName(0, kToAdr), to);
            m_out.Text(m_out.ColumnName(1, kToAdr), to);
        }
        bool mixed = IsMixedColour(set);
        std::string from = mixed ? "From\n端末種別\n特殊" : "From\n端末種別";
        std::string to = mixed ? "To\n端末種別\n線色" : "To\n端末種別";
        m_out.Text(m_out.ColumnName(0, kFromAmp), from);
        m_out.Text(m_out.ColumnName(1, kFromAmp), from);
        m_out.Text(m_out.ColumnName(0, kToAmp), to);
        m_out.Text(m_out.ColumnName(1, kToAmp), to);
    }

    void Row(int block, int row, const CastingWire& wire, const CastingSet& set) {
        m_out.Write(m_out.Row(block, kNo, row), wire.No);
        CellAddress length = m_out.Row(block, kTlen, row);
        if (set.SectionKind >= 1 && set.SectionKind <= 3) {
            m_out.Write(length, KindText(set.SectionKind));
            m_out.ShrinkWithoutWrap(length);
        } else {
            m_out.Write(length, wire.MeasLen);
        }
        if (m_from != AddressMode::None)
            m_out.Write(m_out.Row(block, kFromAdr, row),
                        AddressText(m_from, wire.PlaceAddrF, wire.DeviceNoF));
        m_out.Write(m_out.Row(block, kFromTan, row), wire.TermNoF);
        m_out.Write(m_out.Row(block, kSenban, row), wire.WireNo);
        if (m_to != AddressMode::None)
            m_out.Write(m_out.Row(block, kToAdr, row),
                        AddressText(m_to, wire.PlaceAddrT, wire.DeviceNoT));
        m_out.Write(m_out.Row(block, kToTan, row), wire.TermNoT);
        bool mixed = IsMixedColour(set);
        m_out.Write(m_out.Row(block, kFromAmp, row),
                    mixed ? wire.CrimpF + std::string(kLineFeed) + wire.SpecialCode : wire.CrimpF);
        m_out.Write(m_out.Row(block, kToAmp, row),
                    mixed ? wire.CrimpT + std::string(kLineFeed) + wire.LineColor : wire.CrimpT);
        m_out.Write(m_out.Row(block, kCap, row), wire.TermColor);
    }

    /// Rows 1 to 10 of all twenty columns, emptied.
    void ClearRows() {
        for (int block = 0; block < 2; ++block) {
            for (std::size_t c = 0; c < kColumns.size(); ++c) {
                for (int row = 1; row <= 10; ++row)
                    m_out.Write(m_out.Row(block, static_cast<Column>(c), row), {});
            }
        }
    }

    /// The finished page, kept as a copy after the last worksheet.
    void KeepPage() {
        if (!m_book.CopySheetAfter(m_sheet, m_book.Worksheets().back()))
            throw Failure{};
    }

private:
    static bool IsMixedColour(const CastingSet& set) { return set.ColorLabel == "-"; }

    Workbook& m_book;
    SheetId m_sheet;
    std::chrono::year_month_day m_today;
    TableWriter m_out;
    AddressMode m_from;
    AddressMode m_to;
};

}  // namespace

TableResult FillProcessTable(Workbook& book, const CastingData& data,
                             std::chrono::year_month_day today, const TableCallbacks& callbacks) {
    TableResult result;
    auto cancelled = [&] { return callbacks.cancelled && callbacks.cancelled(); };
    auto processEvents = [&] {
        if (callbacks.processEvents)
            callbacks.processEvents();
    };
    std::optional<SheetId> sheet = book.Worksheet(kTemplateSheet);
    if (!sheet || data.wires.empty()) {
        result.status = TableResult::Status::Failed;
        result.lastName = std::string(kTemplateSheet);
        return result;
    }

    // The wire records of each data set in table order (a colour subset's wire is held by its
    // parent set and by the subset, so it is printed with each).
    const std::size_t setCount = data.sets.size();
    std::vector<std::vector<std::size_t>> wiresOfSet(setCount);
    for (std::size_t i = 0; i < data.wires.size(); ++i) {
        int set = data.wires[i].SetIndex;
        if (set >= 0 && static_cast<std::size_t>(set) < setCount)
            wiresOfSet[static_cast<std::size_t>(set)].push_back(i);
    }

    try {
        TableFiller filler(book, *sheet, data, today, result.lastName);
        int page = 1;
        for (std::size_t s = 0; s < setCount && result.status == TableResult::Status::Done; ++s) {
            if (cancelled()) {
                result.status = TableResult::Status::Cancelled;
                break;
            }
            const CastingSet& set = data.sets[s];
            filler.Header(set, page++);
            int placed = 0;  // wires of this data set placed so far
            int first = 0;   // rows used in the first block
            int second = 0;  // rows used in the second block
            if (callbacks.progress && !wiresOfSet[s].empty())
                callbacks.progress("電線処理表データ作成中(" + std::to_string(s + 1) + "/" +
                                   std::to_string(setCount) + ")");
            for (std::size_t index : wiresOfSet[s]) {
                const CastingWire& wire = data.wires[index];
                if ((placed / 10) % 2 == 0) {
                    if (second > 0) {
                        // The page is full: keep it and start the next one on the template.
                        if (cancelled()) {
                            result.status = TableResult::Status::Cancelled;
                            break;
                        }
                        filler.KeepPage();
                        filler.ClearRows();
                        filler.Header(set, page++);
                        second = 0;
                        processEvents();
                    }
                    filler.Row(0, first + 1, wire, set);
                    ++first;
                } else {
                    filler.Row(1, second + 1, wire, set);
                    ++second;
                    first = 0;
                }
                ++placed;
                processEvents();
            }
            if (result.status != TableResult::Status::Done)
                break;
            if (first >= 1 || second >= 1) {
                filler.KeepPage();
                if (s + 1 < setCount)
                    filler.ClearRows();
            }
        }
    } catch (const Failure&) {
        result.status = TableResult::Status::Failed;
        return result;
    }
    if (result.status == TableResult::Status::Done) {
        // What remains is one worksheet per page, in page order.
        if (!book.DeleteSheet(*sheet)) {
            result.status = TableResult::Status::Failed;
            return result;
        }
        result.pages = book.WorksheetCount();
    }
    return result;
}

std::chrono::year_month_day LocalToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                       std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                       std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

}  // namespace kablos::printing
