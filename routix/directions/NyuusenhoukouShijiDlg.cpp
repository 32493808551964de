#include "directions/NyuusenhoukouShijiDlg.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "directions/Collect.h"
#include "directions/Direction.h"
#include "directions/DrawDirections.h"
#include "drawings/Sokucyou.h"
#include "frame/Frame.h"
#include "frame/MessageBox.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/wiringplan.h"

namespace routix {

namespace {

namespace fs = std::filesystem;

/// The key of a terminal in the project data: panel, tag, connector, default pin, terminal.
std::string ProjectKey(const CTerm& term) {
    return common::ToUpper(term.m_strPanelNo + "\t" + term.m_strTag + "\t" + term.m_strConnector +
                           "\t" + std::to_string(term.m_nDefaultPin) + "\t" + term.m_strTerminalNo);
}

bool SameTerminal(const CTerm& a, const CTerm& b) {
    return a.m_symbol == b.m_symbol && common::EqualsNoCase(a.m_strTag, b.m_strTag) &&
           a.m_strConnector == b.m_strConnector && a.m_strTerminalNo == b.m_strTerminalNo;
}

}  // namespace

CNyuusenhoukouShijiDlg::CNyuusenhoukouShijiDlg()
    : Dialog(g_b3DMode ? kTemplate3D : kTemplate2D, ""), m_codes(g_b3DMode, false) {
    SetDialogName(kDialogName);
}

bool CNyuusenhoukouShijiDlg::Initialize(const std::string& drawingPath,
                                        const std::string& caption) {
    m_caption = caption;
    m_drawingName = fs::path(drawingPath).stem().string();
    zelko::WpData* plan = zelko::WpDataInit();
    const bool planOpen = plan != nullptr && zelko::WpDataOpen(plan, "");
    if (planOpen)
        m_bMirrorCorrection = zelko::WpMirrorCorrection(zelko::WpPlanSettings(plan));
    zelko::WpDataFree(plan);
    m_database.clear();
    if (!planOpen ||
        !LoadProjectTerms("", m_database, true, true, g_b3DMode ? m_drawingName : "")) {
        CMessageBox().MsgBox(IDS_RUN_WP_FROMTO_FIRST, m_caption.c_str(),
                             MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    SortTerms(m_database);
    return true;
}

bool CNyuusenhoukouShijiDlg::Fill(const std::vector<CTerm>& symbols) {
    m_terms.clear();
    std::set<AcDbObjectId> seen;
    for (const CTerm& symbol : symbols) {
        if (!seen.insert(symbol.m_symbol).second)
            continue;
        const std::optional<std::string> reverse = AttributeText(symbol.m_symbol, "REVERSE");
        const std::string panel = AttributeText(symbol.m_symbol, "BAN_NO").value_or("");
        for (const CTerm& source : m_database) {
            if (!common::EqualsNoCase(source.m_strTag, symbol.m_strTag) ||
                source.m_strUnit != symbol.m_strUnit || PanelsDiffer(source.m_strPanelNo, panel))
                continue;
            CTerm term = source;
            term.m_symbol = symbol.m_symbol;
            term.m_insert = symbol.m_insert;
            term.m_dRotation = symbol.m_dRotation;
            term.m_nPin = ResolvePinIndex(term, m_terms);
            SettleMirror(term, reverse, m_bMirrorCorrection);
            term.m_bShown = true;
            term.m_duplicates.clear();
            m_terms.push_back(std::move(term));
        }
    }
    AssignFreeIndices(m_terms);
    if (m_terms.empty()) {
        CMessageBox().MsgBox(IDS_NO_DATABASE_INFO, m_caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::set<AcDbObjectId> references;
    for (CTerm& term : m_terms) {
        references.insert(term.m_symbol);
        term.m_strWire =
            StoredCode(ReadDirectionText(term.m_symbol, kWireDirPrefix, term.m_nPin).value_or(""));
        term.m_strTube =
            StoredCode(ReadDirectionText(term.m_symbol, kTubeDirPrefix, term.m_nPin).value_or(""));
    }
    m_nSymbols = static_cast<int>(references.size());
    // Duplicates: of two records of one terminal the later is hidden unless the earlier was
    // renumbered; each representative lists the later hidden ones.
    for (std::size_t i = 0; i < m_terms.size(); ++i) {
        for (std::size_t j = i + 1; j < m_terms.size(); ++j) {
            if (!m_terms[i].m_bShown || !m_terms[j].m_bShown ||
                !SameTerminal(m_terms[i], m_terms[j]))
                continue;
            if (!m_terms[i].m_bRenumbered)
                m_terms[j].m_bShown = false;
            else
                m_terms[i].m_bShown = false;
        }
    }
    for (std::size_t i = 0; i < m_terms.size(); ++i) {
        if (!m_terms[i].m_bShown)
            continue;
        for (std::size_t j = i + 1; j < m_terms.size(); ++j)
            if (!m_terms[j].m_bShown && SameTerminal(m_terms[i], m_terms[j]))
                m_terms[i].m_duplicates.push_back(static_cast<int>(j));
    }
    return true;
}

bool CNyuusenhoukouShijiDlg::OnInitDialog() {
    if (!LoadDialogTemplate(*this) || !m_grid.Create(*this, kIdGrid))
        return false;
    SetWindowText(LoadResourceString(IDS_CAPTION_DIRECTION_GENERAL));
    if (const ui::Control* grid = m_grid.Grid())
        SetPlacement({0, 0, grid->width + 40, grid->height + 160});

    // The tags of the selection, each symbol once.
    std::vector<std::string> tags;
    std::set<AcDbObjectId> counted;
    for (const CTerm& term : m_terms)
        if (term.m_bShown && counted.insert(term.m_symbol).second)
            tags.push_back(term.m_strTag);
    std::string text;
    if (tags.size() == 1)
        text = tags[0];
    else if (tags.size() == 2)
        text = tags[0] + "," + tags[1];
    else if (tags.size() > 2)
        text = tags.front() + ",..." + tags.back();
    if (ui::Control* label = GetDlgItem(kIdTags)) {
        label->text = text;
        label->visible = !text.empty();
    }

    m_codes = CodeTable(g_b3DMode, m_nSymbols > 1);
    m_grid.SetMaxCols(4);
    m_grid.TSpread::SetData(1, 0, LoadResourceString(IDS_COLUMN_CONNECTOR_TAG));
    m_grid.TSpread::SetData(2, 0, LoadResourceString(IDS_COLUMN_TERMINAL_NUMBER));
    m_grid.TSpread::SetData(3, 0, LoadResourceString(IDS_COLUMN_WIRE_DIRECTION));
    m_grid.TSpread::SetData(4, 0, LoadResourceString(IDS_COLUMN_TUBE_DIRECTION));
    m_grid.SetLockRange(1, -1, 2, -1, true);
    m_grid.SetBool(TSpread::kOptionMultiSelBlocks, true);
    m_grid.ScaleColumnWidths(kWidths);
    SetDirections(false);
    return true;
}

void CNyuusenhoukouShijiDlg::BuildRows() {
    m_grid.SetMaxRows(0);
    for (CTerm& term : m_terms) {
        if (!term.m_bShown)
            continue;
        const std::string key = term.m_strConnector + "\t" + term.m_strTerminalNo;
        int row = 0;
        for (int r = 1; r <= m_grid.GetMaxRows() && row == 0; ++r)
            if (m_grid.TSpread::GetData(1, r) + "\t" + m_grid.TSpread::GetData(2, r) == key)
                row = r;
        if (row == 0) {
            row = m_grid.GetMaxRows() + 1;
            m_grid.SetMaxRows(row);
            m_grid.TSpread::SetData(1, row, term.m_strConnector);
            m_grid.TSpread::SetData(2, row, term.m_strTerminalNo);
        }
        term.m_nRow = row;
    }
}

std::string CNyuusenhoukouShijiDlg::DefaultCode(const CTerm& term) const {
    const std::string_view list = OfferedCodes(g_b3DMode);
    if (IsCodeIn(term.m_cDefaultWire, list))
        return std::string(1, static_cast<char>(term.m_cDefaultWire));
    if (!term.m_strDefaultWire.empty() &&
        IsCodeIn(static_cast<unsigned char>(term.m_strDefaultWire[0]), list))
        return term.m_strDefaultWire.substr(0, 1);
    return "_";
}

void CNyuusenhoukouShijiDlg::SetDirections(bool defaults) {
    BuildRows();
    const std::string list = m_codes.ComboList();
    for (int row = 1; row <= m_grid.GetMaxRows(); ++row) {
        m_grid.TSpread::SetTypeComboBox(3, row, list);
        m_grid.TSpread::SetTypeComboBox(4, row, list);
    }
    const int last = m_codes.Count() - 1;
    std::set<std::pair<int, int>> used;
    for (const CTerm& term : m_terms) {
        if (!term.m_bShown)
            continue;
        for (int column : {3, 4}) {
            std::string code;
            if (defaults) {
                // The default text's first letter, else the default code in the mode's list.
                code = !term.m_strDefaultWire.empty() ? term.m_strDefaultWire.substr(0, 1)
                                                      : DefaultCode(term);
            } else {
                code = column == 3 ? term.m_strWire : term.m_strTube;
                if (code.empty())
                    code = DefaultCode(term);
            }
            int index = m_codes.IndexOf(code == "_" ? "" : code);
            if (!used.insert({term.m_nRow, column}).second &&
                m_grid.TSpread::ComboGetCurSel(column, term.m_nRow) != index)
                index = last;
            m_grid.TSpread::ComboSetCurSel(column, term.m_nRow, index);
        }
    }
}

void CNyuusenhoukouShijiDlg::ApplyCode(char code) {
    const std::string& label = m_codes.LabelOf(std::string(1, code));
    const int rows = m_grid.GetMaxRows();
    const auto setBlock = [&](const ui::CellBlock& block, bool lockedToo) {
        const int c1 = std::min(block.column1, block.column2);
        const int c2 = std::max(block.column1, block.column2);
        const int r1 = block.WholeColumns() ? 1 : std::min(block.row1, block.row2);
        const int r2 = block.WholeColumns() ? rows : std::max(block.row1, block.row2);
        for (int column = std::max(c1, 3); column <= c2; ++column)
            for (int row = std::max(r1, 1); row <= std::min(r2, rows); ++row)
                if (lockedToo || !m_grid.TSpread::GetLock(column, row))
                    m_grid.TSpread::SetData(column, row, label);
    };
    const std::vector<ui::CellBlock> blocks = m_grid.GetMultiSelBlocks();
    if (m_grid.GetBool(TSpread::kOptionMultiSelBlocks) && blocks.size() > 1) {
        for (const ui::CellBlock& block : blocks)
            setBlock(block, false);
        return;
    }
    ui::CellBlock block;
    if (blocks.size() == 1 && m_grid.GetSelectBlock(block)) {
        // Whole columns: every row of each selected column beyond the two locked ones.
        setBlock(block, block.WholeColumns());
        return;
    }
    int column = 0, row = 0;
    if (m_grid.GetActiveCell(column, row) && column > 2 && row >= 1 &&
        !m_grid.TSpread::GetLock(column, row))
        m_grid.TSpread::SetData(column, row, label);
}

void CNyuusenhoukouShijiDlg::Recompute3DDefaults() {
    if (m_plates.Plates().empty())
        m_plates.Build(CurrentDatabase());
    for (CTerm& term : m_terms) {
        if (!term.m_bShown)
            continue;
        const CTerm* source = nullptr;
        const std::string key = ProjectKey(term);
        for (const CTerm& candidate : m_database)
            if (ProjectKey(candidate) == key) {
                source = &candidate;
                break;
            }
        if (source == nullptr)
            continue;
        Default3DInput input;
        {
            CBlockRefEnt reference;
            if (!reference.open(term.m_symbol, AcDb::kForRead))
                continue;
            input.normal = reference->normal();
            input.rotation = reference->rotation();
        }
        input.letter = !source->m_strDefaultWire.empty()
                           ? source->m_strDefaultWire[0]
                           : static_cast<char>(source->m_cDefaultWire);
        const std::string reverse = AttributeText(term.m_symbol, "REVERSE").value_or("");
        input.reverse = !reverse.empty() && std::atoi(reverse.c_str()) != 0;
        input.mirroredByCount = source->m_nMirrorCount > 0;
        input.mirroredFlag = source->m_nMirrored != 0;
        input.backSideText = source->m_bBackSide;
        const std::string plate = AttributeText(term.m_symbol, "WP_PLATENAME").value_or("");
        input.plate = m_plates.Find(CPlateList::PlateName(term.m_strPanelNo, plate, false));
        const char letter = Default3DDirection(input);
        if (letter != ' ' && letter != '\0' && letter != '0')
            term.m_strDefaultWire = std::string(1, letter);
    }
}

void CNyuusenhoukouShijiDlg::OnCommand(int id) {
    switch (id) {
        case kIdDown:
            ApplyCode('T');
            break;
        case kIdUp:
            ApplyCode('B');
            break;
        case kIdRight:
            ApplyCode('L');
            break;
        case kIdLeft:
            ApplyCode('R');
            break;
        case kIdDone:
            if (g_b3DMode)
                ApplyCode('N');
            break;
        case kIdReset:
            if (g_b3DMode)
                Recompute3DDefaults();
            SetDirections(true);
            break;
        default:
            break;
    }
}

void CNyuusenhoukouShijiDlg::OnSize(const ui::WindowPlacement& previous) {
    ui::Control* grid = m_grid.Grid();
    const ui::WindowPlacement& now = Placement();
    if (grid == nullptr || previous.width <= 0 || previous.height <= 0)
        return;
    grid->width = std::max(40, grid->width + now.width - previous.width);
    grid->height = std::max(40, grid->height + now.height - previous.height);
    m_grid.ScaleColumnWidths(kWidths);
}

void CNyuusenhoukouShijiDlg::OnOK() {
    AcDbDatabase* database = CurrentDatabase();
    std::vector<CLayerState> layers;
    CollectLayerStates(database, layers);
    ReleaseAllLayers(layers);

    // The values of each row, for its records and their duplicates.
    for (int row = 1; row <= m_grid.GetMaxRows(); ++row) {
        const std::optional<std::string> wire =
            m_codes.CodeOfLabel(m_grid.TSpread::GetData(3, row));
        const std::optional<std::string> tube =
            m_codes.CodeOfLabel(m_grid.TSpread::GetData(4, row));
        for (CTerm& term : m_terms) {
            if (!term.m_bShown || term.m_nRow != row)
                continue;
            std::vector<CTerm*> followers{&term};
            for (int d : term.m_duplicates)
                followers.push_back(&m_terms[static_cast<std::size_t>(d)]);
            for (CTerm* record : followers) {
                if (wire)
                    record->m_strWire = *wire;
                if (tube)
                    record->m_strTube = *tube;
            }
        }
    }
    std::vector<CTerm> shown;
    for (const CTerm& term : m_terms)
        if (term.m_bShown)
            shown.push_back(term);
    if (g_b3DMode) {
        for (CTerm& term : shown)
            FillPinOffset(term);
        if (m_plates.Plates().empty())
            m_plates.Build(database);
    }
    DirectionWrite how;
    how.clearFirst = m_nSymbols == 1;
    how.manySymbols = m_nSymbols > 1;
    how.writeEmpty = true;
    how.plates = g_b3DMode ? &m_plates : nullptr;
    WriteDirectionsAndMarks(shown, how);
    RestoreLayerStates(layers);
    EndDialog(ui::kIdOk);
}

void GeneralDirectionCommand() {
    CSokucyou context;
    CAutoVar snap;
    snap.Set("SNAPMODE", 0);
    const std::string caption = LoadResourceString(IDS_CAPTION_DIRECTION_GENERAL);
    std::string path;
    if (!CheckDirectionDrawing(context, caption, path))
        return;

    std::string prompt;
    context.LoadMsg(IDS_SELECT_BAN_SYMBOL, prompt);
    CSelection selection;
    if (!CSokucyou::SelectBlockRefs(prompt.c_str(), selection))
        return;
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < selection.length(); ++i)
        ids.push_back(selection.at(i));
    std::vector<CTerm> components, terminals;
    std::vector<AcDbObjectId> marks;
    std::string panelNo;
    CollectFromSelection(ids, components, terminals, marks, panelNo, false);
    // Only general components are taken; anything else is said once.
    std::set<AcDbObjectId> accepted;
    for (const CTerm& term : components)
        accepted.insert(term.m_symbol);
    if (accepted.size() < ids.size()) {
        std::string text;
        context.LoadMsg(IDS_SELECTION_NOT_CORRECT, text);
        acutPrintf("\n%s", text.c_str());
    }
    if (components.empty())
        return;

    CNyuusenhoukouShijiDlg dialog;
    if (!dialog.Initialize(path, caption) || !dialog.Fill(components))
        return;
    dialog.DoModal();
}

}  // namespace routix
