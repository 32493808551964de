#pragma once

// The rows of panels the development drawings are made for (CBans, CFullPathDwgNames) and
// CSokucyouTenkaizu, dialog 207 ("Exploaded Panel Drawings"), in which the user ticks the rows
// whose development drawing "LAYOUT_<row name>.dwg" is made and whether it is saved exploded
// ("Not Blockage", check box 234).
//
// The grid (control 235, a placeholder of the template) has three columns and one row per row
// of panels: a check box (initially ticked, header " "), the row's panel numbers joined with
// "," (header message 202) and "LAYOUT_<row name>" (header message 203); columns 2 and 3 are
// locked. While the dialog opens each row's name is replaced by that "LAYOUT_<row name>" text,
// which the command then uses as the target's file name.
//
// Settings (settings store, section "ZELKOWP2_CSokucyouTenkaizu"): "Col1Width" to "Col3Width"
// (text "%.5f", applied when greater than 0) and "EXPLODE" (1 = "Not Blockage" ticked, written
// only when the check box was used). The default widths 3.75, 19.13 and 19.88 are scaled to
// fill the grid's client width on screens above 96 dots per inch. The window rectangle values
// "LastX", "LastY", "LastWidth", "LastHeight" are neither read nor written: the host's dialogs
// have no window rectangle.

#include <cstdint>
#include <string>
#include <vector>

#include "grid/SpreadSheet.h"
#include "ui/Dialog.h"

namespace routix {

/// One panel of a row: its panel number and the full paths of its project drawings.
struct CFullPathDwgNames {
    std::string m_strBanNo;
    std::vector<std::string> m_dwgNames;
};

/// One row of panels.
struct CBans {
    std::int32_t m_nSelect = 1;
    std::string m_strName;
    std::vector<CFullPathDwgNames> m_bans;
};

class CSokucyouTenkaizu : public ui::Dialog {
public:
    static constexpr int kTemplateId = 207;
    static constexpr int kIdGrid = 235;
    static constexpr int kIdNotBlockage = 234;
    static constexpr const char* kSection = "ZELKOWP2_CSokucyouTenkaizu";
    static constexpr double kDefaultWidths[3] = {3.75, 19.13, 19.88};

    explicit CSokucyouTenkaizu(std::vector<CBans>& bans);

    /// "Not Blockage" as the dialog ended.
    bool m_bExplode = false;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;

private:
    std::vector<CBans>& m_bans;
    CSpreadSheet m_grid;
    bool m_bExplodeUsed = false;
};

}  // namespace routix
