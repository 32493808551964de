#include "grid/YocyouDlg.h"

#include <algorithm>

#include "frame/Resources.h"

namespace routix {

CYocyouDlg::CYocyouDlg() : Dialog(kTemplateId, "") {
    SetDialogName(kDialogName);
}

bool CYocyouDlg::IsValidValue(std::string_view text) {
    if (std::count(text.begin(), text.end(), '-') > 1)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == '-' || (c >= '0' && c <= '9'); });
}

bool CYocyouDlg::OnInitDialog() {
    if (!LoadDialogTemplate(*this))
        return false;
    if (!m_strTitle.empty())
        SetWindowText(m_strTitle);
    ui::Control* value = GetDlgItem(kIdValue);
    if (value == nullptr)
        return false;
    value->items.clear();
    std::string stored;
    if (GetDialogData(kDefaultValue, stored) && !stored.empty())
        value->items.push_back(stored);
    const auto found = std::find(value->items.begin(), value->items.end(), m_strValue);
    value->selection =
        found == value->items.end() ? -1 : static_cast<int>(found - value->items.begin());
    value->text = m_strValue;
    m_strLastValid = IsValidValue(m_strValue) ? m_strValue : std::string();
    return true;
}

void CYocyouDlg::OnCommand(int id) {
    if (id != kIdValue)
        return;
    ui::Control* value = GetDlgItem(kIdValue);
    if (IsValidValue(value->text)) {
        m_strLastValid = value->text;
        return;
    }
    MessageBeep();
    const auto found = std::find(value->items.begin(), value->items.end(), m_strLastValid);
    value->selection =
        found == value->items.end() ? -1 : static_cast<int>(found - value->items.begin());
    value->text = m_strLastValid;
}

void CYocyouDlg::OnOK() {
    const ui::Control* value = GetDlgItem(kIdValue);
    m_strValue = value->selection >= 0 ? value->items[static_cast<std::size_t>(value->selection)]
                                       : value->text;
    if (!m_strValue.empty())
        SetDialogData(kDefaultValue, m_strValue);
    EndDialog(ui::kIdOk);
}

}  // namespace routix
