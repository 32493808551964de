#pragma once

// CYocyouDlg (dialog 208): one surplus length in millimetres. The combo box 205 offers the
// last accepted value, kept in the host's per-user dialog data ("DefaultYocyou" under
// "ZELKOWP2::CYocyouDlg", ui/DialogData.h), and takes a typed value. Every change is checked:
// decimal digits with at most one "-" anywhere (an empty text is valid); anything else beeps
// and puts the last valid text back.
//
// With no stored value the list stays empty (the stored value is its only item when there is
// one).

#include <string>
#include <string_view>

#include "ui/Dialog.h"

namespace routix {

class CYocyouDlg : public ui::Dialog {
public:
    static constexpr int kTemplateId = 208;
    static constexpr int kIdValue = 205;
    static constexpr const char* kDialogName = "ZELKOWP2::CYocyouDlg";
    static constexpr const char* kDefaultValue = "DefaultYocyou";

    CYocyouDlg();

    /// The window title when not empty (the caller gives message 122).
    std::string m_strTitle;
    /// The value: the initial value in, the accepted value out.
    std::string m_strValue;

    /// The input rule: decimal digits with at most one "-" anywhere; empty is valid.
    static bool IsValidValue(std::string_view text);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;

private:
    std::string m_strLastValid;
};

}  // namespace routix
