#include "extract/ExtractInfo.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

#include "common/text.h"
#include "drawings/PathText.h"
#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/attributes.h"
#include "services/numtext.h"
#include "services/routecut.h"
#include "services/symbols.h"

namespace routix {

const std::array<const char*, COutputData::kColumnCount> COutputData::kColumnNames = {
    ";Key",
    "Handle",
    "Page",
    "ComponentTag",
    "PanelName",
    "PlateName",
    "Address",
    "Angle",
    "SymbolName",
    "Xcoor",
    "Ycoor",
    "SymbolIdent",
    "RouteCut",
    "TerminalNumber",
    "SurplusLength",
    "TermInputDirection",
    "TubeInputDirection",
    "InstUnit",
    "Zcoor"};

namespace {

/// The first string of `application`'s extended data on `object`, when its first item is a
/// string; nothing otherwise.
bool FirstString(const AcDbObject* object, const char* application, std::string& text,
                 bool mustBeFirst) {
    CDxf data;
    if (!data.read(object, application) || data.head() == nullptr)
        return false;
    const resbuf* item = mustBeFirst ? data.head()->rbnext : data.first(1000);
    if (item == nullptr || item->restype != 1000 || item->resval.rstring == nullptr)
        return false;
    text = item->resval.rstring;
    return true;
}

/// Every string of `application`'s extended data on `object`.
std::vector<std::string> Strings(const AcDbObject* object, const char* application) {
    std::vector<std::string> texts;
    CDxf data;
    if (!data.read(object, application) || data.head() == nullptr)
        return texts;
    for (const resbuf* item = data.head()->rbnext; item != nullptr; item = item->rbnext)
        if (item->restype == 1000 && item->resval.rstring != nullptr)
            texts.emplace_back(item->resval.rstring);
    return texts;
}

/// The text of attribute `tag` of a reference (empty when it has none); true when present.
bool AttrText(AcDbObjectId reference, std::string_view tag, std::string& text) {
    const std::optional<std::string> found = AttributeText(reference, tag);
    text = found.value_or("");
    return found.has_value();
}

/// The symbol type of a reference held open, empty when it is no maker symbol.
std::string SymbolType(const AcDbBlockReference* reference) {
    zelko::SymInfo* info = zelko::SymInfoOpen(reference);
    std::string type = info != nullptr ? zelko::SymTypeName(info) : "";
    zelko::SymInfoFree(info);
    return type;
}

/// The decimal number at the start of `text`, 0 when there is none; capped above the
/// largest index read.
int IndexOf(std::string_view text) {
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + (c - '0');
        if (n > kMaxDirectionIndex)
            return kMaxDirectionIndex + 1;
    }
    return static_cast<int>(n);
}

std::string RToS(double value) {
    char text[64] = {};
    acdbRToS(value, 2, 2, text, sizeof text);
    return text;
}

/// Rotation in degrees in [0, 360), as the key file writes it.
std::string AngleText(double rotation) {
    double turns = std::fmod(rotation / std::numbers::pi, 2.0);
    if (turns < 0)
        turns += 2.0;
    if (turns >= 2.0)
        turns = 0;
    return RToS(turns * 180.0);
}

/// Entry `i` of a list, empty past its end (a shorter list counts as empty there).
const std::string& At(const std::vector<std::string>& list, std::size_t i) {
    static const std::string empty;
    return i < list.size() ? list[i] : empty;
}

void Grow(std::vector<std::string>& list, std::size_t n, const char* filler) {
    if (list.size() < n)
        list.resize(n, filler);
}

bool CollectModelSpace(AcDbDatabase* database, std::vector<CSymbol>& symbols,
                       std::vector<CMen>& plates) {
    return ForEachModelSpaceEntity(
        database, Source::ExtractInfo, UnreadableEntity::Stop,
        [&](AcDbObjectId id, CEntity& entity) {
            if (const AcDbBlockReference* reference = AcDbBlockReference::cast(entity.entity())) {
                CSymbol symbol;
                symbol.m_id = id;
                symbol.m_position = reference->position();
                AttrText(id, "WP_PLATE_ADRS", symbol.m_strAddress);
                FirstString(reference, kPlateApp, symbol.m_strPlate, false);
                symbol.m_strType = SymbolType(reference);
                AttrText(id, "NAME", symbol.m_strName);
                symbol.m_ductNos = Strings(reference, kDuctNoApp);
                symbols.push_back(std::move(symbol));
            } else if (const AcDbPolyline* outline = AcDbPolyline::cast(entity.entity())) {
                CMen plate;
                if (outline->numVerts() <= 3 ||
                    !FirstString(outline, kPlateApp, plate.m_strName, true))
                    return true;
                plate.m_id = id;
                for (unsigned int v = 0; v < outline->numVerts(); ++v) {
                    AcGePoint3d point;
                    outline->getPointAt(v, point);
                    if (v == 0) {
                        plate.m_min = plate.m_max = point;
                        continue;
                    }
                    plate.m_min.set(std::min(plate.m_min.x, point.x),
                                    std::min(plate.m_min.y, point.y),
                                    std::min(plate.m_min.z, point.z));
                    plate.m_max.set(std::max(plate.m_max.x, point.x),
                                    std::max(plate.m_max.y, point.y),
                                    std::max(plate.m_max.z, point.z));
                }
                plates.push_back(std::move(plate));
            }
            return true;
        });
}

}  // namespace

