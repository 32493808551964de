#include "relay/PutJtermDlg.h"

#include "frame/Resources.h"
#include "services/settings.h"

namespace routix {

namespace {

constexpr std::string_view kSection = "ZELKOWP2_PutJtermDlg";
constexpr std::string_view kValue = "LastSelectOfRadioButton";

}  // namespace

CPutJtermDlg::CPutJtermDlg() : ui::Dialog(kTemplateId, "") {}

bool CPutJtermDlg::OnInitDialog() {
    if (!LoadDialogTemplate(*this))
        return false;
    for (int choice = 0; choice < kChoices; ++choice)
        if (GetDlgItem(kRadioFirst + choice) == nullptr)
            return false;
    int last = 0;
    zelko::SettingsStore* store = zelko::SettingsInit();
    if (zelko::SettingsOpenSection(store, kSection))
        zelko::SettingsReadInt(store, kValue, last);
    zelko::SettingsFree(store);
    if (last < 0 || last >= kChoices)
        last = 0;
    for (int choice = 0; choice < kChoices; ++choice)
        GetDlgItem(kRadioFirst + choice)->checked = choice == last;
    return true;
}

void CPutJtermDlg::OnOK() {
    m_nChoice = 0;
    for (int choice = 0; choice < kChoices; ++choice)
        if (const ui::Control* radio = GetDlgItem(kRadioFirst + choice); radio && radio->checked)
            m_nChoice = choice;
    zelko::SettingsStore* store = zelko::SettingsInit();
    if (zelko::SettingsOpenSection(store, kSection))
        zelko::SettingsWriteInt(store, kValue, m_nChoice);
    zelko::SettingsFree(store);
    EndDialog(ui::kIdOk);
}

}  // namespace routix
