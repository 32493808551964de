#pragma once

// The duct shape (entry point 1034): the duct types of the wiring plan in dialog 250, and for
// each choice the maker's duct drawing, until the dialog is cancelled.
//
// Decisions:
// - Dialog 250 comes from its template in the locale's language
//   (resources/routix/ROUTIX.dialogs.*.txt): the title "Duct Shape" / "ダクト形状作図", the
//   drop-down list 251, Draw (1) and Cancel (2).
// - The duct-drawing service gets the prompts 2665 to 2668 and 2670 and the justification
//   "ADJUST_TYPE"; the one the user answers is written back to "ADJUST_TYPE", so the next duct
//   and the next command offer it as the default (an empty answer keeps it).
// - A remembered index outside the list preselects the first entry.
// - Without a project (or a plan that cannot be read) the duct list is empty.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Dialog.h"

namespace routix {

/// One duct type of the wiring plan.
struct DuctDef {
    std::string m_strName;
    std::string m_strWidth;  ///< decimal text of the plan's integer width
    std::int32_t m_nType = 0;
};

/// The width of a duct type: its text read as a decimal number, 0 when the text is not
/// entirely a finite number.
double DuctWidthValue(const std::string& width);
/// The list entry of a duct type: "%s (%.0f)" (name, width), "%.0f" without a name.
std::string DuctListText(const DuctDef& duct);

/// Dialog 250, "Duct Shape": the duct types in the drop-down list 251, Draw (OK) and Cancel.
class CDuctShapeMainDlg : public ui::Dialog {
public:
    static constexpr int kTemplateId = 250;
    static constexpr int kDuctList = 251;

    CDuctShapeMainDlg(std::vector<DuctDef> ducts, int index);

    /// The entry chosen with Draw (-1 before).
    int ChosenIndex() const { return m_nChosen; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::vector<DuctDef> m_ducts;
    int m_nIndex = 0;
    int m_nChosen = -1;
};

/// Entry point 1034.
void DuctShape();

}  // namespace routix
