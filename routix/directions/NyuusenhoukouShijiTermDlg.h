#pragma once

// One wire direction and one tube direction for many terminals at once (dialog 214):
//
// - CNyuusenhoukouShijiTermDlg, "Specify Direction of Wire (Terminal Block)" (caption 137,
//   entry points 1010 in 2D and 1031 in 3D): the terminals of the selected terminal-block
//   symbols, which must all stand at the same rotation (message 148). The direction marks in
//   the selection are erased while the dialog is open and come back on Cancel.
// - CNyuusenhoukouShijiAllDlg, "Change all Direction of Wire" (caption 2674, entry points 1035
//   and 1036): every selected symbol, general components and terminals alike, without the
//   rotation check and without hiding marks; the static 219 is hidden and Reset disabled. Every
//   record writes index 1, the "(TO)" side index 2.
//
// The grid has one row: the terminal number of the representative record (locked) and the wire
// and tube combo boxes of the code table (CodeTable.h). A cell shows "*Varies*" when the
// records' values differ; OK leaves each record's value as it is for "*Varies*", empties it for
// "空", and writes the chosen code otherwise. The marks are redrawn through the shared routine
// (DrawDirections.h), with the layers created when missing, in 2D the "(TO)" side's directions
// on index 1 as well and, in the change-all dialog, every mark of a general component erased.
//
// Decisions:
// - A selected symbol's record takes the project data of its terminal (tag without regard to
//   case, unit, panel number when both have one or in 3D, and for a terminal its terminal
//   number; a general component of the change-all dialog takes its terminal at the index it
//   writes, else its first terminal). A selected record the project data does not know is left
//   out: its directions are neither shown nor written. With none left message 142 is shown.
// - A selection without a record of the command's kind (terminals; in the change-all dialog
//   any symbol) prints message 106, as an empty selection does.
// - The hidden marks are erased, and on Cancel restored, with every layer open, so that marks
//   on locked layers are hidden too.
// - Column 1 (the terminal number) is locked: it only names the representative.
// - A record without a representative keeps column 1 empty.
// - Of records that write the same index of the same symbol (the repeats of a 3D terminal in
//   the change-all dialog) only the first is written.
// - The dialog's size and position are the host dialog's own (ui::Dialog, under the names
//   "ZELKOWP2_CNyuusenhoukouShijiTermDlg" and "ZELKOWP2_CNyuusenhoukouShijiAllDlg").

#include <optional>
#include <string>
#include <vector>

#include "directions/CodeTable.h"
#include "directions/Term.h"
#include "grid/SpreadSheet.h"
#include "ui/Dialog.h"

namespace routix {

class CSokucyou;

class CNyuusenhoukouShijiTermDlg : public ui::Dialog {
public:
    static constexpr int kTemplateId = 214;
    static constexpr int kIdTag = 219;
    static constexpr int kIdGrid = 225;
    static constexpr int kIdReset = 224;
    static constexpr const char* kDialogName = "ZELKOWP2_CNyuusenhoukouShijiTermDlg";
    /// The nominal widths of the three columns (normal units).
    static constexpr double kWidths[3] = {7, 10.63, 12.88};

    CNyuusenhoukouShijiTermDlg();

    /// The records of the selected symbols with their project data, pin indices and stored
    /// directions (see the decisions above). False after message 101 when the project data
    /// cannot be read, or message 142 when none of the records is known to it.
    bool Fill(const CSokucyou& context, const std::vector<CTerm>& selected,
              const std::string& caption, const std::string& drawingPath);

    const std::vector<CTerm>& Terms() const { return m_terms; }
    bool IsAll() const { return m_bAll; }

    /// The representative record: the first of terminal number "1" with a stored wire
    /// direction, any terminal number with one, any record with one, then the same three with
    /// a default direction text instead; -1 when none.
    static int Representative(const std::vector<CTerm>& terms);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;

    /// Set by the change-all dialog.
    bool m_bAll = false;

private:
    /// Row 1 from the records: stored directions first, or (`defaults`) the defaults only.
    void FillRow(bool defaults);

    std::string m_strCaption;
    std::vector<CTerm> m_terms;
    int m_nRows = 1;
    std::optional<CodeTable> m_codes;
    CSpreadSheet m_grid;
};

class CNyuusenhoukouShijiAllDlg : public CNyuusenhoukouShijiTermDlg {
public:
    static constexpr const char* kDialogName = "ZELKOWP2_CNyuusenhoukouShijiAllDlg";
    CNyuusenhoukouShijiAllDlg();
};

/// Entry points 1010 / 1031 (`all` false) and 1035 / 1036 (`all` true) on the current drawing.
void NyuusenhoukouShijiTermCommand(bool all);

}  // namespace routix
