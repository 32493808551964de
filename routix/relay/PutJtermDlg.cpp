#include "relay/PutJtermDlg.h"

#include "frame/MessageBox.h"
#include "frame/MessageIds.h"
#include "services/settings.h"

namespace routix {

namespace {

constexpr std::string_view kSection = "ZELKOWP2_PutJtermDlg";
constexpr std::string_view kValue = "LastSelectOfRadioButton";
constexpr const char* kChoices[] = {"Inside Panel", "On Door", "Between Panels", "All Terminals"};

}  // namespace

CPutJtermDlg::CPutJtermDlg() : ui::Dialog(kTemplateId, FormatResource(IDS_CAPTION_PLACE_TERMS)) {
    for (int choice = 0; choice < 4; ++choice)
        AddControl(kRadioFirst + choice, ui::ControlKind::RadioButton, kChoices[choice]).group = 1;
    AddControl(ui::kIdOk, ui::ControlKind::Button, "Place");
    AddControl(ui::kIdCancel, ui::ControlKind::Button, "Cancel");
}

bool CPutJtermDlg::OnInitDialog() {
    int last = 0;
    zelko::SettingsStore* store = zelko::SettingsInit();
    if (zelko::SettingsOpenSection(store, kSection))
        zelko::SettingsReadInt(store, kValue, last);
    zelko::SettingsFree(store);
    if (last < 0 || last > 3)
        last = 0;
    for (int choice = 0; choice < 4; ++choice)
        GetDlgItem(kRadioFirst + choice)->checked = choice == last;
    return true;
}

void CPutJtermDlg::OnOK() {
    m_nChoice = 0;
    for (int choice = 0; choice < 4; ++choice)
        if (GetDlgItem(kRadioFirst + choice)->checked)
            m_nChoice = choice;
    zelko::SettingsStore* store = zelko::SettingsInit();
    if (zelko::SettingsOpenSection(store, kSection))
        zelko::SettingsWriteInt(store, kValue, m_nChoice);
    zelko::SettingsFree(store);
    EndDialog(ui::kIdOk);
}

}  // namespace routix