bool CollectSymbols(AcDbDatabase* database, std::vector<CSymbol>& symbols) {
    std::vector<CMen> plates;
    return CollectSymbols(database, symbols, plates);
}

bool CollectSymbols(AcDbDatabase* database, std::vector<CSymbol>& symbols,
                    std::vector<CMen>& plates) {
    if (!CollectModelSpace(database, symbols, plates))
        return false;
    for (CSymbol& symbol : symbols) {
        const AcGePoint3d& p = symbol.m_position;
        for (const CMen& plate : plates) {
            if (plate.m_min.x < p.x && p.x < plate.m_max.x && plate.m_min.y < p.y &&
                p.y < plate.m_max.y) {
                symbol.m_strPlate = plate.m_strName;
                break;
            }
        }
    }
    std::stable_sort(symbols.begin(), symbols.end(), [](const CSymbol& a, const CSymbol& b) {
        for (auto field : {&CSymbol::m_strPlate, &CSymbol::m_strAddress, &CSymbol::m_strName,
                           &CSymbol::m_strPanelNo}) {
            if (const int order = zelko::NaturalCompare(a.*field, b.*field); order != 0)
                return order < 0;
        }
        return false;
    });
    return true;
}

namespace {

/// The work lists of one symbol, indexed by terminal index n - 1.
struct DirectionLists {
    std::vector<std::string> wire;
    std::vector<std::string> tube;
    std::vector<std::string> terminal;
    std::vector<std::string> connector;
};

/// Reads the entry-direction attributes of an open reference into `lists`.
void ReadDirections(const AcDbBlockReference* reference, bool isTerm, const std::string& pin1,
                    DirectionLists& lists) {
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    std::string lastTerminal;
    std::string lastConnector;
    for (; it != nullptr && !it->done(); it->step()) {
        const AcDbObjectId id = it->objectId();
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, id, AcDb::kForRead) != Acad::eOk)
            continue;
        CRecord<AcDbAttribute> held;
        held.attach(attribute);
        const std::string tag = attribute->tagName();
        const bool wire = CPathText::StartsWithNoCase(tag, "WireDirection");
        const bool tube = !wire && CPathText::StartsWithNoCase(tag, "TubeDirection");
        if (!wire && !tube)
            continue;
        char* own = nullptr;
        if (zelko::AttrOwnText(id, own) == 0) {
            zelko::AttrFreeValue(own);
            continue;
        }
        const std::string text = own != nullptr ? own : "";
        zelko::AttrFreeValue(own);
        const int n = IndexOf(std::string_view(tag).substr(13));
        // "WireDirection" alone names no terminal, and an index beyond the last that is read
        // would only grow the lists.
        if (n < 1 || n > kMaxDirectionIndex)
            continue;
        const auto index = static_cast<std::size_t>(n - 1);
        if (wire) {
            std::string terminal;
            std::string connector;
            FirstString(attribute, kTerminalNoApp, terminal, false);
            FirstString(attribute, kConnectorApp, connector, false);
            if (isTerm && terminal.empty())
                terminal = pin1;
            lastTerminal = terminal;
            lastConnector = connector;
            Grow(lists.wire, index + 1, "_");
            Grow(lists.terminal, index + 1, "");
            Grow(lists.connector, index + 1, "");
            if (!text.empty()) {
                lists.wire[index] = text;
                lists.terminal[index] = terminal;
                lists.connector[index] = connector;
            }
        } else {
            Grow(lists.tube, index + 1, "_");
            Grow(lists.terminal, index + 1, "");
            Grow(lists.connector, index + 1, "");
            if (!text.empty()) {
                lists.tube[index] = text;
                lists.terminal[index] = lastTerminal;
                lists.connector[index] = lastConnector;
            }
        }
    }
}

