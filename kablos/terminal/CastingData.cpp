#include "CastingData.h"

#include <algorithm>
#include <array>

#include "common/codepage.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

enum class State { None, Set, Wire };

// The wire fields a column can fill.
enum class WireColumn {
    Ignored,
    No,
    PlaceAddrF,
    DeviceNoF,
    TermNoF,
    CrimpF,
    WireNo,
    PlaceAddrT,
    DeviceNoT,
    TermNoT,
    CrimpT,
    TermColor,
    SpecialCode,
    LineColor,
    MeasLen
};

WireColumn WireColumnNamed(std::string_view name) {
    static const std::array<std::pair<std::string_view, WireColumn>, 14> kNames = {{
        {"No", WireColumn::No},
        {"配置アドレス(F)", WireColumn::PlaceAddrF},
        {"器具番号(F)", WireColumn::DeviceNoF},
        {"端子No(F)", WireColumn::TermNoF},
        {"圧着(F)", WireColumn::CrimpF},
        {"線番", WireColumn::WireNo},
        {"配置アドレス(T)", WireColumn::PlaceAddrT},
        {"器具番号(T)", WireColumn::DeviceNoT},
        {"端子No(T)", WireColumn::TermNoT},
        {"圧着(T)", WireColumn::CrimpT},
        {"端末色", WireColumn::TermColor},
        {"特殊", WireColumn::SpecialCode},
        {"線色", WireColumn::LineColor},
        {"測長(mm)", WireColumn::MeasLen},
    }};
    for (const auto& [known, column] : kNames) {
        if (known == name)
            return column;
    }
    return WireColumn::Ignored;
}

// The value of a delimited cell: without its first and last character.
bool Undelimit(std::string_view cell, std::string& value) {
    if (cell.size() < 2)
        return false;
    value.assign(cell.substr(1, cell.size() - 2));
    return true;
}

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(std::string_view text, int count) {
    std::size_t end = 0;
    while (end < text.size() && count > 0) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        --count;
    }
    return std::string(text.substr(0, end));
}

bool SameSetFields(const CastingSet& a, const CastingSet& b) {
    return a.MfgNo == b.MfgNo && a.DrawingNo == b.DrawingNo && a.PanelNo == b.PanelNo &&
           a.CircuitClass == b.CircuitClass && a.WireKind == b.WireKind &&
           a.WireSize == b.WireSize && a.DeviceUnit == b.DeviceUnit;
}

class Reader {
public:
    explicit Reader(CastingData& data) : m_data(data) {
        m_data.sets.clear();
        m_data.wires.clear();
    }

