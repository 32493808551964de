// Selection sets: acedSSGet with its modes and filters, and the set operations.

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>

#include "common/text.h"
#include "host/Host.h"

using host::Host;

namespace {

// One node of a filter: a test of one group code, or a group of nodes.
struct FilterNode {
    enum class Kind { Test, And, Or, Not } kind = Kind::And;
    int code = 0;
    std::string pattern;
    std::vector<FilterNode> children;
};

bool ParseFilter(const resbuf*& item, FilterNode& group, const char* closer, std::string* error) {
    while (item != nullptr) {
        if (item->restype == -4) {
            const std::string word =
                common::ToUpper(item->resval.rstring != nullptr ? item->resval.rstring : "");
            item = item->rbnext;
            if (closer != nullptr && word == closer)
                return true;
            FilterNode child;
            const char* childCloser = nullptr;
            if (word == "<AND") {
                child.kind = FilterNode::Kind::And;
                childCloser = "AND>";
            } else if (word == "<OR") {
                child.kind = FilterNode::Kind::Or;
                childCloser = "OR>";
            } else if (word == "<NOT") {
                child.kind = FilterNode::Kind::Not;
                childCloser = "NOT>";
            } else {
                if (error != nullptr)
                    *error = "the selection filter operator \"" + word + "\" is not understood";
                return false;
            }
            if (!ParseFilter(item, child, childCloser, error))
                return false;
            group.children.push_back(std::move(child));
            continue;
        }
        if (item->restype != 0 && item->restype != RTDXF0 && item->restype != 2 &&
            item->restype != 8) {
            if (error != nullptr)
                *error = "the selection filter group code " + std::to_string(item->restype) +
                         " is not supported (0, 2, 8 and -4 are)";
            return false;
        }
        FilterNode test;
        test.kind = FilterNode::Kind::Test;
        test.code = item->restype == RTDXF0 ? 0 : item->restype;
        test.pattern = item->resval.rstring != nullptr ? item->resval.rstring : "";
        group.children.push_back(std::move(test));
        item = item->rbnext;
    }
    if (closer != nullptr) {
        if (error != nullptr)
            *error = std::string("the selection filter misses \"") + closer + "\"";
        return false;
    }
    return true;
}

std::string BlockName(AcDbEntity* entity) {
    AcDbBlockReference* reference = AcDbBlockReference::cast(entity);
    if (reference == nullptr)
        return {};
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, reference->blockTableRecord(), AcDb::kForRead) != Acad::eOk)
        return {};
    std::string name = record->name();
    record->close();
    return name;
}

bool Evaluate(const FilterNode& node, AcDbEntity* entity) {
    switch (node.kind) {
        case FilterNode::Kind::Test: {
            std::string value;
            if (node.code == 0)
                value = std::string(entity->dxfType());
            else if (node.code == 8)
                value = entity->layerName();
            else
                value = BlockName(entity);
            return acutWcMatchEx(value.c_str(), node.pattern.c_str(), true);
        }
        case FilterNode::Kind::And:
            return std::all_of(node.children.begin(), node.children.end(),
                               [&](const FilterNode& c) { return Evaluate(c, entity); });
        case FilterNode::Kind::Or:
            return std::any_of(node.children.begin(), node.children.end(),
                               [&](const FilterNode& c) { return Evaluate(c, entity); });
        case FilterNode::Kind::Not:
            return !std::all_of(node.children.begin(), node.children.end(),
                                [&](const FilterNode& c) { return Evaluate(c, entity); });
    }
    return false;
}

// Every entity of model space, in drawing order.
std::vector<AcDbObjectId> AllEntities() {
    std::vector<AcDbObjectId> ids;
    AcApDocument* document = Host::Instance().CurrentDocument();
    if (document == nullptr)
        return ids;
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, document->database()->currentSpaceId(), AcDb::kForRead) != Acad::eOk)
        return ids;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (space->newIterator(iterator) == Acad::eOk) {
        for (; !iterator->done(); iterator->step()) {
            AcDbObjectId id;
            if (iterator->getEntityId(id) == Acad::eOk)
                ids.push_back(id);
        }
        delete iterator;
    }
    space->close();
    return ids;
}