/// Without any wire direction: every "PIN<n>" tag grows all four lists with "_".
void PadFromPins(const AcDbBlockReference* reference, DirectionLists& lists) {
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; it != nullptr && !it->done(); it->step()) {
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, it->objectId(), AcDb::kForRead) != Acad::eOk)
            continue;
        CRecord<AcDbAttribute> held;
        held.attach(attribute);
        const std::string tag = attribute->tagName();
        if (!CPathText::StartsWithNoCase(tag, "PIN"))
            continue;
        const int n = IndexOf(std::string_view(tag).substr(3));
        if (n < 1 || n > kMaxDirectionIndex)
            continue;
        for (auto* list : {&lists.terminal, &lists.connector, &lists.wire, &lists.tube})
            Grow(*list, static_cast<std::size_t>(n), "_");
    }
}

/// "terminal:connector:direction" for every entry of `directions` with a terminal number.
std::string JoinDirections(const DirectionLists& lists,
                           const std::vector<std::string>& directions) {
    std::string joined;
    for (std::size_t i = 0; i < directions.size(); ++i) {
        if (At(lists.terminal, i).empty())
            continue;
        if (!joined.empty())
            joined += ',';
        joined += At(lists.terminal, i) + ":" + At(lists.connector, i) + ":" + directions[i];
    }
    return joined;
}

}  // namespace

