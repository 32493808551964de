#include "directions/Direction.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <set>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "extract/ExtractInfo.h"
#include "frame/ConsoleError.h"
#include "frame/Frame.h"
#include "services/attributes.h"
#include "services/maker.h"
#include "services/supportfiles.h"
#include "services/symbols.h"

namespace routix {

namespace {

constexpr std::size_t kPrefixLength = 13;  // "WIREDIRECTION", "TUBEDIRECTION"
constexpr double kAngleTolerance = 0.0001;

bool HasPrefix(std::string_view tag, const char* prefix) {
    return tag.size() >= kPrefixLength &&
           common::EqualsNoCase(tag.substr(0, kPrefixLength), prefix);
}

/// The first string of `application` on an object; false when it carries none.
bool FirstString(const AcDbObject* object, const char* application, std::string& text) {
    CDxf data;
    if (!data.read(object, application))
        return false;
    text.clear();
    for (const resbuf* item = data.head()->rbnext; item != nullptr; item = item->rbnext) {
        if (item->restype == 1000) {
            text = item->resval.rstring != nullptr ? item->resval.rstring : "";
            break;
        }
    }
    return true;
}

/// Sets extended data, once more with the object upgraded to write when it is refused.
bool SetData(AcDbObject* object, resbuf* chain) {
    if (chain == nullptr) {
        ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "acutBuildList");
        return false;
    }
    Acad::ErrorStatus es = object->setXData(chain);
    if (es != Acad::eOk && object->upgradeOpen() == Acad::eOk)
        es = object->setXData(chain);
    acutRelRb(chain);
    if (es != Acad::eOk) {
        ROUTIX_STATUS_ERROR(Source::NyuusenhoukouShijiDlg, "setXData", es);
        return false;
    }
    return true;
}

/// The direction attributes of an open reference: id and tag of each.
struct TaggedAttribute {
    AcDbObjectId id;
    std::string tag;
};
std::vector<TaggedAttribute> Attributes(const AcDbBlockReference* reference) {
    std::vector<TaggedAttribute> attributes;
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; it != nullptr && !it->done(); it->step()) {
        AcDbAttribute* attribute = nullptr;
        if (Acad::ErrorStatus es = acdbOpenObject(attribute, it->objectId(), AcDb::kForRead);
            es != Acad::eOk) {
            ROUTIX_STATUS_ERROR(Source::NyuusenhoukouShijiDlg, "acdbOpenObject", es);
            continue;
        }
        attributes.push_back({it->objectId(), attribute->tagName()});
        attribute->close();
    }
    return attributes;
}

}  // namespace

const char* OfferedCodes(bool is3D) {
    return is3D ? "T,L,B,R,N" : "T,L,B,R";
}

bool IsCodeIn(char16_t c, std::string_view list) {
    return c != u',' && c < 0x80 && list.find(static_cast<char>(c)) != std::string_view::npos;
}

std::string StoredCode(std::string_view text) {
    if (text.empty() || !IsCodeIn(static_cast<unsigned char>(text[0]), kValidCodes))
        return {};
    return std::string(1, text[0]);
}

double MarkRotation(std::string_view code) {
    if (code.empty())
        return 0;
    switch (code[0]) {
        case 'B':
            return std::numbers::pi;
        case 'L':
            return std::numbers::pi / 2;
        case 'R':
            return 3 * std::numbers::pi / 2;
        default:
            return 0;
    }
}

bool IsDirectionTag(std::string_view tag) {
    return HasPrefix(tag, kWireDirPrefix) || HasPrefix(tag, kTubeDirPrefix);
}

std::optional<int> DirectionIndex(std::string_view tag, bool* wire) {
    const bool isWire = HasPrefix(tag, kWireDirPrefix);
    if (!isWire && !HasPrefix(tag, kTubeDirPrefix))
        return std::nullopt;
    const std::string_view digits = tag.substr(kPrefixLength);
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int n = std::stoi(std::string(digits));
    if (n < 1 || n > kMaxDirectionIndex)
        return std::nullopt;
    if (wire != nullptr)
        *wire = isWire;
    return n;
}

