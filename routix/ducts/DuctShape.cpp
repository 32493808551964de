#include "ducts/DuctShape.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dbaccess/DbAccess.h"
#include "drawings/Sokucyou.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/ductdrawing.h"
#include "services/settings.h"
#include "services/wiringplan.h"

namespace routix {

namespace {

constexpr const char* kSection = "DUCT_SHAPE";
constexpr const char* kLastIndex = "LAST_IDX";
constexpr const char* kAdjustType = "ADJUST_TYPE";
constexpr short kDuctSnaps = 0x223;  // endpoint, midpoint, intersection, nearest

/// The settings store, released at the end.
class CSettings {
public:
    CSettings() : m_store(zelko::SettingsInit()) {}
    ~CSettings() { zelko::SettingsFree(m_store); }
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;
    bool Open() { return zelko::SettingsOpenSection(m_store, kSection); }
    zelko::SettingsStore* get() const { return m_store; }

private:
    zelko::SettingsStore* m_store;
};

/// The plan's duct table, in table order; empty without a plan.
std::vector<DuctDef> ReadDuctTable() {
    std::vector<DuctDef> ducts;
    zelko::WpData* data = zelko::WpDataInit();
    if (zelko::WpDataOpen(data, "")) {
        const zelko::WpDucts* table = zelko::WpDuctTable(data);
        const int count = zelko::WpDuctCount(table);
        for (int i = 0; i < count; ++i) {
            std::string name;
            int width = 0;
            int type = 0;
            if (zelko::WpDuctAt(table, i, name, width, type))
                ducts.push_back({name, std::to_string(width), type});
        }
    }
    zelko::WpDataFree(data);
    return ducts;
}

zelko::DuctPrompts Prompts(const CSokucyou& context) {
    zelko::DuctPrompts prompts;
    context.LoadMsg(IDS_DUCT_JUSTIFICATION, prompts.justification);
    context.LoadMsg(IDS_DUCT_BASE_POINT, prompts.basePoint);
    context.LoadMsg(IDS_DUCT_LENGTH, prompts.length);
    context.LoadMsg(IDS_DUCT_DIRECTION, prompts.direction);
    context.LoadMsg(IDS_DUCT_INVALID_VALUE, prompts.invalid);
    return prompts;
}

}  // namespace

double DuctWidthValue(const std::string& width) {
    if (width.empty())
        return 0;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(width.c_str(), &end);
    if (end == width.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        return 0;
    return value;
}

std::string DuctListText(const DuctDef& duct) {
    char width[64];
    std::snprintf(width, sizeof width, "%.0f", DuctWidthValue(duct.m_strWidth));
    return duct.m_strName.empty() ? std::string(width) : duct.m_strName + " (" + width + ")";
}

CDuctShapeMainDlg::CDuctShapeMainDlg(std::vector<DuctDef> ducts, int index)
    : ui::Dialog(kTemplateId, ""), m_ducts(std::move(ducts)), m_nIndex(index) {}

bool CDuctShapeMainDlg::OnInitDialog() {
    if (!LoadDialogTemplate(*this))
        return false;
    ui::Control* list = GetDlgItem(kDuctList);
    ui::Control* draw = GetDlgItem(ui::kIdOk);
    if (list == nullptr || draw == nullptr)
        return false;
    list->items.clear();
    for (const DuctDef& duct : m_ducts)
        list->items.push_back(DuctListText(duct));
    const int count = static_cast<int>(list->items.size());
    list->selection = count == 0 ? -1 : (m_nIndex >= 0 && m_nIndex < count ? m_nIndex : 0);
    draw->enabled = count > 0;
    return true;
}

void CDuctShapeMainDlg::OnOK() {
    const ui::Control* list = GetDlgItem(kDuctList);
    if (list == nullptr || list->selection < 0 ||
        list->selection >= static_cast<int>(m_ducts.size()))
        return;  // nothing to draw
    m_nChosen = list->selection;
    EndDialog(ui::kIdOk);
}

void DuctShape() {
    CSokucyou context;
    CSettings settings;
    if (!settings.Open())
        return;
    int adjustType = 0;
    int lastIndex = 0;
    zelko::SettingsReadInt(settings.get(), kAdjustType, adjustType);
    zelko::SettingsReadInt(settings.get(), kLastIndex, lastIndex);
    const std::vector<DuctDef> ducts = ReadDuctTable();

    // Object snaps for drawing ducts, the user's own back at the end.
    CAutoVar osmode;
    resbuf current{};
    if (acedGetVar("OSMODE", &current) == RTNORM && current.restype == RTSHORT)
        osmode.Set("OSMODE", static_cast<short>(current.resval.rint | kDuctSnaps));

    const zelko::DuctPrompts prompts = Prompts(context);
    for (;;) {
        CDuctShapeMainDlg dialog(ducts, lastIndex);
        if (dialog.DoModal() != ui::kIdOk || dialog.ChosenIndex() < 0)
            break;
        const DuctDef& duct = ducts[static_cast<std::size_t>(dialog.ChosenIndex())];
        if (!settings.Open() ||
            !zelko::SettingsWriteInt(settings.get(), kLastIndex, dialog.ChosenIndex()))
            break;
        lastIndex = dialog.ChosenIndex();
        const int before = adjustType;
        const double width = DuctWidthValue(duct.m_strWidth);
        zelko::DrawDuct(width >= 1 && width <= 1e9 ? static_cast<int>(width) : 0, duct.m_nType,
                        prompts, adjustType);
        if (adjustType != before)
            zelko::SettingsWriteInt(settings.get(), kAdjustType, adjustType);
    }
}

}  // namespace routix