// Entities whose extents lie inside (window) or touch (crossing) the box of two points.
std::vector<AcDbObjectId> InBox(const ads_point a, const ads_point b, bool crossing) {
    const double x0 = std::min(a[0], b[0]), x1 = std::max(a[0], b[0]);
    const double y0 = std::min(a[1], b[1]), y1 = std::max(a[1], b[1]);
    std::vector<AcDbObjectId> ids;
    for (const AcDbObjectId& id : AllEntities()) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk)
            continue;
        AcDbExtents extents;
        const bool measured = entity->getGeomExtents(extents) == Acad::eOk;
        entity->close();
        if (!measured)
            continue;
        const auto& mn = extents.minPoint();
        const auto& mx = extents.maxPoint();
        const bool inside = mn.x >= x0 && mx.x <= x1 && mn.y >= y0 && mx.y <= y1;
        const bool touches = mn.x <= x1 && mx.x >= x0 && mn.y <= y1 && mx.y >= y0;
        if (crossing ? touches : inside)
            ids.push_back(id);
    }
    return ids;
}

bool ParsePoint2(std::string_view text, ads_point point) {
    const auto parts = common::Split(common::Trim(text), ',');
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    point[2] = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string part(common::Trim(parts[i]));
        char* end = nullptr;
        point[i] = std::strtod(part.c_str(), &end);
        if (part.empty() || *end != '\0')
            return false;
    }
    return true;
}

// Reads what the user selected: entity handles, "ALL", "W p1 p2", "C p1 p2", "P", "L".
// Nothing when the answer cannot be read.
std::optional<std::vector<AcDbObjectId>> Picked(const std::string& answer) {
    std::istringstream words(answer);
    std::vector<std::string> list;
    for (std::string word; words >> word;)
        list.push_back(word);
    std::vector<AcDbObjectId> ids;
    if (list.empty())
        return ids;
    const std::string first = common::ToUpper(list[0]);
    if (first == "ALL")
        return AllEntities();
    if (first == "P")
        return Host::Instance().Previous();
    if ((first == "W" || first == "C") && list.size() == 3) {
        ads_point a, b;
        if (!ParsePoint2(list[1], a) || !ParsePoint2(list[2], b))
            return std::nullopt;
        return InBox(a, b, first == "C");
    }
    if (first == "L") {
        const auto all = AllEntities();
        if (!all.empty())
            ids.push_back(all.back());
        return ids;
    }
    AcApDocument* document = Host::Instance().CurrentDocument();
    if (document == nullptr)
        return std::nullopt;
    for (const std::string& handle : list) {
        AcDbObjectId id;
        if (document->database()->getAcDbObjectId(id, false, AcDbHandle(handle.c_str())) !=
                Acad::eOk ||
            id.isErased())
            return std::nullopt;
        AcDbEntity* entity = nullptr;
        if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk)
            return std::nullopt;
        entity->close();
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

}  // namespace

namespace host {

bool PassesFilter(AcDbObjectId id, const resbuf* filter, std::string* error) {
    FilterNode root;
    const resbuf* item = filter;
    if (!ParseFilter(item, root, nullptr, error))
        return false;
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk)
        return false;
    const bool passes = Evaluate(root, entity);
    entity->close();
    return passes;
}

}  // namespace host

