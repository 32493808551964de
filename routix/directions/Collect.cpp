#include "directions/Collect.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "directions/Direction.h"
#include "frame/Frame.h"
#include "frame/MessageBox.h"
#include "frame/MessageIds.h"
#include "services/attributes.h"
#include "services/symbols.h"
#include "services/wim.h"

namespace routix {

namespace {

constexpr int kMaxPins = 500;

/// The attribute `tag` of the view; nothing when absent.
std::optional<std::string> Attr(const zelko::SymAttrs* attrs, std::string_view tag) {
    char* value = nullptr;
    if (!zelko::SymAttr(attrs, tag, value)) {
        zelko::SymTextFree(value);
        return std::nullopt;
    }
    std::string text = value != nullptr ? value : "";
    zelko::SymTextFree(value);
    return text;
}

/// The NAME of a maker symbol; nothing when the entity is none.
std::optional<std::string> SymbolName(AcDbObjectId id) {
    zelko::SymAttrs* attrs = nullptr;
    if (!zelko::SymAttrsOpen(id, "NAME", attrs))
        return std::nullopt;
    std::optional<std::string> name = Attr(attrs, "NAME");
    zelko::SymAttrsClose(attrs);
    return name.value_or("");
}

}  // namespace

bool IsCombinationTerminal(const AcDbBlockReference* reference, const std::string& name) {
    AcDbDatabase* database = reference->database();
    AcDbDictionary* groups = nullptr;
    if (database == nullptr || database->getGroupDictionary(groups, AcDb::kForRead) != Acad::eOk)
        return false;
    std::unique_ptr<AcDbDictionaryIterator> it(groups->newIterator());
    groups->close();
    const AcDbObjectId self = reference->objectId();
    for (; it != nullptr && !it->done(); it->next()) {
        if (it->name() == nullptr || it->name()[0] != '*')
            continue;
        AcDbGroup* group = nullptr;
        if (acdbOpenObject(group, it->objectId(), AcDb::kForRead) != Acad::eOk)
            continue;
        AcDbObjectIdArray members;
        group->allEntityIds(members);
        const bool candidate = group->numEntries() > 1 && group->has(self);
        group->close();
        if (!candidate)
            continue;
        for (const AcDbObjectId member : members) {
            if (member == self)
                continue;
            const std::optional<std::string> other = SymbolName(member);
            if (!other || *other != name)
                return false;
        }
        return true;
    }
    return false;
}

int CollectFromSelection(const std::vector<AcDbObjectId>& ids, std::vector<CTerm>& components,
                         std::vector<CTerm>& terminals, std::vector<AcDbObjectId>& marks,
                         std::string& panelNo, bool report) {
    EnsureRegApp(kPinOffsetApp);
    int added = 0;
    bool reported = false;
    const auto reject = [&] {
        if (report && !reported) {
            std::string text;
            CMessageBox().LoadMsg(IDS_SELECTION_NOT_CORRECT, text);
            acutPrintf("\n%s", text.c_str());
        }
        reported = true;
    };
    for (const AcDbObjectId id : ids) {
        CBlockRefEnt reference;
        if (!reference.open(id, AcDb::kForRead)) {
            reject();
            continue;
        }
        char block[256] = {};
        if (BlockNameOf(reference.get(), block, sizeof block) &&
            (common::EqualsNoCase(block, "WIREDIRECTION") ||
             common::EqualsNoCase(block, "TUBEDIRECTION"))) {
            marks.push_back(id);
            continue;
        }
        zelko::SymAttrs* attrs = nullptr;
        if (!zelko::SymAttrsOpen(reference.get(), "BAN_NO,INST_NO,NAME*,OP_NAME,PIN#*", attrs)) {
            reject();
            continue;
        }
        const std::string type = zelko::SymTypeName(zelko::SymAttrsHandle(attrs));
        bool term = common::EqualsNoCase(type, "TERM");
        if (!term && !common::EqualsNoCase(type, "BAN")) {
            zelko::SymAttrsClose(attrs);
            reject();
            continue;
        }
        const std::string name = Attr(attrs, "NAME").value_or("");
        if (term && Attr(attrs, "PIN2")) {
            if (!g_b3DMode) {
                term = false;
            } else if (!IsCombinationTerminal(reference.get(), name)) {
                zelko::SymAttrsClose(attrs);
                reject();
                continue;
            }
        }
        CTerm record;
        record.m_bTerm = term;
        record.m_strKind = term ? "TERM" : "BAN";
        record.m_dRotation = reference->rotation();
        record.m_insert = reference->position();
        record.m_symbol = id;
        record.m_strOpName = Attr(attrs, "OP_NAME").value_or("");
        record.m_strTag = name + record.m_strOpName;
        if (record.m_strTag.empty()) {
            zelko::SymAttrsClose(attrs);
            reject();
            continue;
        }
        record.m_strPanelNo = Attr(attrs, "BAN_NO").value_or("");
        record.m_strUnit = Attr(attrs, "INST_NO").value_or("");
        if (term) {
            if (const std::optional<std::string> pin1 = Attr(attrs, "PIN1")) {
                record.m_strTerminalNo = *pin1;
                record.m_nDefaultPin = record.m_nPin = 1;
            }
        }
        if (g_b3DMode && panelNo.empty())
            panelNo = record.m_strPanelNo;
        std::vector<CTerm>& list = term ? terminals : components;
        list.push_back(record);
        ++added;
        for (int n = 2; term && g_b3DMode && n <= kMaxPins; ++n) {
            const std::optional<std::string> pin = Attr(attrs, "PIN" + std::to_string(n));
            if (!pin)
                break;
            CTerm repeat = record;
            repeat.m_strTerminalNo = *pin;
            repeat.m_nDefaultPin = repeat.m_nPin = n;
            list.push_back(std::move(repeat));
            ++added;
        }
        zelko::SymAttrsClose(attrs);
    }
    return added;
}

bool LookUp3DPinNumbers(std::vector<CTerm>& database, std::vector<CTerm>& selected,
                        const std::string& folder) {
    if (!g_b3DMode)
        return false;
    const std::filesystem::path file = zelko::WimFileOfFolder(folder);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        return false;
    zelko::WimDb* db = zelko::WimOpen(file, 0);
    if (db == nullptr)
        return false;
    const auto firstText = [&](std::string_view query,
                               std::initializer_list<std::string_view> values, int* rows) {
        zelko::WimRecords* records = zelko::WimExecute(db, query, values);
        std::string text;
        int count = 0;
        for (; records != nullptr && !zelko::WimEof(records); zelko::WimMoveNext(records)) {
            if (count++ == 0)
                text = zelko::WimVariantText(zelko::WimField(records, 0));
            if (rows == nullptr)
                break;
        }
        zelko::WimRecordsFree(records);
        if (rows != nullptr)
            *rows = count;
        return text;
    };
    bool anyFound = false;
    std::map<std::string, std::string> cache;
    std::set<AcDbObjectId> symbols;
    for (const CTerm& term : selected)
        symbols.insert(term.m_symbol);
    for (const AcDbObjectId symbol : symbols) {
        zelko::SymAttrs* attrs = nullptr;
        if (!zelko::SymAttrsOpen(symbol, "BAN_NO,NAME*,B_CODE", attrs))
            continue;
        const bool term =
            common::EqualsNoCase(zelko::SymTypeName(zelko::SymAttrsHandle(attrs)), "TERM");
        const std::string code = Attr(attrs, "B_CODE").value_or("");
        zelko::SymAttrsClose(attrs);
        if (!term || code.empty())
            continue;
        int rows = 0;
        firstText(zelko::kWimPinRowsOfPart, {code}, &rows);
        if (rows < 2) {
            for (CTerm& record : selected)
                if (record.m_symbol == symbol)
                    record.m_bNoDirection = false;
            continue;
        }
        bool found = false;
        for (CTerm& record : database) {
            if (record.m_symbol != symbol)
                continue;
            const std::string key = code + "\t" + record.m_strTerminalNo;
            auto cached = cache.find(key);
            if (cached == cache.end())
                cached = cache
                             .emplace(key, firstText(zelko::kWimPinNoOfTerminal,
                                                     {code, record.m_strTerminalNo}, nullptr))
                             .first;
            if (!cached->second.empty()) {
                record.m_nDefaultPin = std::atoi(cached->second.c_str());
                found = true;
            }
        }
        if (!found)
            continue;
        anyFound = true;
        for (CTerm& record : selected) {
            if (record.m_symbol != symbol)
                continue;
            record.m_bNoDirection = true;
            record.m_nDefaultPin = record.m_nPin = 0;
            for (const CTerm& source : database) {
                if (source.m_symbol == symbol &&
                    common::EqualsNoCase(source.m_strTerminalNo, record.m_strTerminalNo)) {
                    record.m_bNoDirection = source.m_bNoDirection;
                    record.m_nDefaultPin = source.m_nDefaultPin;
                    record.m_nPin = source.m_nPin;
                    break;
                }
            }
        }
    }
    zelko::WimClose(db);
    return anyFound;
}

}  // namespace routix
