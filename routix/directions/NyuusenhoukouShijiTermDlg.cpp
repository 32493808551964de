#include "directions/NyuusenhoukouShijiTermDlg.h"

#include <filesystem>
#include <memory>
#include <set>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "directions/Collect.h"
#include "directions/Direction.h"
#include "directions/DrawDirections.h"
#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/Frame.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/wiringplan.h"

namespace routix {

namespace {

namespace fs = std::filesystem;

constexpr Source kSource = Source::NyuusenhoukouShijiTermDlg;

/// The index a record of the change-all dialog writes: 2 for the "(TO)" side, else 1.
int ChangeAllPin(const CTerm& term) {
    return term.m_strOpName == "(TO)" ? 2 : 1;
}

/// Whether a project record describes the selected record's terminal.
bool Describes(const CTerm& source, const CTerm& selected) {
    if (source.m_bTerm != selected.m_bTerm ||
        !common::EqualsNoCase(source.m_strTag, selected.m_strTag) ||
        source.m_strUnit != selected.m_strUnit)
        return false;
    if (PanelsDiffer(source.m_strPanelNo, selected.m_strPanelNo))
        return false;
    return !selected.m_bTerm || source.m_strTerminalNo == selected.m_strTerminalNo;
}

/// A cell's code for one record: the stored direction (unless `defaults`), else the default
/// code, else the first letter of the default text, each when the mode offers it; else "_".
std::string CellCode(const std::string& stored, char16_t code, const std::string& text,
                     bool defaults) {
    const std::string found =
        EffectiveDirection(defaults ? "" : stored, code, text, OfferedCodes(g_b3DMode));
    return found.empty() ? "_" : found;
}

/// Erases (or with `erase` false restores) marks, with every layer open.
void EraseMarks(const std::vector<AcDbObjectId>& marks, bool erase) {
    if (marks.empty())
        return;
    std::vector<CLayerState> states;
    CollectLayerStates(CurrentDatabase(), states);
    ReleaseAllLayers(states);
    for (const AcDbObjectId id : marks) {
        AcDbEntity* mark = nullptr;
        if (Acad::ErrorStatus es = acdbOpenObject(mark, id, AcDb::kForWrite, !erase);
            es != Acad::eOk) {
            ROUTIX_STATUS_ERROR(kSource, "acdbOpenObject", es);
            continue;
        }
        mark->erase(erase);
        mark->close();
    }
    RestoreLayerStates(states);
}

}  // namespace

CNyuusenhoukouShijiTermDlg::CNyuusenhoukouShijiTermDlg() : Dialog(kTemplateId, "") {
    SetDialogName(kDialogName);
}

CNyuusenhoukouShijiAllDlg::CNyuusenhoukouShijiAllDlg() {
    m_bAll = true;
    SetDialogName(kDialogName);
}

bool CNyuusenhoukouShijiTermDlg::Fill(const CSokucyou& context, const std::vector<CTerm>& selected,
                                      const std::string& caption, const std::string& drawingPath) {
    m_strCaption = caption;
    m_terms.clear();

    // The project's wiring plan (its mirror correction) and its terminal records.
    zelko::WpData* plan = zelko::WpDataInit();
    if (plan == nullptr || !zelko::WpDataOpen(plan, "")) {
        zelko::WpDataFree(plan);
        context.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const bool mirrorCorrection = zelko::WpMirrorCorrection(zelko::WpPlanSettings(plan));
    zelko::WpDataFree(plan);
    std::vector<CTerm> loaded;
    const std::string drawingName = g_b3DMode ? fs::path(drawingPath).stem().string() : "";
    if (!LoadProjectTerms("", loaded, m_bAll, true, drawingName)) {
        context.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    SortTerms(loaded);

    // Each selected record takes the project data of its terminal.
    for (const CTerm& pick : selected) {
        const CTerm* source = nullptr;
        for (const CTerm& candidate : loaded) {
            if (!Describes(candidate, pick))
                continue;
            if (source == nullptr)
                source = &candidate;
            if (!m_bAll || pick.m_bTerm || candidate.m_nDefaultPin == ChangeAllPin(pick)) {
                source = &candidate;
                break;
            }
        }
        if (source == nullptr)
            continue;
        CTerm term = *source;
        term.m_symbol = pick.m_symbol;
        term.m_insert = pick.m_insert;
        term.m_dRotation = pick.m_dRotation;
        term.m_strOpName = pick.m_strOpName;
        term.m_duplicates.clear();
        term.m_bShown = true;
        term.m_nPin = m_bAll ? ChangeAllPin(term) : ResolvePinIndex(term, m_terms);
        SettleMirror(term, AttributeText(term.m_symbol, "REVERSE"), mirrorCorrection);
        m_terms.push_back(std::move(term));
    }
    if (m_terms.empty()) {
        context.MsgBox(IDS_NO_DATABASE_INFO, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    AssignFreeIndices(m_terms);
    for (CTerm& term : m_terms) {
        term.m_strWire =
            StoredCode(ReadDirectionText(term.m_symbol, kWireDirPrefix, term.m_nPin).value_or(""));
        term.m_strTube =
            StoredCode(ReadDirectionText(term.m_symbol, kTubeDirPrefix, term.m_nPin).value_or(""));
    }
    SortTerms(m_terms);
    m_codes.emplace(g_b3DMode, m_terms.size() > 1);
    return true;
}

int CNyuusenhoukouShijiTermDlg::Representative(const std::vector<CTerm>& terms) {
    using Test = bool (*)(const CTerm&);
    static constexpr Test kTests[] = {
        [](const CTerm& t) { return t.m_strTerminalNo == "1" && !t.m_strWire.empty(); },
        [](const CTerm& t) { return !t.m_strTerminalNo.empty() && !t.m_strWire.empty(); },
        [](const CTerm& t) { return !t.m_strWire.empty(); },
        [](const CTerm& t) { return t.m_strTerminalNo == "1" && !t.m_strDefaultWire.empty(); },
        [](const CTerm& t) { return !t.m_strTerminalNo.empty() && !t.m_strDefaultWire.empty(); },
        [](const CTerm& t) { return !t.m_strDefaultWire.empty(); },
    };
    for (const Test test : kTests)
        for (std::size_t i = 0; i < terms.size(); ++i)
            if (test(terms[i]))
                return static_cast<int>(i);
    return -1;
}

bool CNyuusenhoukouShijiTermDlg::OnInitDialog() {
    if (!m_codes || !LoadDialogTemplate(*this) || !m_grid.Create(*this, kIdGrid))
        return false;
    SetWindowText(m_strCaption);
    if (ui::Control* tag = GetDlgItem(kIdTag)) {
        tag->text = m_terms.empty() ? std::string() : m_terms.front().m_strTag;
        tag->visible = !m_bAll && !tag->text.empty();
    }
    if (ui::Control* reset = GetDlgItem(kIdReset))
        reset->enabled = !m_bAll;

    m_grid.SetMaxCols(3);
    m_grid.SetMaxRows(m_nRows);
    m_grid.TSpread::SetData(1, 0, LoadResourceString(IDS_COLUMN_TERMINAL_NUMBER));
    m_grid.TSpread::SetData(2, 0, LoadResourceString(IDS_COLUMN_WIRE_DIRECTION));
    m_grid.TSpread::SetData(3, 0, LoadResourceString(IDS_COLUMN_TUBE_DIRECTION));
    m_grid.SetLockRange(1, -1, 1, -1, true);
    m_grid.ScaleColumnWidths(kWidths, 0.1);
    FillRow(false);
    return true;
}

void CNyuusenhoukouShijiTermDlg::FillRow(bool defaults) {
    const int representative = Representative(m_terms);
    m_grid.TSpread::SetData(
        1, 1,
        representative < 0 ? ""
                           : m_terms[static_cast<std::size_t>(representative)].m_strTerminalNo);
    for (const int column : {2, 3}) {
        const bool wire = column == 2;
        std::optional<std::string> shown;
        bool varies = false;
        for (const CTerm& term : m_terms) {
            if (term.m_symbol.isNull())
                continue;
            const std::string code = wire ? CellCode(term.m_strWire, term.m_cDefaultWire,
                                                     term.m_strDefaultWire, defaults)
                                          : CellCode(term.m_strTube, term.m_cDefaultTube,
                                                     term.m_strDefaultTube, defaults);
            if (!shown)
                shown = code;
            else if (*shown != code)
                varies = true;
        }
        m_grid.TSpread::SetTypeComboBox(column, 1, m_codes->ComboList());
        const int index = varies && m_codes->VariesIndex() >= 0
                              ? m_codes->VariesIndex()
                              : m_codes->IndexOf(shown.value_or(""));
        m_grid.TSpread::ComboSetCurSel(column, 1, index);
    }
}

void CNyuusenhoukouShijiTermDlg::OnCommand(int id) {
    if (id == kIdReset && !m_bAll)
        FillRow(true);
}

void CNyuusenhoukouShijiTermDlg::OnOK() {
    const std::optional<std::string> wire = m_codes->CodeOfLabel(m_grid.TSpread::GetData(2, 1));
    const std::optional<std::string> tube = m_codes->CodeOfLabel(m_grid.TSpread::GetData(3, 1));

    AcDbDatabase* database = CurrentDatabase();
    std::vector<CLayerState> layerStates;
    CollectLayerStates(database, layerStates);
    ReleaseAllLayers(layerStates);

    // The new values ("*": each keeps its own), on every record and so on every duplicate.
    std::vector<CTerm> written;
    std::set<std::pair<AcDbObjectId, int>> indices;
    for (CTerm& term : m_terms) {
        if (m_bAll)
            term.m_nPin = ChangeAllPin(term);
        term.m_strWire = wire.value_or("*");
        term.m_strTube = tube.value_or("*");
        if (g_b3DMode)
            FillPinOffset(term);
        if (indices.emplace(term.m_symbol, term.m_nPin).second)
            written.push_back(term);
    }

    DirectionWrite how;
    how.createLayers = true;
    how.writeEmpty = true;
    how.bothIndicesInTwoD = true;
    how.allMarksOfComponentsInTwoD = true;
    how.source = kSource;
    WriteDirectionsAndMarks(written, how);
    RestoreLayerStates(layerStates);
    EndDialog(ui::kIdOk);
}

void NyuusenhoukouShijiTermCommand(bool all) {
    CSokucyou context;
    const std::string caption =
        LoadResourceString(all ? IDS_CAPTION_CHANGE_ALL : IDS_CAPTION_DIRECTION_TERM);
    std::string path;
    if (!CheckDirectionDrawing(context, caption, path))
        return;

    std::vector<AcDbObjectId> ids;
    {
        CSelection selection;
        if (CSokucyou::SelectImplied(selection) || CSokucyou::SelectBlockRefs(nullptr, selection))
            for (int i = 0; i < selection.length(); ++i)
                ids.push_back(selection.at(i));
    }
    std::vector<CTerm> components;
    std::vector<CTerm> terminals;
    std::vector<AcDbObjectId> marks;
    std::string panelNo;
    if (!ids.empty())
        CollectFromSelection(ids, components, terminals, marks, panelNo, false);
    std::vector<CTerm> records = all ? components : std::vector<CTerm>();
    records.insert(records.end(), terminals.begin(), terminals.end());
    if (records.empty()) {
        std::string text;
        context.LoadMsg(IDS_SELECTION_NOT_CORRECT, text);
        acutPrintf("\n%s", text.c_str());
        return;
    }

    if (!all) {
        // One kind of terminal block: every terminal at the same rotation.
        for (const CTerm& term : terminals) {
            if (term.m_dRotation != terminals.front().m_dRotation) {
                context.MsgBox(IDS_SAME_TERMINAL_TYPE, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
                return;
            }
        }
        EraseMarks(marks, true);
    } else {
        marks.clear();
    }

    std::unique_ptr<CNyuusenhoukouShijiTermDlg> dialog =
        all ? std::make_unique<CNyuusenhoukouShijiAllDlg>()
            : std::make_unique<CNyuusenhoukouShijiTermDlg>();
    if (!dialog->Fill(context, records, caption, path) || dialog->DoModal() != ui::kIdOk)
        EraseMarks(marks, false);
}

}  // namespace routix
