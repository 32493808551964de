#pragma once

// CPutJtermDlg: dialog 216, "Place Internal Terminal Block" / "中継端子台配置", with one radio
// group (Inside Panel, On Door, Between Panels, All Terminals: choices 0 to 3, ids 1100 to 1103)
// and the buttons Place (OK, id 1) and Cancel (id 2). The last choice is remembered in the settings
// store (section "ZELKOWP2_PutJtermDlg", integer "LastSelectOfRadioButton"): read when the dialog
// opens (default 0, and 0 for a stored value outside 0 to 3), written when Place is pressed.
//
// The title and the controls come from the dialog template 216 of the locale's language
// (resources/routix/ROUTIX.dialogs.*.txt); a template without the four radio buttons is not
// shown.

#include "ui/Dialog.h"

namespace routix {

class CPutJtermDlg : public ui::Dialog {
public:
    static constexpr int kTemplateId = 216;
    /// The radio buttons of choices 0 to 3.
    static constexpr int kRadioFirst = 1100;
    static constexpr int kChoices = 4;

    CPutJtermDlg();

    /// The choice when the dialog ended with Place.
    int Choice() const { return m_nChoice; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    int m_nChoice = 0;
};

}  // namespace routix