    CastingReadResult Read(std::string_view text) {
        // About one wire record per line: reserving spares the moves of a growing table.
        m_data.wires.reserve(text.size() / 96 + 16);
        int lineNo = 0;
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        while (start < text.size()) {
            // Lines end with CR LF, or LF alone.
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            start = end + 1;
            ++lineNo;
            SplitTabs(line, fields);
            if (fields.size() < 3) {
                if (fields.size() == 1)
                    Marker(fields[0]);
                continue;
            }
            std::string first;
            if (Undelimit(fields[0], first) && first == "製造番号") {
                SetHeader(fields);
            } else if (fields[0] == "No") {
                WireHeader(fields);
            } else if (m_state == State::Set) {
                if (!SetLine(fields))
                    return Fail(lineNo, "a set cell is shorter than its delimiters");
            } else if (m_state == State::Wire) {
                if (std::string why = WireLine(fields); !why.empty())
                    return Fail(lineNo, why);
            }
        }
        return {};
    }

private:
    static void SplitTabs(std::string_view line, std::vector<std::string_view>& fields) {
        fields.clear();
        std::size_t start = 0;
        while (true) {
            std::size_t tab = line.find('\t', start);
            if (tab == std::string_view::npos) {
                fields.push_back(line.substr(start));
                return;
            }
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
    }

    static CastingReadResult Fail(int line, std::string reason) {
        return {false, line, std::move(reason)};
    }

    void Marker(std::string_view field) {
        if (field.find("ジャンパ線") != std::string_view::npos) {
            m_section = 1;
        } else if (field.find("シールドアミ線") != std::string_view::npos) {
            m_section = 2;
        } else if (field.find("ショートバー") != std::string_view::npos) {
            m_section = 3;
        }
    }

    void SetHeader(const std::vector<std::string_view>& fields) {
        m_setColumns.clear();
        for (std::string_view field : fields) {
            std::string name;
            Undelimit(field, name);
            m_setColumns.push_back(std::move(name));
        }
        m_state = State::Set;
    }

    void WireHeader(const std::vector<std::string_view>& fields) {
        std::vector<WireColumn>& columns = m_section == 0 ? m_normalColumns : m_specialColumns;
        columns.clear();
        for (std::string_view field : fields)
            columns.push_back(WireColumnNamed(field));
        m_state = State::Wire;
        if (m_current >= 0)
            m_data.sets[static_cast<std::size_t>(m_current)].SectionKind = m_section;
    }

    bool SetLine(const std::vector<std::string_view>& fields) {
        if (fields.size() < 7)
            return true;
        CastingSet set;
        const std::size_t look = fields.size() == 7 ? 7 : 8;
        for (std::size_t i = 0; i < look && i < m_setColumns.size(); ++i) {
            const std::string& name = m_setColumns[i];
            std::string* target = name == "製造番号"       ? &set.MfgNo
                                  : name == "図番"         ? &set.DrawingNo
                                  : name == "盤Ｎｏ"       ? &set.PanelNo
                                  : name == "回路区分"     ? &set.CircuitClass
                                  : name == "線種類"       ? &set.WireKind
                                  : name == "電線サイズ"   ? &set.WireSize
                                  : name == "電線色"       ? &set.ColorLabel
                                  : name == "装置ユニット" ? &set.DeviceUnit
                                                           : nullptr;
            if (target == nullptr)
                continue;
            if (!Undelimit(fields[i], *target))
                return false;
            if (target == &set.ColorLabel)
                set.SpecialFlg = 0;
        }
        // A set without wires gives its place to the next one.
        if (!m_data.sets.empty() && m_data.sets.back().WireCount == 0) {
            m_data.sets.back() = std::move(set);
        } else {
            m_data.sets.push_back(std::move(set));
        }
        m_current = static_cast<int>(m_data.sets.size()) - 1;
        return true;
    }

    std::string WireLine(const std::vector<std::string_view>& fields) {
        const std::vector<WireColumn>& columns =
            m_section == 0 ? m_normalColumns : m_specialColumns;
        if (fields.size() > columns.size()) {
            return "a wire line has " + std::to_string(fields.size()) + " fields, its header " +
                   std::to_string(columns.size());
        }
        if (m_current < 0)
            return "a wire line comes before any data set";
        // Filled in place; a line that fails takes its record back.
        CastingWire& wire = m_data.wires.emplace_back();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string* target = nullptr;
            switch (columns[i]) {
                case WireColumn::Ignored:
                    continue;
                case WireColumn::No:
                    target = &wire.No;
                    break;
                case WireColumn::PlaceAddrF:
                    target = &wire.PlaceAddrF;
                    break;
                case WireColumn::DeviceNoF:
                    target = &wire.DeviceNoF;
                    break;
                case WireColumn::TermNoF:
                    target = &wire.TermNoF;
                    break;
                case WireColumn::CrimpF:
                    target = &wire.CrimpF;
                    break;
                case WireColumn::WireNo:
                    target = &wire.WireNo;
                    break;
                case WireColumn::PlaceAddrT:
                    target = &wire.PlaceAddrT;
                    break;
                case WireColumn::DeviceNoT:
                    target = &wire.DeviceNoT;
                    break;
                case WireColumn::TermNoT:
                    target = &wire.TermNoT;
                    break;
                case WireColumn::CrimpT:
                    target = &wire.CrimpT;
                    break;
                case WireColumn::TermColor:
                    target = &wire.TermColor;
                    break;
                case WireColumn::SpecialCode:
                    target = &wire.SpecialCode;
                    break;
                case WireColumn::LineColor:
                    target = &wire.LineColor;
                    break;
                case WireColumn::MeasLen:
                    target = &wire.MeasLen;
                    break;
            }
            if (!Undelimit(fields[i], *target)) {
                m_data.wires.pop_back();
                return "a wire cell is shorter than its delimiters";
            }
            if ((columns[i] == WireColumn::CrimpF || columns[i] == WireColumn::CrimpT) &&
                target->empty()) {
                *target = "NULL";
            }
            if (columns[i] == WireColumn::MeasLen && !IsPlainNumber(*target)) {
                *target = common::FormatDouble(common::LeadingNumber(*target));
            }
        }
        Assign();
        return {};
    }

