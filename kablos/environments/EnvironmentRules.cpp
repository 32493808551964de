#include "EnvironmentRules.h"

#include "Texts.h"
#include "common/numbers.h"
#include "common/text.h"

namespace kablos {

bool SaveAndReload(SettingsFile& settings, Messenger& messenger) {
    if (settings.WriteIniFile()) {
        messenger.Warn(texts::IniWriteError(settings.userFolder()));
        return false;
    }
    if (settings.ReadIniFile(true)) {
        messenger.Warn(texts::IniReadError(settings.userFolder()));
        return false;
    }
    return true;
}

EditTable CutterGrid(const IniData& ini) {
    EditTable grid(kCutterColumns);
    auto trimmed = [](const std::string& text) { return std::string(common::Trim(text)); };
    for (const CutterRow& row : ini.CutterEnv) {
        grid.appendRow({trimmed(row.WireKind), trimmed(row.WireSize), trimmed(row.RollerSpeed),
                        trimmed(row.CutterSpeed), trimmed(row.WireDia), trimmed(row.YBack)});
    }
    return grid;
}

void StoreCutterGrid(const EditTable& grid, IniData& ini) {
    ini.CutterEnv.clear();
    for (int r = 1; r <= grid.rows(); ++r) {
        const std::vector<std::string>& c = grid.row(r);
        ini.CutterEnv.push_back(CutterRow{c[0], c[1], c[2], c[3], c[4], c[5]});
    }
}

std::string MetresText(std::int32_t millimetres) {
    return common::FormatSingle(static_cast<float>(millimetres / 1000.0));
}

std::optional<std::int32_t> MillimetresFromMetres(std::string_view metres) {
    std::optional<double> value = common::ParseNumber(metres);
    if (!value)
        return std::nullopt;
    return common::RoundToInt32(*value * 1000);
}

std::string ClearCutLengthQuestion(std::int32_t cutMillimetres) {
    return "電線を加工した長さ(" + MetresText(cutMillimetres) + "m)をクリアしますか？";
}

RemainingWireOk StoreRemainingWire(std::string_view metres, SettingsFile& settings,
                                   Messenger& messenger, std::string_view caption) {
    std::optional<std::int32_t> length = MillimetresFromMetres(metres);
    if (!length) {
        messenger.MsgBox(kNotANumber, MsgButtons::Ok, MsgIcon::Warning, caption);
        return RemainingWireOk::Refused;
    }
    IniData& ini = settings.data();
    ini.ZanWLen = *length;
    if (ini.ZanWLenFlg == 1 &&
        messenger.MsgBox(ClearCutLengthQuestion(ini.CutWLen), MsgButtons::YesNo,
                         MsgIcon::Question) == MsgAnswer::Yes) {
        ini.CutWLen = 0;
    }
    return SaveAndReload(settings, messenger) ? RemainingWireOk::Saved : RemainingWireOk::Failed;
}

EditorLayout ResizeLayout(int width, int height, int heightMargin) {
    EditorLayout layout;
    if (height - heightMargin > 2000)
        layout.gridHeight = height - heightMargin;
    if (width - 1600 > 2000) {
        layout.gridWidth = width - 1600;
        layout.buttonsLeft = width - 1500;
        layout.countLeft = width - 1000;
    }
    return layout;
}

}  // namespace kablos
