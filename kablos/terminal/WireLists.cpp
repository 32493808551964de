#include "WireLists.h"

#include <algorithm>

namespace kablos {

std::vector<std::string> PanelList(const CastingData& data) {
    std::vector<std::string> panels;
    for (const CastingSet& set : data.sets) {
        if (std::find(panels.begin(), panels.end(), set.PanelNo) == panels.end())
            panels.push_back(set.PanelNo);
    }
    return panels;
}

DataSetRows BuildDataSetGrid(const CastingData& data, int wtkFlag) {
    DataSetRows result;
    result.grid.header = {"No",       "製造番号", "図番",       "盤Ｎｏ", "装置ユニット",
                          "回路区分", "電線種別", "電線サイズ", "電線色", "本数"};
    result.grid.widths = {480, 2500, 2000, 1500, 1200, 1500, 1200, 1200, 1500, 1000};
    int number = 0;
    for (std::size_t i = 0; i < data.sets.size(); ++i) {
        const CastingSet& set = data.sets[i];
        const bool shown = wtkFlag == 1 || (set.SectionKind == 0 && set.SpecialFlg == 0);
        if (!shown || set.WireCount <= 0)
            continue;
        ++number;
        std::string no = std::to_string(number) + (set.SectionKind != 0 ? "*" : "");
        result.grid.rows.push_back({no, set.MfgNo, set.DrawingNo, set.PanelNo, set.DeviceUnit,
                                    set.CircuitClass, set.WireKind, set.WireSize, set.ColorLabel,
                                    std::to_string(set.WireCount)});
        result.grid.green.push_back(set.DoneFlg == 1);
        result.setIndex.push_back(static_cast<int>(i));
    }
    return result;
}

std::optional<int> FindSet(const CastingData& data, const std::vector<std::string>& row) {
    if (row.size() < 10)
        return std::nullopt;
    const bool special = !row[0].empty() && row[0].back() == '*';
    for (std::size_t i = 0; i < data.sets.size(); ++i) {
        const CastingSet& set = data.sets[i];
        if (set.ColorLabel == row[8] && set.DeviceUnit == row[4] && set.MfgNo == row[1] &&
            set.WireSize == row[7] && set.PanelNo == row[3] && set.WireKind == row[6] &&
            set.CircuitClass == row[5] && set.DrawingNo == row[2] &&
            (set.SectionKind != 0) == special) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::string SetCaption(const CastingSet& set, const RunMode& mode) {
    if (mode.LogMode && mode.DebugMode != 1)
        return WindowCaption(mode);
    std::string text;
    for (const std::string* value :
         {&set.MfgNo, &set.DrawingNo, &set.PanelNo, &set.DeviceUnit, &set.CircuitClass,
          &set.WireKind, &set.WireSize, &set.ColorLabel}) {
        if (value->empty() && text.empty())
            continue;  // leading empty values are skipped
        if (!text.empty())
            text += ' ';
        text += *value;
    }
    return WindowCaption(RunMode{mode.DebugMode == 1 ? 1 : 0, false}) + "(" + text + ")";
}

namespace {

std::string EndText(const std::string& address, const std::string& device,
                    const std::string& terminal) {
    if (!address.empty())
        return address + "-" + terminal;
    if (!device.empty())
        return device + "-" + terminal;
    return {};
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

TextGrid BuildWireGrid(const CastingData& data, int setIndex, const std::string& selectedColor,
                       std::vector<int>* wireIndex) {
    TextGrid grid;
    grid.header = {"No",           "長さ",      "電線番号", "Fromアドレス-端子", "Toアドレス-端子",
                   "From端末種別", "To端末種別"};
    grid.widths = {600, 1200, 2000, 2500, 2500, 1500, 1500};
    const bool specialAndColour = !data.sets.empty() && data.sets.front().ColorLabel.empty();
    const bool twisted = !specialAndColour && EndsWith(selectedColor, "(TW)");
    if (specialAndColour) {
        grid.header.insert(grid.header.begin() + 7, {"特殊", "線色"});
        grid.widths.insert(grid.widths.begin() + 7, {1000, 1000});
    } else if (twisted) {
        grid.header.push_back("特殊");
        grid.widths.push_back(1000);
    }
    if (wireIndex != nullptr)
        wireIndex->clear();
    int number = 0;
    for (std::size_t i = 0; i < data.wires.size(); ++i) {
        const CastingWire& wire = data.wires[i];
        if (wire.SetIndex != setIndex)
            continue;
        std::vector<std::string> row = {std::to_string(++number),
                                        wire.MeasLen,
                                        wire.WireNo,
                                        EndText(wire.PlaceAddrF, wire.DeviceNoF, wire.TermNoF),
                                        EndText(wire.PlaceAddrT, wire.DeviceNoT, wire.TermNoT),
                                        wire.CrimpF,
                                        wire.CrimpT};
        if (specialAndColour) {
            row.push_back(wire.SpecialCode);
            row.push_back(wire.LineColor);
        } else if (twisted) {
            row.push_back(wire.SpecialCode);
        }
        grid.rows.push_back(std::move(row));
        grid.green.push_back(wire.DoneFlg == 1);
        if (wireIndex != nullptr)
            wireIndex->push_back(static_cast<int>(i));
    }
    return grid;
}

std::optional<int> FirstNotDone(const std::vector<bool>& done) {
    for (std::size_t i = 0; i < done.size(); ++i) {
        if (!done[i])
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::optional<OpenedSet> OpenSet(const CastingData& data, const std::vector<std::string>& row) {
    std::optional<int> set = FindSet(data, row);
    if (!set || row.size() < 9)
        return std::nullopt;
    OpenedSet opened;
    opened.set = *set;
    opened.grid = BuildWireGrid(data, *set, row[8], &opened.wireIndex);
    opened.procEndFlg.reserve(opened.grid.green.size());
    for (bool done : opened.grid.green)
        opened.procEndFlg.push_back(done ? 1 : 0);
    opened.cursor = FirstNotDone(opened.grid.green);
    opened.wireKind = row[6];
    opened.wireSize = row[7];
    return opened;
}

}  // namespace kablos
