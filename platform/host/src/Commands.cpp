// The host commands that acedCmdS and scripts run, each heard by the editor reactors.
//
// REGEN, REDRAW, UNDO, U: nothing to do here (the drawing is not displayed), but they run as
// commands so the reactors hear them. ERASE: entity names, then "" (end of selection).
// MIRROR: entity names, "" (end of selection), the two points of the mirror axis (each may be
// preceded by an object snap override such as "NON"), then "Y" to delete the source objects or
// "N" to keep them. The mirrored objects are new ones (new handles); every entity is mirrored
// or none is. Texts and the attributes of block references keep their reading direction while
// MIRRTEXT is 0.

#include <cmath>
#include <functional>
#include <iostream>
#include <map>

#include "common/text.h"
#include "host/Host.h"

using host::CommandOutcome;
using host::Host;

namespace {

class Answers {
public:
    explicit Answers(const std::vector<resbuf*>& items) : m_items(items), m_next(1) {}
    const resbuf* Next() { return m_next < m_items.size() ? m_items[m_next++] : nullptr; }
    bool Done() const { return m_next >= m_items.size(); }

private:
    const std::vector<resbuf*>& m_items;
    std::size_t m_next;
};

bool IsText(const resbuf* item, const char* text = nullptr) {
    return item != nullptr && item->restype == RTSTR && item->resval.rstring != nullptr &&
           (text == nullptr || common::EqualsNoCase(item->resval.rstring, text));
}

// Entity names up to the empty text that ends the selection; RTPICKS sets add their members.
bool Selection(Answers& answers, std::vector<AcDbObjectId>& ids) {
    for (;;) {
        const resbuf* item = answers.Next();
        if (item == nullptr)
            return false;
        if (IsText(item, ""))
            return !ids.empty();
        AcDbObjectId id;
        if (item->restype == RTENAME) {
            if (acdbGetObjectId(id, item->resval.rlname) != Acad::eOk)
                return false;
            ids.push_back(id);
        } else if (item->restype == RTPICKS) {
            const auto* set = Host::Instance().SelectionSet(item->resval.rlname);
            if (set == nullptr)
                return false;
            ids.insert(ids.end(), set->begin(), set->end());
        } else {
            return false;
        }
    }
}

// A point, after any object snap override text.
bool Point(Answers& answers, AcGePoint3d& point) {
    const resbuf* item = answers.Next();
    while (IsText(item) && std::string(item->resval.rstring).find(',') == std::string::npos)
        item = answers.Next();  // "NON", "_non", "END"...: no snapping in this host
    if (item == nullptr)
        return false;
    if (item->restype == RT3DPOINT || item->restype == RTPOINT) {
        point = AcGePoint3d(item->resval.rpoint[0], item->resval.rpoint[1],
                            item->restype == RT3DPOINT ? item->resval.rpoint[2] : 0.0);
        return true;
    }
    if (IsText(item)) {
        const auto parts = common::Split(item->resval.rstring, ',');
        if (parts.size() < 2 || parts.size() > 3)
            return false;
        double v[3] = {0, 0, 0};
        for (std::size_t i = 0; i < parts.size(); ++i)
            v[i] = std::strtod(std::string(parts[i]).c_str(), nullptr);
        point = AcGePoint3d(v[0], v[1], v[2]);
        return true;
    }
    return false;
}

CommandOutcome Nothing(Answers&) {
    return CommandOutcome::Ended;
}

CommandOutcome Erase(Answers& answers) {
    std::vector<AcDbObjectId> ids;
    if (!Selection(answers, ids))
        return CommandOutcome::Failed;
    int locked = 0;
    for (const AcDbObjectId& id : ids) {
        AcDbEntity* entity = nullptr;
        const Acad::ErrorStatus es = acdbOpenAcDbEntity(entity, id, AcDb::kForWrite);
        if (es == Acad::eOnLockedLayer) {
            ++locked;  // left out, as the host's selection leaves it out
            continue;
        }
        if (es != Acad::eOk)
            return CommandOutcome::Failed;
        entity->erase();
        entity->close();
    }
    if (locked > 0)
        Host::Instance().Console()
            << "\n"
            << locked << (locked == 1 ? " was" : " were") << " on a locked layer.";
    return CommandOutcome::Ended;
}

// With MIRRTEXT 0 a mirrored text keeps its reading direction: its reference point goes where
// the mirror puts it, and it is mirrored back along its own baseline about that point, which
// reverses the mirrored baseline direction and clears the mirrored flag again.
Acad::ErrorStatus KeepReadable(AcDbText* text) {
    const bool leftBase =
        text->horizontalMode() == AcDb::kTextLeft && text->verticalMode() == AcDb::kTextBase;
    const bool fitted =
        text->horizontalMode() == AcDb::kTextAlign || text->horizontalMode() == AcDb::kTextFit;
    const AcGePoint3d pivot = leftBase || fitted ? text->position() : text->alignmentPoint();
    AcGeVector3d baseline(std::cos(text->rotation()), std::sin(text->rotation()), 0);
    baseline.transformBy(AcGeMatrix3d::planeToWorld(text->normal()));
    return text->transformBy(AcGeMatrix3d::mirroring(AcGePlane(pivot, baseline.normal())));
}

Acad::ErrorStatus KeepAttributesReadable(AcDbBlockReference* reference) {
    std::unique_ptr<AcDbObjectIterator> iterator(reference->attributeIterator());
    for (; iterator && !iterator->done(); iterator->step()) {
        AcDbAttribute* attribute = nullptr;
        if (Acad::ErrorStatus es = acdbOpenObject(attribute, iterator->objectId(), AcDb::kForWrite);
            es != Acad::eOk)
            return es;
        const Acad::ErrorStatus es = KeepReadable(attribute);
        attribute->close();
        if (es != Acad::eOk)
            return es;
    }
    return Acad::eOk;
}

// Mirrors one copy; false with `why` set when the copy cannot be transformed.
bool MirrorCopy(AcDbObjectId copy, const AcGeMatrix3d& matrix, bool mirrorText, std::string& why) {
    AcDbEntity* entity = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbEntity(entity, copy, AcDb::kForWrite);
    if (es != Acad::eOk) {
        why = acadErrorStatusText(es);
        return false;
    }
    es = entity->transformBy(matrix);
    if (es == Acad::eOk && !mirrorText) {
        if (AcDbText* text = AcDbText::cast(entity))
            es = KeepReadable(text);
        else if (AcDbBlockReference* reference = AcDbBlockReference::cast(entity))
            es = KeepAttributesReadable(reference);
    }
    entity->close();
    if (es != Acad::eOk)
        why = acadErrorStatusText(es);
    return es == Acad::eOk;
}

bool OnLockedLayer(const AcDbEntity* entity) {
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, entity->layerId(), AcDb::kForRead) != Acad::eOk)
        return false;
    const bool locked = layer->isLocked();
    layer->close();
    return locked;
}