std::string EffectiveDirection(std::string_view stored, char16_t defaultCode,
                               std::string_view defaultText, std::string_view list) {
    if (std::string code = StoredCode(stored); !code.empty())
        return code;
    if (IsCodeIn(defaultCode, list))
        return std::string(1, static_cast<char>(defaultCode));
    if (!defaultText.empty() && IsCodeIn(static_cast<unsigned char>(defaultText[0]), list))
        return std::string(1, defaultText[0]);
    return {};
}

void SettleMirrored(CTerm& term, const std::optional<std::string>& reverse) {
    if (term.m_nMirrorCount > 0)
        term.m_nMirrored = 1;
    else if (reverse && !reverse->empty())
        term.m_nMirrored = std::atoi(reverse->c_str()) != 0 ? 1 : 0;
}

void SettleMirror(CTerm& term, const std::optional<std::string>& reverse, bool mirrorCorrection) {
    SettleMirrored(term, reverse);
    if (!g_b3DMode && term.m_nMirrored != 0 && mirrorCorrection)
        ApplyMirrorRule(term);
}

bool PanelsDiffer(std::string_view record, std::string_view symbol) {
    return record != symbol && (g_b3DMode || (!record.empty() && !symbol.empty()));
}

void ApplyMirrorRule(CTerm& term) {
    term.m_pinOffset.x = -term.m_pinOffset.x;
    double turns = std::fmod(term.m_dRotation / std::numbers::pi, 2.0);
    if (turns < 0)
        turns += 2.0;
    const double degrees = turns * 180.0;
    const bool upright =
        std::fabs(degrees - 90) < kAngleTolerance || std::fabs(degrees - 270) < kAngleTolerance;
    const auto swap = [&](std::string& text) {
        if (text.size() != 1)
            return;
        const char a = upright ? 'T' : 'L';
        const char b = upright ? 'B' : 'R';
        if (text[0] == a)
            text[0] = b;
        else if (text[0] == b)
            text[0] = a;
    };
    swap(term.m_strDefaultWire);
    swap(term.m_strDefaultTube);
}

AcGePoint3d TerminalPosition2D(const CTerm& term) {
    const double c = std::cos(term.m_dRotation);
    const double s = std::sin(term.m_dRotation);
    const AcGeVector3d o = term.m_pinOffset.asVector();
    return AcGePoint3d(term.m_insert.x + o.x * c - o.y * s, term.m_insert.y + o.x * s + o.y * c,
                       term.m_insert.z + o.z);
}

void AssignFreeIndices(std::vector<CTerm>& terms) {
    std::map<AcDbObjectId, std::set<int>> used;
    for (const CTerm& term : terms)
        if (term.m_nPin != 0)
            used[term.m_symbol].insert(term.m_nPin);
    for (CTerm& term : terms) {
        if (term.m_nPin != 0)
            continue;
        std::set<int>& taken = used[term.m_symbol];
        int n = 1;
        while (taken.count(n) != 0)
            ++n;
        term.m_nPin = n;
        taken.insert(n);
    }
}

