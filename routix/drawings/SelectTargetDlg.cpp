#include "drawings/SelectTargetDlg.h"

#include <map>
#include <memory>

#include "frame/EntryPoints.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/project.h"
#include "services/settings.h"

namespace routix {

namespace {

// The settings store for one use, released at the end.
struct Settings {
    zelko::SettingsStore* store = zelko::SettingsInit();
    ~Settings() { zelko::SettingsFree(store); }
};

// Not yet evaluated (absent), false or true, by project folder.
std::map<std::string, bool> g_targetSelectable;

}  // namespace

CSelectTargetDlg::CSelectTargetDlg(bool is3D, int option)
    : Dialog(kTemplateId, ""), m_nOption(option), m_b3D(is3D) {}

const char* CSelectTargetDlg::Section(bool is3D) {
    return is3D ? "ZelkoWp2SelectTarget3D" : "ZelkoWp2SelectTarget2D";
}

bool CSelectTargetDlg::OnInitDialog() {
    if (!LoadDialogTemplate(*this))
        return false;
    {
        Settings settings;
        if (zelko::SettingsOpenSection(settings.store, Section(m_b3D)))
            zelko::SettingsReadInt(settings.store, "TargetOption", m_nOption);
    }
    ui::Control* list = GetDlgItem(kIdList);
    if (list == nullptr)
        return false;
    list->items.clear();
    list->itemData.clear();
    auto add = [&](unsigned text, int option) {
        list->items.push_back(LoadResourceString(text));
        list->SetItemData(static_cast<int>(list->items.size()) - 1, option);
    };
    add(IDS_TARGET_ALL, kAllTerminals);
    if (m_b3D && CanSelectPlate())
        add(IDS_TARGET_PLATE, kPlateTerminals);
    add(IDS_TARGET_AREA, kAreaTerminals);
    list->selection = 0;
    for (int i = 0; i < static_cast<int>(list->items.size()); ++i)
        if (list->ItemData(i) == m_nOption)
            list->selection = i;
    list->text = list->items[static_cast<std::size_t>(list->selection)];
    return true;
}

void CSelectTargetDlg::OnOK() {
    const ui::Control* list = GetDlgItem(kIdList);
    m_nOption = list != nullptr && list->selection >= 0
                    ? static_cast<int>(list->ItemData(list->selection))
                    : 0;
    Settings settings;
    if (zelko::SettingsOpenSection(settings.store, Section(m_b3D)))
        zelko::SettingsWriteInt(settings.store, "TargetOption", m_nOption);
    EndDialog(ui::kIdOk);
}

bool CanSelectPlate() {
    return g_plateSelection && g_plateSelection().has_value();
}

bool IsTargetSelectable() {
    std::string folder;
    if (!zelko::ProjFolder(folder))
        return false;  // no project: asked again once one is open
    const auto found = g_targetSelectable.find(folder);
    if (found != g_targetSelectable.end())
        return found->second;
    bool& answer = g_targetSelectable[folder] = false;
    if (zelko::ProjectVersionCheck("16.00"))
        answer = true;
    return answer;
}

void ResetTargetSelectableCache() {
    g_targetSelectable.clear();
}

}  // namespace routix