    // Files write lengths such as "1234.5" already in the form their numeric value takes.
    static bool IsPlainNumber(std::string_view text) {
        std::size_t point = text.find('.');
        std::string_view whole = text.substr(0, point);
        if (whole.empty() || whole.size() > 15 || (whole.size() > 1 && whole[0] == '0'))
            return false;
        if (!std::all_of(whole.begin(), whole.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (point == std::string_view::npos)
            return true;
        std::string_view fraction = text.substr(point + 1);
        return !fraction.empty() && fraction.size() <= 6 && fraction.back() != '0' &&
               std::all_of(fraction.begin(), fraction.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    }

    // Assigns the wire just read to its set, and a coloured wire also to its colour's set.
    void Assign() {
        std::vector<CastingSet>& sets = m_data.sets;
        CastingSet& current = sets[static_cast<std::size_t>(m_current)];
        CastingWire& wire = m_data.wires.back();
        wire.SetIndex = m_current;
        if (wire.LineColor.empty()) {
            ++current.WireCount;
            return;
        }
        // A coloured wire stays with its set and is also listed in the set of its colour.
        const std::string code = FirstCharacters(wire.SpecialCode, 2);
        const std::string key = "(" + code + ")";
        CastingWire copy = wire;
        for (std::size_t i = 0; i < sets.size(); ++i) {
            if (sets[i].ColorLabel == key &&
                SameSetFields(sets[i], sets[static_cast<std::size_t>(m_current)])) {
                copy.SetIndex = static_cast<int>(i);
                ++sets[i].WireCount;
                m_data.wires.push_back(std::move(copy));
                return;
            }
        }
        if (!current.ColorLabel.empty()) {
            CastingSet subset;
            subset.MfgNo = current.MfgNo;
            subset.DrawingNo = current.DrawingNo;
            subset.PanelNo = current.PanelNo;
            subset.CircuitClass = current.CircuitClass;
            subset.WireKind = current.WireKind;
            subset.WireSize = current.WireSize;
            subset.DeviceUnit = current.DeviceUnit;
            subset.ColorLabel = key;
            subset.ColorCode = code;
            subset.WireCount = 1;
            subset.SpecialFlg = code == "TW" ? 0 : 1;
            copy.SetIndex = static_cast<int>(sets.size());
            sets.push_back(std::move(subset));  // `current` is not used past this point
        } else {
            current.ColorLabel = key;
            current.ColorCode = code;
            current.SpecialFlg = code == "TW" ? 0 : 1;
            ++current.WireCount;
            copy.SetIndex = m_current;
        }
        m_data.wires.push_back(std::move(copy));
    }

    CastingData& m_data;
    State m_state = State::None;
    int m_section = 0;
    int m_current = -1;
    std::vector<std::string> m_setColumns;
    std::vector<WireColumn> m_normalColumns;
    std::vector<WireColumn> m_specialColumns;
};

}  // namespace

CastingReadResult ParseCastingText(std::string_view text, CastingData& data) {
    return Reader(data).Read(text);
}

bool ReadCastingData(const std::filesystem::path& path, CastingData& data, Messenger& messenger,
                     std::string* why) {
    std::string bytes;
    std::string reason;
    CastingReadResult result;
    if (auto error = common::ReadWholeFile(path, bytes)) {
        data = {};
        reason = common::Describe(error);
        result.ok = false;
    } else {
        // Bytes that are not valid in the code page are kept visible as U+FFFD rather than
        // refusing a whole wire list for one odd character.
        result = ParseCastingText(common::FromCodePageLossy(bytes), data);
        if (!result.ok)
            reason = "line " + std::to_string(result.line) + ": " + result.reason;
    }
    if (result.ok)
        return true;
    if (why != nullptr)
        *why = path.string() + ", " + reason;
    messenger.Warn("キャスティングデータがの読み込みに失敗しました。(" + path.string() + ")");
    return false;
}

}  // namespace kablos