// Resolving a terminal's pin index on its symbol reference:
// 1. the records gathered before for the same reference;
// 2. the reference opened for read (failing: its error line, and the default pin index);
// 3. each WIREDIRECTION<n> attribute: bound ones (terminal-number data) are taken, and the
//    one bound to this terminal number and connector is the answer (first wins); of the
//    unbound ones the lowest n is the free attribute;
// 4-7. otherwise the default pin index, unless a gathered record or a bound attribute has it:
//    then one more than the largest pin index of the gathered records (at least 1), marked
//    renumbered; a default index that stands binds the free attribute to this terminal.
int ResolvePinIndex(CTerm& term, const std::vector<CTerm>& gathered) {
    int largestGathered = 0;
    bool defaultUsed = false;
    for (const CTerm& other : gathered) {
        if (other.m_symbol != term.m_symbol)
            continue;
        largestGathered = std::max(largestGathered, other.m_nPin);
        if (other.m_nPin == term.m_nDefaultPin)
            defaultUsed = true;
    }
    std::set<int> taken;
    std::optional<std::pair<int, AcDbObjectId>> free;
    {
        CEntity entity;
        if (!entity.open(term.m_symbol, AcDb::kForRead)) {
            ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "acdbOpenObject");
            return term.m_nDefaultPin;
        }
        const auto* reference = AcDbBlockReference::cast(entity.entity());
        if (reference == nullptr) {
            ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "pObject is not AcDbBlockReference");
            return term.m_nDefaultPin;
        }
        for (const TaggedAttribute& attribute : Attributes(reference)) {
            bool wire = false;
            const std::optional<int> n = DirectionIndex(attribute.tag, &wire);
            if (!n || !wire)
                continue;
            CEntity held;
            if (!held.open(attribute.id, AcDb::kForRead)) {
                ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "acdbOpenObject");
                continue;
            }
            std::string terminal;
            if (FirstString(held.entity(), kTerminalNoApp, terminal)) {
                taken.insert(*n);
                std::string connector;
                FirstString(held.entity(), kConnectorApp, connector);
                if (terminal == term.m_strTerminalNo && connector == term.m_strConnector)
                    return *n;
            } else if (!free || *n < free->first) {
                free = std::make_pair(*n, attribute.id);
            }
        }
    }
    if (defaultUsed || taken.count(term.m_nDefaultPin) != 0) {
        term.m_bRenumbered = true;
        return std::max(largestGathered, 0) + 1;
    }
    if (free) {
        CEntity attribute;
        if (attribute.open(free->second, AcDb::kForWrite))
            WriteBinding(attribute.entity(), term);
        else
            ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "acdbOpenObject");
    }
    return term.m_nDefaultPin;
}

bool WriteBinding(AcDbObject* attribute, const CTerm& term) {
    AcDbDatabase* database = attribute->database();
    EnsureRegApp(kTerminalNoApp, database);
    EnsureRegApp(kConnectorApp, database);
    return SetData(attribute,
                   acutBuildList(1001, kTerminalNoApp, 1000, term.m_strTerminalNo.c_str(), 1001,
                                 kConnectorApp, 1000, term.m_strConnector.c_str(), 0));
}

std::optional<std::string> ReadDirectionText(AcDbObjectId symbol, const char* prefix, int pin) {
    if (pin < 1)
        return std::nullopt;
    char* value = nullptr;
    const std::string tag = prefix + std::to_string(pin);
    if (zelko::AttrGetValue(symbol, tag, value) == 0) {
        zelko::AttrFreeValue(value);
        return std::nullopt;
    }
    std::string text = value != nullptr ? value : "";
    zelko::AttrFreeValue(value);
    return text;
}

std::string DirectionLayer(AcDbObjectId symbol, std::string_view tag) {
    std::string layer;
    if (!zelko::SymAttrLayer(symbol, tag, layer) || layer.empty())
        layer = kDirectionLayer;
    return layer;
}

bool EnsureDirectionAttribute(AcDbBlockReference* reference, std::string_view tag,
                              std::string_view text, const std::string& layer, bool createLayer) {
    const std::string name = layer.empty() ? kDirectionLayer : layer;
    if (createLayer)
        EnsureLayer(name.c_str(), nullptr, reference->database());
    for (const TaggedAttribute& attribute : Attributes(reference))
        if (common::EqualsNoCase(attribute.tag, tag))
            return true;
    auto* attribute = new AcDbAttribute;
    attribute->setDatabaseDefaults(reference->database());
    AcGePoint3d origin = AcGePoint3d::kOrigin;
    attribute->setPosition(origin.transformBy(reference->blockTransform()));
    attribute->setHeight(1);
    attribute->setTag(std::string(tag).c_str());
    attribute->setTextString(std::string(text).c_str());
    attribute->setLayer(name.c_str());
    if (Acad::ErrorStatus es = reference->appendAttribute(attribute); es != Acad::eOk) {
        delete attribute;
        ROUTIX_STATUS_ERROR(Source::NyuusenhoukouShijiDlg, "appendAttribute", es);
        return false;
    }
    attribute->close();
    return true;
}