bool CExtractInfo::Extract(AcDbDatabase* database, std::vector<COutputData>& rows) {
    std::vector<CSymbol> symbols;
    if (!CollectSymbols(database, symbols))
        return false;

    const ACHAR* fileName = nullptr;
    database->getFilename(fileName);
    const std::string page =
        CPathText::CutDrawingExtension(CPathText::CutFolder(fileName != nullptr ? fileName : ""));
    const std::string panel =
        CPathText::StartsWithNoCase(page, "LAYOUT_") ? page.substr(7) : std::string();
    const char separator = zelko::NameSeparator();

    for (const CSymbol& symbol : symbols) {
        const bool isTerm = common::EqualsNoCase(symbol.m_strType, "TERM");
        if (!isTerm && !common::EqualsNoCase(symbol.m_strType, "BAN")) {
            // The message is a printf form with one text; it is expanded here, never used as
            // a format, so a type holding "%" stays as it is.
            std::string text = LoadResourceString(IDS_SYMBOL_TYPE);
            if (const std::size_t at = text.find("%s"); at != std::string::npos)
                text.replace(at, 2, symbol.m_strType);
            acutPrintf("%s", text.c_str());
            continue;
        }
        COutputData row;
        row[COutputData::Key] = page + "-";
        char handle[17] = {};
        if (HandleTextOf(symbol.m_id, handle, sizeof handle)) {
            row[COutputData::Key] += handle;
            row[COutputData::Handle] = handle;
        }
        char* joined = nullptr;
        if (zelko::AttrGetJoined(symbol.m_id, "NAME", joined) != 0 && joined != nullptr) {
            for (const char* c = joined; *c != '\0'; ++c)
                if (*c != separator)
                    row[COutputData::ComponentTag] += *c;
        }
        zelko::AttrFreeValue(joined);
        row[COutputData::Page] = page;
        row[COutputData::PanelName] = panel;
        row[COutputData::PlateName] = symbol.m_strPlate;
        row[COutputData::Address] =
            symbol.m_strAddress.empty() ? row[COutputData::ComponentTag] : symbol.m_strAddress;
        row[COutputData::SymbolIdent] = symbol.m_strType;

        CBlockRefEnt reference;
        if (!reference.open(symbol.m_id, AcDb::kForRead)) {
            ROUTIX_STATUS_ERROR(
                Source::ExtractInfo, "acdbOpenObject",
                reference.status() != Acad::eOk ? reference.status() : Acad::eNotThatKindOfClass);
            continue;
        }
        char blockName[512] = {};
        if (BlockNameOf(reference.get(), blockName, sizeof blockName))
            row[COutputData::SymbolName] = blockName;
        row[COutputData::Angle] = AngleText(reference->rotation());
        const AcGePoint3d position = reference->position();
        row[COutputData::Xcoor] = RToS(position.x);
        row[COutputData::Ycoor] = RToS(position.y);
        row[COutputData::Zcoor] = RToS(position.z);

        std::vector<std::string> pins;
        for (int n = 1;; ++n) {
            char* value = nullptr;
            const bool found = zelko::AttrGetPin(symbol.m_id, n, value) != 0;
            if (found)
                pins.emplace_back(value != nullptr ? value : "");
            zelko::AttrFreeValue(value);
            if (!found)
                break;
        }
        row[COutputData::TerminalNumber] = pins.empty() ? "" : pins.front();
        AttrText(symbol.m_id, "ADDITION", row[COutputData::SurplusLength]);
        AttrText(symbol.m_id, "INST_NO", row[COutputData::InstUnit]);
        std::string operation;
        if (AttrText(symbol.m_id, "OP_NAME", operation))
            row[COutputData::ComponentTag] += operation;

        DirectionLists lists;
        ReadDirections(reference.get(), isTerm, row[COutputData::TerminalNumber], lists);
        if (lists.wire.empty())
            PadFromPins(reference.get(), lists);

        int* cuts = nullptr;
        int cutCount = 0;
        if (zelko::RouteCutList(symbol.m_id, database, cuts, cutCount) && cutCount > 0) {
            for (int i = 0; i < cutCount; ++i) {
                if (i > 0)
                    row[COutputData::RouteCut] += ',';
                row[COutputData::RouteCut] += std::to_string(cuts[i]);
            }
        }
        zelko::RouteCutFree(cuts);

        if (isTerm && pins.size() >= 2) {
            row[COutputData::SymbolIdent] = "BAN";
            const std::size_t count = std::min(pins.size(), lists.wire.size());
            for (std::size_t i = 0; i < count; ++i) {
                if (pins[i].empty())
                    pins[i] = std::to_string(i + 1);
                const std::string prefix =
                    At(lists.terminal, i) + ":" + At(lists.connector, i) + ":";
                row[COutputData::TermInputDirection] = prefix + At(lists.wire, i);
                row[COutputData::TubeInputDirection] = prefix + At(lists.tube, i);
                row[COutputData::TerminalNumber] = pins[i];
                rows.push_back(row);
            }
            continue;
        }
        row[COutputData::TermInputDirection] = JoinDirections(lists, lists.wire);
        row[COutputData::TubeInputDirection] = JoinDirections(lists, lists.tube);
        if (isTerm) {
            for (const std::string& pin : pins) {
                row[COutputData::TerminalNumber] = pin;
                rows.push_back(row);
            }
        } else {
            rows.push_back(std::move(row));
        }
    }
    return true;
}

}  // namespace routix
