#pragma once

// The rules the cutter editor, the remaining-wire dialog and the strip editor share, without
// widgets: storing the settings file from a dialog's OK, the cutter table in its grid, the
// remaining wire length, and the resize rule of the two table editors.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "EditTable.h"
#include "Messenger.h"
#include "SettingsFile.h"

namespace kablos {

/// OK of an environment dialog: writes the settings file and reads it back, so that memory
/// holds what the file keeps. On failure shows "INIファイル書き込みエラー(...)" or
/// "INIファイル読み込みエラー(...)" and returns false: the program must end. A failed write
/// leaves the previous file whole.
[[nodiscard]] bool SaveAndReload(SettingsFile& settings, Messenger& messenger);

inline constexpr int kCutterColumns = 6;

/// The cutter grid of `ini`: one row per cutter row, every field trimmed.
EditTable CutterGrid(const IniData& ini);
/// OK of the cutter editor: the cutter table becomes the grid's rows, blank ones included.
void StoreCutterGrid(const EditTable& grid, IniData& ini);

inline constexpr std::string_view kNotANumber = "数字を指定してください。";

/// Millimetres as metres in their shortest single-precision form ("12.5" for 12500).
std::string MetresText(std::int32_t millimetres);
/// A remaining length typed in metres, in millimetres rounded half to even; nothing when the
/// text is not numeric or the length does not fit.
std::optional<std::int32_t> MillimetresFromMetres(std::string_view metres);
/// "電線を加工した長さ(" + metres + "m)をクリアしますか？"
std::string ClearCutLengthQuestion(std::int32_t cutMillimetres);

/// OK of the remaining-wire dialog, up to and including the save. `caption` titles the
/// not-a-number warning.
enum class RemainingWireOk {
    Refused,  ///< not a number: warned, nothing changed, the dialog stays
    Saved,    ///< stored and saved; the dialog closes
    Failed,   ///< the settings file could not be saved or read back: the program must end
};
RemainingWireOk StoreRemainingWire(std::string_view metres, SettingsFile& settings,
                                   Messenger& messenger, std::string_view caption);

/// Where a table editor's parts go when its window takes a new size, all in twips. Values are
/// set only where the rule moves something; the rest stays where it is.
struct EditorLayout {
    std::optional<int> gridHeight;
    std::optional<int> gridWidth;
    std::optional<int> buttonsLeft;  ///< left edge of the buttons (and of the unit count label)
    std::optional<int> countLeft;    ///< left edge of the unit count box
};
/// The grid is `heightMargin` lower than the window once that leaves more than 2000, and 1600
/// narrower once that leaves more than 2000; then the buttons stand at width − 1500 and the
/// unit count box at width − 1000.
EditorLayout ResizeLayout(int width, int height, int heightMargin);

}  // namespace kablos
