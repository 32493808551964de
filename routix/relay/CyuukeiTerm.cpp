#include "relay/CyuukeiTerm.h"

#include <iterator>
#include <map>
#include <unordered_map>

#include "common/text.h"
#include "drawings/Sokucyou.h"
#include "frame/Frame.h"
#include "frame/MessageIds.h"
#include "frame/RoutixLog.h"
#include "services/bom.h"
#include "services/maker.h"
#include "services/numtext.h"
#include "services/project.h"
#include "services/termlist.h"
#include "services/wim.h"
#include "services/wiringplan.h"

namespace routix {

namespace fs = std::filesystem;

namespace {

/// Releases what the wiring-plan and terminal-list services handed out.
struct PlanHandles {
    zelko::WpData* plan = zelko::WpDataInit();
    zelko::TermList* list = zelko::TermListInit(zelko::TermListKind::RelayTerminals);
    zelko::BomDb* parts = nullptr;
    ~PlanHandles() {
        zelko::BomClose(parts);
        zelko::TermListClose(list);
        zelko::TermListFree(list);
        zelko::WpDataFree(plan);
    }
};

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

/// Order number when the two differ and one is not negative, else terminal number (natural
/// order, without regard to case), missing numbers first.
int CompareRelayTerms(const zelko::Term* a, const zelko::Term* b) {
    const int orderA = zelko::TermOrderNo(a);
    const int orderB = zelko::TermOrderNo(b);
    if (orderA != orderB && (orderA >= 0 || orderB >= 0))
        return orderA < orderB ? -1 : 1;
    const char* numberA = zelko::TermTerminalNo(a);
    const char* numberB = zelko::TermTerminalNo(b);
    if (numberA == nullptr || numberB == nullptr)
        return numberA == numberB ? 0 : (numberA == nullptr ? -1 : 1);
    return zelko::NaturalCompare(numberA, numberB);
}

void PrintReason() {
    acutPrintf("\n%s", zelko::MakerLastError().c_str());
}

}  // namespace

int RelayKindCode(std::string_view kind) {
    if (kind == "BANNAI")
        return zelko::kRelayInsidePanel;
    if (kind == "DOOR")
        return zelko::kRelayOnDoor;
    if (kind == "BANKAN")
        return zelko::kRelayBetweenPanels;
    return 0;
}

void CCyuukeiTerm::clear() {
    m_strBanNo.clear();
    m_strName.clear();
    m_strPin1.clear();
    m_strName2.clear();
    m_strBCode.clear();
    m_strSymbol.clear();
    m_strType.clear();
    m_strSpec.clear();
}

std::string CleanSymbol(std::string_view value) {
    while (!value.empty() && value.front() == '\'')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == '\'')
        value.remove_suffix(1);
    if (value.size() >= 4 && common::EqualsNoCase(value.substr(value.size() - 4), ".dwg"))
        value.remove_suffix(4);
    return std::string(value);
}