int acedSSGet(const ACHAR* mode, const void* pt1, const void* pt2, const resbuf* filter,
              ads_name ss) {
    Host& host = Host::Instance();
    if (ss == nullptr)
        return RTERROR;
    FilterNode root;
    const resbuf* item = filter;
    std::string error;
    if (!ParseFilter(item, root, nullptr, &error)) {
        std::cerr << "cadhost: " << error << "\n";
        return RTERROR;
    }
    const std::string how = common::ToUpper(mode != nullptr ? mode : "");
    std::vector<AcDbObjectId> candidates;
    if (how == "I") {
        candidates = host.PickFirst();
    } else if (how == "X") {
        candidates = AllEntities();
    } else if (how == "P") {
        candidates = host.Previous();
    } else if (how == "L") {
        const auto all = AllEntities();
        if (!all.empty())
            candidates.push_back(all.back());
    } else if ((how == "W" || how == "C") && pt1 != nullptr && pt2 != nullptr) {
        candidates =
            InBox(static_cast<const ads_real*>(pt1), static_cast<const ads_real*>(pt2), how == "C");
    } else if (how.empty() || how == ":$" || how == ":S" || how == "_:S" || how == ":S:E") {
        std::string prompt = "\nSelect objects: ";
        if (how == ":$" && pt1 != nullptr) {
            const auto* prompts = static_cast<const ACHAR* const*>(pt1);
            if (prompts[0] != nullptr)
                prompt = prompts[0];
        }
        for (;;) {
            const auto answer = host.Ask({host::Request::Kind::Selection, prompt, ""});
            if (!answer || common::EqualsNoCase(common::Trim(*answer), "*CANCEL*"))
                return RTCAN;
            const auto picked = Picked(*answer);
            if (picked) {
                candidates = *picked;
                break;
            }
            host.Console() << "\n*Invalid selection*";
        }
        if (how.find('S') != std::string::npos && candidates.size() > 1)
            candidates.resize(1);
    } else {
        std::cerr << "cadhost: the selection mode \"" << how << "\" is not supported\n";
        return RTERROR;
    }
    std::vector<AcDbObjectId> selected;
    for (const AcDbObjectId& id : candidates) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk)
            continue;
        const bool passes = Evaluate(root, entity);
        entity->close();
        if (passes)
            selected.push_back(id);
    }
    if (selected.empty())
        return RTERROR;
    host.Previous() = selected;
    ss[0] = host.NewSelectionSet(std::move(selected));
    ss[1] = host::kSelectionSetTag;
    return RTNORM;
}

int acedSSFree(const ads_name ss) {
    Host& host = Host::Instance();
    if (host.SelectionSet(ss) == nullptr)
        return RTERROR;
    host.FreeSelectionSet(ss);
    return RTNORM;
}

int acedSSLength(const ads_name ss, Adesk::Int32* length) {
    const auto* set = Host::Instance().SelectionSet(ss);
    if (set == nullptr || length == nullptr)
        return RTERROR;
    *length = static_cast<Adesk::Int32>(set->size());
    return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity) {
    const auto* set = Host::Instance().SelectionSet(ss);
    if (set == nullptr || entity == nullptr || index < 0 ||
        static_cast<std::size_t>(index) >= set->size())
        return RTERROR;
    return acdbGetAdsName(*reinterpret_cast<ads_name*>(entity),
                          (*set)[static_cast<std::size_t>(index)]) == Acad::eOk
               ? RTNORM
               : RTERROR;
}

int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result) {
    Host& host = Host::Instance();
    if (result == nullptr)
        return RTERROR;
    AcDbObjectId id;
    if (entity != nullptr && acdbGetObjectId(id, entity) != Acad::eOk)
        return RTERROR;
    std::vector<AcDbObjectId>* set = ss != nullptr ? host.SelectionSet(ss) : nullptr;
    if (set == nullptr) {
        result[0] = host.NewSelectionSet(id.isNull() ? std::vector<AcDbObjectId>{}
                                                     : std::vector<AcDbObjectId>{id});
        result[1] = host::kSelectionSetTag;
        return RTNORM;
    }
    if (!id.isNull() && std::find(set->begin(), set->end(), id) == set->end())
        set->push_back(id);
    result[0] = ss[0];
    result[1] = ss[1];
    return RTNORM;
}

int acedSSSetFirst(const ads_name, const ads_name pickfirst) {
    Host& host = Host::Instance();
    if (pickfirst == nullptr) {
        host.PickFirst().clear();
        return RTNORM;
    }
    const auto* set = host.SelectionSet(pickfirst);
    if (set == nullptr)
        return RTERROR;
    host.PickFirst() = *set;
    return RTNORM;
}