void EraseAll(const std::vector<AcDbObjectId>& ids) {
    for (const AcDbObjectId& id : ids) {
        AcDbEntity* entity = nullptr;
        if (acdbOpenAcDbEntity(entity, id, AcDb::kForWrite) == Acad::eOk) {
            entity->erase();
            entity->close();
        }
    }
}

// As the CAD host does it: every selected entity is mirrored or none is. Each source is copied
// (new handles), the copy mirrored; when one cannot be mirrored, the copies made go again and
// nothing has changed. "Y" then erases the sources, "N" keeps them. Entities on locked layers
// are left out, as the host's selection leaves them out.
CommandOutcome Mirror(Answers& answers) {
    std::vector<AcDbObjectId> ids;
    AcGePoint3d first, second;
    if (!Selection(answers, ids) || !Point(answers, first) || !Point(answers, second))
        return CommandOutcome::Failed;
    const resbuf* erase = answers.Next();
    if (!IsText(erase, "Y") && !IsText(erase, "N")) {
        Host::Instance().Console() << "\nMIRROR: answer \"Y\" (delete source objects) or \"N\".";
        return CommandOutcome::Failed;
    }
    const AcGeVector3d axis = second - first;
    if (axis.length() == 0)
        return CommandOutcome::Failed;
    const AcGeVector3d normal = axis.crossProduct(AcGeVector3d::kZAxis).normal();
    const AcGeMatrix3d matrix = AcGeMatrix3d::mirroring(AcGePlane(first, normal));
    const bool mirrorText = Host::Instance().VarText("MIRRTEXT").value_or("0") != "0";
    std::vector<AcDbObjectId> sources;
    std::vector<AcDbObjectId> copies;
    int locked = 0;
    for (const AcDbObjectId& id : ids) {
        AcDbEntity* entity = nullptr;
        if (Acad::ErrorStatus es = acdbOpenAcDbEntity(entity, id, AcDb::kForRead);
            es != Acad::eOk) {
            EraseAll(copies);
            Host::Instance().Console() << "\nMIRROR: an object cannot be read ("
                                       << acadErrorStatusText(es) << "); nothing was mirrored.";
            return CommandOutcome::Failed;
        }
        if (OnLockedLayer(entity)) {
            ++locked;
            entity->close();
            continue;
        }
        AcDbObjectId copy;
        const Acad::ErrorStatus es = entity->copyInPlace(copy);
        const std::string type(entity->dxfType());
        AcDbHandle handleOf;
        entity->getAcDbHandle(handleOf);
        const std::string handle = handleOf.text();
        entity->close();
        std::string why = es != Acad::eOk ? acadErrorStatusText(es) : "";
        if (es == Acad::eOk)
            copies.push_back(copy);
        if (es != Acad::eOk || !MirrorCopy(copy, matrix, mirrorText, why)) {
            EraseAll(copies);
            Host::Instance().Console()
                << "\nMIRROR: the " << type << " " << handle << " cannot be mirrored (" << why
                << "); nothing was mirrored.";
            return CommandOutcome::Failed;
        }
        sources.push_back(id);
    }
    if (locked > 0)
        Host::Instance().Console()
            << "\n"
            << locked << (locked == 1 ? " was" : " were") << " on a locked layer.";
    if (IsText(erase, "Y"))
        EraseAll(sources);
    return CommandOutcome::Ended;
}

