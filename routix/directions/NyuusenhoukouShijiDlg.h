#pragma once

// CNyuusenhoukouShijiDlg: the wire and tube entry directions of the terminals of the selected
// general components (symbol type BAN), entry points 1009 (2D, dialog 210) and 1014 (3D,
// dialog 261, with the code N and its button 240).
//
// The grid 217 has a row per terminal: connector tag and terminal number (locked), the wire
// and the tube direction as combo cells of the code table (CodeTable.h). Records of several
// symbols with the same connector tag and terminal number share a row; when their values
// differ the cell shows "*Varies*", which OK leaves alone. The arrow buttons set the selected
// cells: every block when several are selected, whole columns, a block, or the active cell;
// cells of columns 1 and 2 never change. Reset shows the defaults again (in 3D computed from
// the plates, Plates.h); OK writes the directions and redraws the marks
// (WriteDirectionsAndMarks): a single symbol's direction attributes are cleared first, so
// indices no terminal uses go.
//
// The dialog keeps its size and position under "ZELKOWP2_CNyuusenhoukouShijiDlg"
// (ui::Dialog's dialog memory); the grid grows and shrinks with it.
//
// Decisions:
// - An empty stored direction shows the record's wire defaults in both columns (the tube
//   column too), as the project's defaults are given for the wire.
// - "空" on OK writes an empty text even when the attribute holds a direction (the user chose
//   no direction); "*Varies*" keeps each record's stored value, and its mark is drawn again
//   from that value.
// - The records come from both of the project's terminal lists, so a 2D multi-pin terminal
//   block, which the selection takes as a component, finds its terminals; panel numbers take
//   part in the match when the symbol and the record both have one (as drawing all does).
// - When a single symbol's direction attributes are cleared first, every mark of that symbol
//   is erased with them, not only those of the shown terminals' indices: a mark an earlier run
//   drew for an index that no terminal uses any more would otherwise stay without attribute.
// - Duplicates (the same symbol, component tag, connector tag and terminal number) follow
//   their representative's values; only the representatives are written and marked, so a
//   terminal never gets two sets of marks.

#include <string>
#include <vector>

#include "directions/CodeTable.h"
#include "directions/Plates.h"
#include "directions/Term.h"
#include "grid/SpreadSheet.h"
#include "ui/Dialog.h"

namespace routix {

class CNyuusenhoukouShijiDlg : public ui::Dialog {
public:
    static constexpr int kTemplate2D = 210;
    static constexpr int kTemplate3D = 261;
    static constexpr const char* kDialogName = "ZELKOWP2_CNyuusenhoukouShijiDlg";
    static constexpr int kIdTags = 219;
    static constexpr int kIdDown = 222;   // T: the wire comes from the top
    static constexpr int kIdUp = 223;     // B
    static constexpr int kIdRight = 224;  // L
    static constexpr int kIdLeft = 226;   // R
    static constexpr int kIdDone = 240;   // N (3D)
    static constexpr int kIdReset = 225;
    static constexpr int kIdGrid = 217;
    static constexpr int kIdFrame = 214;
    /// The nominal column widths (grid default unit).
    static constexpr double kWidths[4] = {10.5, 8.25, 10.38, 12.5};

    CNyuusenhoukouShijiDlg();

    /// Opens the project data of the layout folder and the drawing's wiring plan; false, with
    /// message 101 shown, when either cannot be opened.
    bool Initialize(const std::string& drawingPath, const std::string& caption);
    /// The records of the selected symbols (from CollectFromSelection); false, with message
    /// 142 shown, when no terminal of the project data belongs to them.
    bool Fill(const std::vector<CTerm>& symbols);

    /// The records of the dialog (after Fill), for tests and the command.
    const std::vector<CTerm>& Terms() const { return m_terms; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCommand(int id) override;
    void OnSize(const ui::WindowPlacement& previous) override;

private:
    void BuildRows();
    void SetDirections(bool defaults);
    void ApplyCode(char code);
    std::string DefaultCode(const CTerm& term) const;
    void Recompute3DDefaults();

    std::string m_caption;
    std::string m_drawingName;
    bool m_bMirrorCorrection = false;
    std::vector<CTerm> m_database;  // the project's records, sorted
    std::vector<CTerm> m_terms;     // the records of the selected symbols
    int m_nSymbols = 0;             // distinct symbol references of the records
    CodeTable m_codes;
    CSpreadSheet m_grid;
    CPlateList m_plates;
};

/// Entry points 1009 and 1014.
void GeneralDirectionCommand();

}  // namespace routix
