// ProjPanelNoOfDrawing: the panel number in a drawing's title block.

#include <memory>
#include <string>

#include "DrawingAccess.h"
#include "Store.h"
#include "common/text.h"
#include "services/project.h"

namespace zelko {

namespace {
constexpr std::string_view kTitleBlock = "TITLE";
constexpr std::string_view kPanelNoTag = "BAN_NO";
}  // namespace

int ProjPanelNoOfDrawing(AcDbDatabase* database, std::string& panelNo) {
    panelNo.clear();
    if (database == nullptr) {
        detail::SetLastError("A23ZOPRJ: no drawing to read the title block of");
        return 0;
    }
    detail::Opened<AcDbBlockTableRecord> space(database->modelSpaceId(), AcDb::kForRead);
    AcDbBlockTableRecordIterator* raw = nullptr;
    if (!space || space->newIterator(raw) != Acad::eOk) {
        detail::SetLastError("A23ZOPRJ: the model space of the drawing cannot be read");
        return 0;
    }
    std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        if (id.dxfType() != "INSERT") {
            continue;
        }
        detail::Opened<AcDbBlockReference> reference(id, AcDb::kForRead);
        if (!reference) {
            continue;
        }
        detail::Opened<AcDbBlockTableRecord> block(reference->blockTableRecord(), AcDb::kForRead);
        std::string text;
        if (block && common::EqualsNoCase(block->name(), kTitleBlock) &&
            detail::AttributeText(reference.get(), kPanelNoTag, text) &&
            !common::Trim(text).empty()) {
            panelNo = common::Trim(text);
            return 1;
        }
    }
    detail::SetLastError("A23ZOPRJ: the drawing has no title block with a panel number");
    return 0;
}

}  // namespace zelko