const std::map<std::string, std::function<CommandOutcome(Answers&)>>& Commands() {
    static const std::map<std::string, std::function<CommandOutcome(Answers&)>> commands{
        {"REGEN", Nothing}, {"REDRAW", Nothing}, {"UNDO", Nothing},
        {"U", Nothing},     {"ERASE", Erase},    {"MIRROR", Mirror},
    };
    return commands;
}

std::map<std::string, host::HostCommand>& Registered() {
    static std::map<std::string, host::HostCommand> commands;
    return commands;
}

}  // namespace

namespace host {

void RegisterHostCommand(const std::string& name, HostCommand command) {
    Registered()[GlobalCommandName(name)] = std::move(command);
}

int Host::RunHostCommand(const std::vector<resbuf*>& args) {
    if (args.empty() || !IsText(args[0]))
        return RTERROR;
    const std::string name = GlobalCommandName(args[0]->resval.rstring);
    if (const auto registered = Registered().find(name); registered != Registered().end()) {
        const std::vector<resbuf*> arguments(args.begin() + 1, args.end());
        const CommandOutcome outcome =
            RunCommand(args[0]->resval.rstring, [&] { return registered->second(arguments); });
        return outcome == CommandOutcome::Ended ? RTNORM : RTERROR;
    }
    const auto found = Commands().find(name);
    if (found == Commands().end()) {
        Console() << "\nUnknown command \"" << name << "\".";
        return RTERROR;
    }
    Answers answers(args);
    const CommandOutcome outcome =
        RunCommand(args[0]->resval.rstring, [&] { return found->second(answers); });
    return outcome == CommandOutcome::Ended ? RTNORM : RTERROR;
}

}  // namespace host

int acedCmdS(const resbuf* args) {
    std::vector<resbuf*> items;
    for (const resbuf* item = args; item != nullptr; item = item->rbnext)
        items.push_back(const_cast<resbuf*>(item));
    return Host::Instance().RunHostCommand(items);
}
