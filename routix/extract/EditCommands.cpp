#include "extract/EditCommands.h"

#include <string>
#include <vector>

#include "common/text.h"
#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/MessageIds.h"
#include "grid/YocyouDlg.h"
#include "services/attributes.h"
#include "services/pointprompt.h"

namespace routix {

namespace {

constexpr Source kSource = Source::ROUTIXCommandExports;

// Appends one result buffer to a chain being built and returns it.
resbuf* Append(resbuf*& head, resbuf*& tail, int type) {
    resbuf* item = acutNewRb(type);
    (head == nullptr ? head : tail->rbnext) = item;
    tail = item;
    return item;
}

void AppendText(resbuf*& head, resbuf*& tail, const char* text) {
    Append(head, tail, RTSTR)->resval.rstring = acutNewString(text);
}

void AppendPoint(resbuf*& head, resbuf*& tail, const ads_point point) {
    resbuf* item = Append(head, tail, RT3DPOINT);
    for (int i = 0; i < 3; ++i)
        item->resval.rpoint[i] = point[i];
}

// The "addition" attribute of a symbol, trimmed; empty when it has none.
std::string AdditionOf(AcDbObjectId id) {
    char* value = nullptr;
    std::string text;
    if (zelko::AttrGetValue(id, "addition", value) != 0 && value != nullptr)
        text = value;
    zelko::AttrFreeValue(value);
    return text;
}

}  // namespace

void MirrorCommand() {
    CSokucyou context;
    CAutoVar snap;
    snap.Set("SNAPMODE", 0);
    std::string error;
    context.LoadMsg(IDS_SELECTION_NOT_CORRECT, error);

    CSelection selection;
    if (!CSokucyou::SelectImplied(selection) && !CSokucyou::SelectObjects(selection)) {
        acutPrintf("\n%s", error.c_str());
        return;
    }
    CAutoVar osmode;
    osmode.Set("OSMODE", 6);
    std::string prompt;
    context.LoadMsg(IDS_MIRROR_AXIS_PROMPT, prompt);
    prompt = "\n" + prompt;
    ads_point point = {0, 0, 0};
    int answer = RTERROR;
    do {
        answer = zelko::GetPointPrompt(0, prompt.c_str(), point);
    } while (answer != RTNORM && answer != RTCAN);
    if (answer == RTCAN) {
        selection.clear();
        return;
    }
    CAutoVar cmdecho;
    cmdecho.Set("CMDECHO", 0);
    CAutoVar mirrtext;
    mirrtext.Set("MIRRTEXT", 0);

    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    AppendText(head, tail, "_.mirror");
    for (int i = 0; i < selection.length(); ++i) {
        ads_name name;
        if (acdbGetAdsName(name, selection.at(i)) != Acad::eOk)
            continue;
        resbuf* item = Append(head, tail, RTENAME);
        item->resval.rlname[0] = name[0];
        item->resval.rlname[1] = name[1];
    }
    AppendText(head, tail, "");
    AppendText(head, tail, "NON");
    AppendPoint(head, tail, point);
    AppendText(head, tail, "NON");
    const ads_point second = {point[0], point[1] + 5.0, point[2]};
    AppendPoint(head, tail, second);
    AppendText(head, tail, "Y");
    CadCommand command(head);
    command.run();
    selection.clear();
}

void SurplusLengthCommand(int is3D) {
    CSokucyou context;
    std::string error;
    context.LoadMsg(IDS_SELECTION_NOT_CORRECT, error);

    std::vector<AcDbObjectId> ids;
    {
        CSelection selection;
        if (CSokucyou::SelectImplied(selection) || CSokucyou::SelectBlockRefs(nullptr, selection))
            for (int i = 0; i < selection.length(); ++i)
                ids.push_back(selection.at(i));
    }
    if (ids.empty()) {
        acutPrintf("\n%s", error.c_str());
        return;
    }

    // The initial value: the symbols' common value, empty when two of them differ.
    std::string initial;
    for (const AcDbObjectId& id : ids) {
        const std::string value = AdditionOf(id);
        if (value.empty())
            continue;
        if (initial.empty()) {
            initial = value;
        } else if (!common::EqualsNoCase(initial, value)) {
            initial.clear();
            break;
        }
    }

    CYocyouDlg dialog;
    context.LoadMsg(IDS_SURPLUS_LENGTH, dialog.m_strTitle);
    dialog.m_strValue = initial;
    if (dialog.DoModal() != ui::kIdOk)
        return;
    const std::string value = dialog.m_strValue;

    EnsureLayerFrozen("ADDITION", false);
    if (is3D != 0)
        EnsureLayerFrozen("PINOFF", true);

    for (const AcDbObjectId& id : ids) {
        AcDbObject* object = nullptr;
        if (Acad::ErrorStatus es = acdbOpenAcDbObject(object, id, AcDb::kForWrite);
            es != Acad::eOk) {
            ROUTIX_STATUS_ERROR(kSource, "acdbOpenAcDbObject", es);
            continue;
        }
        if (AcDbBlockReference* reference = AcDbBlockReference::cast(object)) {
            char* existing = nullptr;
            const bool has = zelko::AttrGetText(reference, "addition", existing) != 0;
            zelko::AttrFreeValue(existing);
            if (has) {
                CObjectIterator attributes;
                attributes.attach(reference->attributeIterator());
                for (; !attributes->done(); attributes->step()) {
                    AcDbAttribute* attribute = nullptr;
                    if (acdbOpenObject(attribute, attributes->objectId(), AcDb::kForWrite) !=
                        Acad::eOk) {
                        ROUTIX_ERROR(kSource, "acdbOpenObject");
                        continue;
                    }
                    if (common::EqualsNoCase(attribute->tagName(), "ADDITION"))
                        attribute->setLayer("ADDITION");
                    attribute->close();
                }
            } else {
                auto* attribute = new AcDbAttribute;
                attribute->setPosition(AcGePoint3d(0, 0, 0));
                if (reference->appendAttribute(attribute) != Acad::eOk) {
                    delete attribute;
                } else {
                    attribute->setDatabaseDefaults();
                    attribute->transformBy(reference->blockTransform());
                    attribute->setTag("ADDITION");
                    if (is3D != 0) {
                        attribute->setLayer("PINOFF");
                        attribute->setHeight(1.0);
                    } else {
                        attribute->setLayer("ADDITION");
                    }
                    attribute->close();
                }
            }
            zelko::AttrSetText(reference, "ADDITION", value);
        }
        object->close();
    }
}

}  // namespace routix
