#pragma once

// What the data-set grid and the wire grid show of the casting data, without widgets.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CastingData.h"
#include "RunMode.h"

namespace kablos {

/// A table of texts with a header, as a grid shows it.
struct TextGrid {
    std::vector<std::string> header;
    std::vector<int> widths;  ///< column widths in twips
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> green;  ///< per row: done
};

/// One row of the data-set grid and the set it stands for.
struct DataSetRows {
    TextGrid grid;
    std::vector<int> setIndex;
};

/// The distinct panel numbers of the sets, in first-seen order (the list BanList).
std::vector<std::string> PanelList(const CastingData& data);

/// The data-set grid: "No", "製造番号", "図番", "盤Ｎｏ", "装置ユニット", "回路区分",
/// "電線種別", "電線サイズ", "電線色", "本数". A set is shown when it has wires and either
/// `wtkFlag` is 1 or it is a normal set (section 0) that is not special; the row number carries
/// "*" for the special sections. Done sets are green.
DataSetRows BuildDataSetGrid(const CastingData& data, int wtkFlag);

/// The set a data-set grid row stands for: the first set with the row's colour, unit, number,
/// size, panel, kind, circuit and drawing, in the section kind the row number shows.
std::optional<int> FindSet(const CastingData& data, const std::vector<std::string>& row);

/// The caption of the main window with a data set open.
std::string SetCaption(const CastingSet& set, const RunMode& mode);

/// The wire grid of a set: "No", "長さ", "電線番号", "Fromアドレス-端子", "Toアドレス-端子",
/// "From端末種別", "To端末種別", plus "特殊" and "線色" when the first set's colour is empty,
/// or the special code when the selected row's colour ends with "(TW)". Done wires are green.
/// `wireIndex` receives the wire record of each row.
TextGrid BuildWireGrid(const CastingData& data, int setIndex, const std::string& selectedColor,
                       std::vector<int>* wireIndex = nullptr);

/// The first row that is not done, or nothing when all are (the cursor then stays on the
/// header).
std::optional<int> FirstNotDone(const std::vector<bool>& done);

/// A data set opened in the wire grid.
struct OpenedSet {
    int set = -1;                          ///< the set's index in the casting data
    TextGrid grid;                         ///< the wire grid
    std::vector<int> wireIndex;            ///< wire record of each row
    std::vector<std::int16_t> procEndFlg;  ///< per row: 1 when the wire is done
    std::optional<int> cursor;             ///< first row not done
    std::string wireKind;                  ///< the set row's "電線種別"
    std::string wireSize;                  ///< the set row's "電線サイズ"
};
/// Opens the set of a data-set grid row (its cell texts): nothing when no set matches.
std::optional<OpenedSet> OpenSet(const CastingData& data, const std::vector<std::string>& row);

}  // namespace kablos
