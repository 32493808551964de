#include "drawings/SokucyouTenkaizu.h"

#include <cstdio>

#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/settings.h"

namespace routix {

namespace {

// The settings store of the dialog's section for one use.
struct Settings {
    zelko::SettingsStore* store = zelko::SettingsInit();
    bool open = zelko::SettingsOpenSection(store, CSokucyouTenkaizu::kSection);
    ~Settings() { zelko::SettingsFree(store); }
};

std::string ColumnKey(int column) {
    return "Col" + std::to_string(column) + "Width";
}

}  // namespace

CSokucyouTenkaizu::CSokucyouTenkaizu(std::vector<CBans>& bans)
    : Dialog(kTemplateId, ""), m_bans(bans) {}

bool CSokucyouTenkaizu::OnInitDialog() {
    if (!LoadDialogTemplate(*this) || !m_grid.Create(*this, kIdGrid))
        return false;
    m_grid.SetMaxCols(3);
    m_grid.SetMaxRows(static_cast<int>(m_bans.size()));
    m_grid.TSpread::SetData(1, 0, " ");
    m_grid.TSpread::SetData(2, 0, LoadResourceString(IDS_COLUMN_PANEL));
    m_grid.TSpread::SetData(3, 0, LoadResourceString(IDS_COLUMN_EXPLORED_FILE));
    for (std::size_t i = 0; i < m_bans.size(); ++i) {
        CBans& row = m_bans[i];
        const int r = static_cast<int>(i) + 1;
        m_grid.TSpread::SetTypeCheckBox(1, r);
        m_grid.TSpread::SetValue(1, r, "1");
        std::string panels;
        for (const CFullPathDwgNames& panel : row.m_bans)
            panels += (panels.empty() ? "" : ",") + panel.m_strBanNo;
        m_grid.TSpread::SetData(2, r, panels);
        row.m_strName = "LAYOUT_" + row.m_strName;
        m_grid.TSpread::SetData(3, r, row.m_strName);
    }
    m_grid.SetLockRange(2, -1, 3, -1, true);

    m_grid.ScaleColumnWidths(kDefaultWidths);
    Settings settings;
    int explode = 0;
    if (settings.open) {
        for (int column = 1; column <= 3; ++column) {
            std::string text;
            if (zelko::SettingsReadText(settings.store, ColumnKey(column), text)) {
                char* end = nullptr;
                const double width = std::strtod(text.c_str(), &end);
                if (end != text.c_str() && width > 0 && width < 1e6)
                    m_grid.SetColWidth(column, width);
            }
        }
        zelko::SettingsReadInt(settings.store, "EXPLODE", explode);
    }
    if (ui::Control* check = GetDlgItem(kIdNotBlockage))
        check->checked = explode == 1;
    return true;
}

void CSokucyouTenkaizu::OnCommand(int id) {
    if (id == kIdNotBlockage)
        m_bExplodeUsed = true;
}

void CSokucyouTenkaizu::OnOK() {
    for (std::size_t i = 0; i < m_bans.size(); ++i)
        m_bans[i].m_nSelect = m_grid.TSpread::GetValue(1, static_cast<int>(i) + 1) == "1" ? 1 : 0;
    const ui::Control* check = GetDlgItem(kIdNotBlockage);
    m_bExplode = check != nullptr && check->checked;
    Settings settings;
    if (settings.open) {
        for (int column = 1; column <= 3; ++column) {
            char text[64];
            std::snprintf(text, sizeof text, "%.5f", m_grid.GetColWidth(column));
            zelko::SettingsWriteText(settings.store, ColumnKey(column), text);
        }
        if (m_bExplodeUsed)
            zelko::SettingsWriteInt(settings.store, "EXPLODE", m_bExplode ? 1 : 0);
    }
    EndDialog(ui::kIdOk);
}

}  // namespace routix