bool WriteDirection(const CTerm& term, const char* prefix, std::string_view value) {
    const std::string tag = prefix + std::to_string(term.m_nPin);
    if (value != "*" && zelko::AttrSetValue(term.m_symbol, tag, value) == 0)
        return false;
    if (!common::EqualsNoCase(prefix, kWireDirPrefix))
        return true;
    CEntity entity;
    if (!entity.open(term.m_symbol, AcDb::kForRead))
        return false;
    const auto* reference = AcDbBlockReference::cast(entity.entity());
    if (reference == nullptr)
        return false;
    for (const TaggedAttribute& attribute : Attributes(reference)) {
        if (!common::EqualsNoCase(attribute.tag, tag))
            continue;
        CEntity held;
        if (!held.open(attribute.id, AcDb::kForWrite)) {
            ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "acdbOpenObject");
            return false;
        }
        return WriteBinding(held.entity(), term);
    }
    return false;
}

int ClearDirectionAttributes(AcDbObjectId symbol, bool legacyOnly) {
    CEntity entity;
    if (!entity.open(symbol, AcDb::kForRead))
        return 0;
    const auto* reference = AcDbBlockReference::cast(entity.entity());
    if (reference == nullptr)
        return 0;
    int erased = 0;
    for (const TaggedAttribute& attribute : Attributes(reference)) {
        if (!IsDirectionTag(attribute.tag))
            continue;
        if (legacyOnly && std::string_view(attribute.tag).substr(kPrefixLength) != "0")
            continue;
        CEntity held;
        if (held.open(attribute.id, AcDb::kForWrite) && held.entity()->erase() == Acad::eOk)
            ++erased;
    }
    return erased;
}

std::vector<AcGePoint3d> ReadPinOffsets(const AcDbObject* reference) {
    std::vector<AcGePoint3d> offsets;
    CDxf data;
    if (!data.read(reference, kPinOffsetApp))
        return offsets;
    for (const resbuf* item = data.head()->rbnext; item != nullptr; item = item->rbnext) {
        if (item->restype != 1070 || item->rbnext == nullptr ||
            acutResbufKind(item->rbnext->restype) != AcRbKind::Point)
            continue;
        const int pin = item->resval.rint;
        item = item->rbnext;
        if (pin < 1 || pin > kMaxDirectionIndex)
            continue;
        if (offsets.size() < static_cast<std::size_t>(pin))
            offsets.resize(static_cast<std::size_t>(pin), AcGePoint3d::kOrigin);
        offsets[static_cast<std::size_t>(pin - 1)] =
            AcGePoint3d(item->resval.rpoint[0], item->resval.rpoint[1], item->resval.rpoint[2]);
    }
    return offsets;
}

void FillPinOffset(CTerm& term) {
    CEntity entity;
    if (!entity.open(term.m_symbol, AcDb::kForRead))
        return;
    const std::vector<AcGePoint3d> offsets = ReadPinOffsets(entity.entity());
    if (term.m_nPin >= 1 && static_cast<std::size_t>(term.m_nPin) <= offsets.size())
        term.m_pinOffset = offsets[static_cast<std::size_t>(term.m_nPin - 1)];
}

const char* MarkKey(MarkKind kind) {
    switch (kind) {
        case MarkKind::Wire:
            return "WireDirection";
        case MarkKind::Tube:
            return "TubeDirection";
        case MarkKind::WireN:
            return "WireDirectionN";
        case MarkKind::TubeN:
            return "TubeDirectionN";
    }
    return "";
}

AcDbObjectId MarkBlock(AcDbDatabase* database, MarkKind kind) {
    const std::string key = MarkKey(kind);
    std::string path;
    AcDbObjectId block;
    if (zelko::MarkFilePath(key, path) == 0 ||
        zelko::SymLoadBlockFile(database, common::ToUpper(key), path, block) == 0) {
        acutPrintf("\n%s(%d): loadBlockFile error(%s)", SourcePath(Source::ROUTIXCommandExports),
                   __LINE__, path.empty() ? key.c_str() : zelko::MakerLastError().c_str());
        return AcDbObjectId::kNull;
    }
    return block;
}

bool MarkNames(const AcDbObject* entity, const char* application, const AcDbHandle& symbol,
               int pin) {
    CDxf data;
    if (!data.read(entity, application))
        return false;
    const resbuf* handle = data.head()->rbnext;
    if (handle == nullptr || handle->restype != 1005 || handle->resval.rstring == nullptr)
        return false;
    const resbuf* index = handle->rbnext;
    return index != nullptr && index->restype == 1070 && index->resval.rint == pin &&
           AcDbHandle(handle->resval.rstring) == symbol;
}

}  // namespace routix