bool CPutCyuukeiTerms::Collect(int mode, std::vector<CCyuukeiTerm>& rows, std::string_view kind,
                               std::string_view folder, std::string_view panel,
                               const char* caption) const {
    CMessageBox messages;
    auto fail = [&] {
        messages.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    PlanHandles handles;
    std::string dataFolder;
    if (!zelko::ProjIsOpen() || !zelko::ProjFolder(dataFolder))
        dataFolder = std::string(folder);
    if (!zelko::WpDataOpen(handles.plan, dataFolder))
        return fail();

    // The ids to collect: the plates of the chosen panels (mode 1) or the panel (mode 0).
    std::vector<int> owners;
    if (mode == 1) {
        const zelko::WpPanelList* panels = zelko::WpPanelListOf(handles.plan);
        std::vector<const zelko::WpPanel*> chosen;
        if (g_b3DMode) {
            for (int p = 0; p < zelko::WpPanelCount(panels); ++p)
                chosen.push_back(zelko::WpPanelAt(panels, p));
        } else if (const zelko::WpPanel* named = zelko::WpPanelByName(panels, panel)) {
            chosen.push_back(named);
        }
        if (chosen.empty())
            return fail();
        for (const zelko::WpPanel* chosenPanel : chosen)
            for (int plate = 0; plate < zelko::WpPlateCount(chosenPanel); ++plate)
                owners.push_back(zelko::WpPlateId(chosenPanel, plate));
    } else {
        const int id = zelko::WpPanelIdByNumber(zelko::WpTitlePanelList(handles.plan), panel);
        if (id == 0)
            return fail();
        owners.push_back(id);
    }

    if (!zelko::TermListOpen(handles.list, dataFolder) ||
        (!zelko::TermListLoad(handles.list, zelko::kTermVariantCurrent) &&
         !zelko::TermListLoad(handles.list, zelko::kTermVariantPrevious)))
        return fail();

    const int code = RelayKindCode(kind);
    if (code == 0)
        return true;

    std::string symbolColumn = "bombsym";
    if (g_b3DMode) {
        std::string resolved;
        CSokucyou().GetLayoutFolder(folder, resolved, false);
        const fs::path file =
            zelko::WimFileOfFolder(fs::path(resolved.empty() ? std::string(folder) : resolved));
        if (!CSokucyou::IsFileExist(file.string()))
            return false;
        handles.parts = zelko::BomOpenFile(file);
    } else {
        handles.parts = zelko::BomOpenDefault();
    }
    const zelko::BomTable* table = handles.parts != nullptr
                                       ? zelko::BomFindTable(handles.parts, zelko::BomRole::Parts)
                                       : nullptr;
    if (table == nullptr) {
        PrintReason();
        return false;
    }
    if (g_b3DMode) {
        const zelko::BomColumn* column = zelko::BomFindColumn(table, "BOM3DSYM");
        if (column == nullptr) {
            acutPrintf("\n部品マスタに3Dシンボル(BOM3DSYM属性)が割り当てられていません。");
            return false;
        }
        symbolColumn = zelko::BomFieldName(column);
    }
    const zelko::BomColumn* key = zelko::BomFindColumn(table, "code");
    if (key == nullptr) {
        acutPrintf("\nZELKOBOM: the parts table has no column \"code\"");
        return false;
    }
    const std::string keyField = zelko::BomFieldName(key);

    std::unordered_map<std::string, std::string> symbols;
    auto symbolOf = [&](const std::string& partCode) -> const std::string& {
        const auto known = symbols.find(partCode);
        if (known != symbols.end())
            return known->second;
        std::string symbol;
        // "%s = '%s'" with the part code bound, never pasted into the query.
        if (zelko::BomRows* found = zelko::BomQuery(handles.parts, table, keyField, partCode)) {
            std::string value;
            if (zelko::BomRowsNext(found) && zelko::BomRowsText(found, symbolColumn, value))
                symbol = CleanSymbol(value);
            zelko::BomRowsFree(found);
        }
        return symbols.emplace(partCode, std::move(symbol)).first->second;
    };

    for (const int owner : owners) {
        zelko::TermItems* items = zelko::TermListItems(handles.list);
        zelko::TermItemsFilter(items, [&](const zelko::Term* term) {
            return zelko::TermPanelOrPlateId(term) == owner && zelko::TermKindCode(term) == code;
        });
        zelko::TermItemsSort(items, CompareRelayTerms);
        for (int i = 0; i < zelko::TermItemsCount(items); ++i) {
            const zelko::Term* term = zelko::TermItemsAt(items, i);
            CCyuukeiTerm row;
            row.m_strBanNo = Text(zelko::TermPanelNo(term));
            row.m_strName = Text(zelko::TermComponentTag(term));
            row.m_strPin1 = Text(zelko::TermTerminalNo(term));
            row.m_strName2 = Text(zelko::TermSecondName(term));
            row.m_strBCode = Text(zelko::TermPartCode(term));
            row.m_strType = Text(zelko::TermType(term));
            row.m_strSpec = Text(zelko::TermSpec(term));
            row.m_strSymbol = symbolOf(row.m_strBCode);
            rows.push_back(std::move(row));
        }
        zelko::TermItemsFree(items);
    }
    return true;
}

bool ParamFilePath(std::string_view name, std::string& path) {
    std::string temp;
    if (!CSokucyou::GetTempFolder(temp, true))
        return false;
    path = temp + std::string(name);
    return true;
}

bool WriteParamFile(const std::string& path, const std::vector<CCyuukeiTerm>& rows, bool threeD) {
    const std::string name = CPathText::CutFolder(path);
    return ReplaceThroughLog(
        name + ".new", path, [&](CLog& log, const CWatchingLogReporter& reporter) {
            log.Out(threeD ? "NAME-\tPIN1\tBAN_NO\tBOM3DSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+\r\n"
                           : "NAME-\tPIN1\tBAN_NO\tBOMBSYM\tNAME+\tB_CODE\tTYPE+\tSPEC+\r\n");
            // Each line written whole as one text: the formatted output would cut a line
            // longer than 1023 characters, and the next line would run on from it.
            std::string line;
            for (const CCyuukeiTerm& row : rows) {
                const std::string* fields[] = {&row.m_strName,   &row.m_strPin1, &row.m_strBanNo,
                                               &row.m_strSymbol, &row.m_strName, &row.m_strBCode,
                                               &row.m_strType,   &row.m_strSpec};
                line.clear();
                for (std::size_t f = 0; f < std::size(fields); ++f) {
                    if (f > 0)
                        line += '\t';
                    line += *fields[f];
                }
                line += "\r\n";
                log.OutPlain(line);
                if (reporter.Failed())
                    break;
            }
        });
}

void MergeByPins(std::vector<CCyuukeiTerm>& rows, const fs::path& wimFile, int argument) {
    zelko::WimDb* db = zelko::WimOpen(wimFile, 0);
    if (db == nullptr)
        PrintReason();
    std::unordered_map<std::string, std::vector<std::string>> pinsOfPart;
    auto pinValues = [&](const std::string& partCode) -> const std::vector<std::string>& {
        const auto known = pinsOfPart.find(partCode);
        if (known != pinsOfPart.end())
            return known->second;
        std::vector<std::string> values;
        if (zelko::WimRecords* records =
                zelko::WimExecute(db, zelko::kWimPinValuesOfPart, {partCode})) {
            for (; !zelko::WimEof(records); zelko::WimMoveNext(records)) {
                std::string value = zelko::WimVariantText(zelko::WimField(records, 0));
                if (!value.empty())
                    values.push_back(std::move(value));
            }
            zelko::WimRecordsFree(records);
        }
        return pinsOfPart.emplace(partCode, std::move(values)).first->second;
    };

    // The keys in the order they first appear, each with its rows.
    std::vector<std::string> keys;
    std::unordered_map<std::string, std::vector<std::size_t>> rowsOfKey;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::string key = rows[r].m_strBanNo + "\t" + rows[r].m_strName;
        auto& list = rowsOfKey[key];
        if (list.empty())
            keys.push_back(key);
        list.push_back(r);
    }
    std::vector<CCyuukeiTerm> kept;
    for (const std::string& key : keys) {
        const std::vector<std::size_t>& members = rowsOfKey[key];
        const CCyuukeiTerm& first = rows[members.front()];
        const std::vector<std::string>& pins = pinValues(first.m_strBCode);
        if (argument == 1) {
            if (pins.size() <= 1)
                for (std::size_t r : members)
                    kept.push_back(rows[r]);
        } else if (pins.size() >= 2) {
            CCyuukeiTerm block = first;
            block.m_strPin1.clear();
            for (std::size_t p = 0; p < pins.size(); ++p)
                block.m_strPin1 += (p > 0 ? "," : "") + pins[p];
            kept.push_back(std::move(block));
        }
    }
    zelko::WimClose(db);
    rows = std::move(kept);
}

}  // namespace routix
