#pragma once

// CSelectTargetDlg (dialog 245): which terminals the entry-direction marks are drawn for, all
// terminals, those of a selected plate (3D, and only when a plate can be selected) or those of
// an area, remembered per mode in the settings store ("ZelkoWp2SelectTarget2D" / "...3D",
// "TargetOption"). The choice is offered only for projects whose data version is at least
// 16.00 (IsTargetSelectable).
//
// The version gate is cached per project, not for the whole process: the answer is kept under
// the open project's folder, so a project opened later (cadhost's "project" line, the next
// project the user opens) is asked about its own version once. With no project open the
// answer is false and is asked again once a project is open.

#include <string>

#include "ui/Dialog.h"

namespace routix {

class CSelectTargetDlg : public ui::Dialog {
public:
    static constexpr int kTemplateId = 245;
    static constexpr int kIdList = 205;
    /// The options, as item data of the list entries.
    static constexpr int kAllTerminals = 0;
    static constexpr int kPlateTerminals = 1;
    static constexpr int kAreaTerminals = 2;

    CSelectTargetDlg(bool is3D, int option);

    /// The chosen option: the caller's initial value, read back after OK.
    int m_nOption;
    bool m_b3D;

    /// The settings section of a mode.
    static const char* Section(bool is3D);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};

/// Whether a plate can be selected for the plate entry (the plate selection of the frame,
/// which yields no plate in this system).
bool CanSelectPlate();

/// The version gate: true when the open project's data version is at least "16.00"; evaluated
/// once per project (see above).
bool IsTargetSelectable();
/// Forgets the answers of the gate (tests).
void ResetTargetSelectableCache();

}  // namespace routix
