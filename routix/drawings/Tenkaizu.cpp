#include "drawings/Tenkaizu.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <utility>

#include "arx/DrawingLock.h"
#include "common/text.h"
#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/maker.h"
#include "services/project.h"
#include "services/supportfiles.h"
#include "services/symbols.h"
#include "services/wiringplan.h"

namespace routix {

namespace fs = std::filesystem;

namespace {

/// Sets the attribute `tag` of an open reference, adding it on layer "PINOFF" when missing.
void SetOrAddAttribute(AcDbBlockReference* reference, const char* tag, const std::string& text) {
    std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
    for (; !it->done(); it->step()) {
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, it->objectId(), AcDb::kForWrite) != Acad::eOk)
            continue;
        const bool found = common::EqualsNoCase(attribute->tagName(), tag);
        if (found)
            attribute->setTextString(text.c_str());
        attribute->close();
        if (found)
            return;
    }
    auto* attribute = new AcDbAttribute(reference->position(), text.c_str(), tag);
    attribute->setDatabaseDefaults(reference->database());
    attribute->setHeight(2);
    attribute->setInvisible(true);
    attribute->setLayer("PINOFF");
    AcDbObjectId id;
    if (reference->appendAttribute(id, attribute) != Acad::eOk) {
        delete attribute;
        return;
    }
    attribute->close();
}

bool Overlaps(const AcDbExtents& a, const AcDbExtents& b) {
    const AcGePoint3d &p = a.minPoint(), &q = a.maxPoint();
    const AcGePoint3d &r = b.minPoint(), &s = b.maxPoint();
    return p.x <= s.x && r.x <= q.x && p.y <= s.y && r.y <= q.y && p.z <= s.z && r.z <= q.z;
}

/// The previous working database comes back on every path.
class WorkingDatabase {
public:
    explicit WorkingDatabase(AcDbDatabase* db)
        : m_previous(acdbHostApplicationServices()->workingDatabase()) {
        acdbHostApplicationServices()->setWorkingDatabase(db);
    }
    ~WorkingDatabase() { acdbHostApplicationServices()->setWorkingDatabase(m_previous); }
    WorkingDatabase(const WorkingDatabase&) = delete;
    WorkingDatabase& operator=(const WorkingDatabase&) = delete;

private:
    AcDbDatabase* m_previous;
};

std::string Caption(unsigned id) {
    return LoadResourceString(id);
}

/// The rows of panels of the project's wiring plan; false when it cannot be read.
bool ReadRows(const std::string& projectFolder, std::vector<CBans>& rows) {
    zelko::WpData* data = zelko::WpDataInit();
    const bool open = zelko::WpDataOpen(data, projectFolder);
    if (open) {
        for (int r = 0; r < zelko::WpRowCount(data); ++r) {
            CBans row;
            zelko::WpRowName(data, r, row.m_strName);
            for (int n = 0; n < zelko::WpRowPanelCount(data, r); ++n) {
                CFullPathDwgNames panel;
                if (zelko::WpPanelNoAt(data, r, n, panel.m_strBanNo))
                    row.m_bans.push_back(std::move(panel));
            }
            rows.push_back(std::move(row));
        }
    }
    zelko::WpDataFree(data);
    return open;
}

/// The project's drawings with a panel number: path and panel number, in list order.
std::vector<std::pair<std::string, std::string>> PanelDrawings() {
    std::vector<std::pair<std::string, std::string>> drawings;
    int count = 0;
    zelko::ProjDrawings* list = zelko::ProjDrawingList(zelko::kProjDrawingPanel, count);
    if (list == nullptr)
        return drawings;
    for (int i = 0; i < count; ++i) {
        const std::string& path = zelko::ProjDrawingAt(list, i);
        std::string panelNo;
        if (zelko::ProjDrawingPanelNo(path, panelNo) != 0 && !panelNo.empty())
            drawings.emplace_back(path, panelNo);
    }
    zelko::ProjDrawingListFree(list);
    return drawings;
}

/// Whether the existing drawing `path` can be taken for exclusive writing.
bool CanWriteExclusively(const std::string& path) {
    return !arx::DrawingInUse(path) && ::access(path.c_str(), W_OK) == 0;
}

}  // namespace

void TagPanelSymbols(AcDbObjectId block, const std::string& panelNo) {
    std::vector<std::pair<std::string, AcDbExtents>> plates;
    std::vector<AcDbObjectId> references;
    AcDbBlockTableRecord* record = nullptr;
    if (acdbOpenObject(record, block, AcDb::kForRead) != Acad::eOk)
        return;
    AcDbBlockTableRecordIterator* raw = nullptr;
    record->newIterator(raw);
    std::unique_ptr<AcDbBlockTableRecordIterator> it(raw);
    for (; it != nullptr && !it->done(); it->step()) {
        AcDbEntity* entity = nullptr;
        if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk)
            continue;
        if (AcDbPolyline::cast(entity) != nullptr) {
            if (resbuf* data = entity->xData(kPlateApp)) {
                AcDbExtents extents;
                if (data->rbnext != nullptr && data->rbnext->restype == 1000 &&
                    entity->getGeomExtents(extents) == Acad::eOk)
                    plates.emplace_back(data->rbnext->resval.rstring, extents);
                acutRelRb(data);
            }
        } else if (AcDbBlockReference::cast(entity) != nullptr) {
            references.push_back(entity->objectId());
        }
        entity->close();
    }
    record->close();
    for (const AcDbObjectId id : references) {
        zelko::SymInfo* info = zelko::SymInfoOpen(id);
        const std::string type = info != nullptr ? zelko::SymTypeName(info) : "";
        zelko::SymInfoFree(info);
        if (type != "BAN" && type != "TERM" && type != "PNL")
            continue;
        AcDbBlockReference* reference = nullptr;
        if (acdbOpenObject(reference, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        AcDbExtents box;
        reference->getGeomExtents(box);
        std::string plateName;
        for (const auto& [name, plate] : plates) {
            if (Overlaps(box, plate)) {
                plateName = name;
                break;
            }
        }
        SetOrAddAttribute(reference, "WP_PLATENAME", plateName);
        SetOrAddAttribute(reference, "BAN_NO", panelNo);
        reference->close();
    }
}

int PlaceRowDrawings(CSokucyou& context, AcDbDatabase& db, const CBans& row,
                     const std::string& tempFolder, bool explode) {
    const std::string temp = tempFolder + "TempSymbol.dwg";
    double x = 0;
    int placed = 0;
    for (const CFullPathDwgNames& panel : row.m_bans) {
        for (const std::string& drawing : panel.m_dwgNames) {
            std::error_code ec;
            fs::remove(temp, ec);
            AcDbObjectId referenceId;
            bool inserted = false;
            if (fs::copy_file(drawing, temp, ec) && !ec)
                inserted = context.InsertDwgAsBlock(referenceId, AcGePoint3d(x, 0, 0), "*U",
                                                    temp.c_str(), &db, drawing.c_str());
            else
                ROUTIX_ERROR(Source::Sokucyou, "CopyFile");
            if (!inserted) {
                x += 100;
                continue;
            }
            AcDbExtents extents;
            {
                AcDbBlockReference* reference = nullptr;
                if (acdbOpenObject(reference, referenceId, AcDb::kForRead) != Acad::eOk) {
                    x += 100;
                    continue;
                }
                const AcDbObjectId block = reference->blockTableRecord();
                reference->close();
                TagPanelSymbols(block, panel.m_strBanNo);
                if (acdbOpenObject(reference, referenceId, AcDb::kForRead) == Acad::eOk) {
                    reference->getGeomExtents(extents);
                    reference->close();
                }
            }
            if (explode && zelko::SymExplode(db.modelSpaceId(), referenceId) == 0)
                acutPrintf("\n%s", zelko::MakerLastError().c_str());
            ++placed;
            x = (extents.isEmpty() ? x : extents.maxPoint().x) + 100;
        }
    }
    std::error_code ec;
    fs::remove(temp, ec);
    return placed;
}

void SokucyouTenkaizuCommand() {
    CSokucyou context;
    const std::string caption = Caption(IDS_CAPTION_EXPLORED_DRAWING);
    if (!zelko::ProjIsOpen()) {
        context.MsgBox(IDS_OPEN_PROJECT, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::string dwgFolder;
    if (!context.GetDwgFolder(dwgFolder))
        return;
    std::string projectFolder;
    zelko::ProjFolder(projectFolder);
    projectFolder = CSokucyou::Path::CutTrailingSeparator(projectFolder);

    std::vector<CBans> rows;
    if (!ReadRows(projectFolder, rows) || rows.empty()) {
        context.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CSokucyouTenkaizu dialog(rows);
    if (dialog.DoModal() != ui::kIdOk)
        return;
    const bool explode = dialog.m_bExplode;

    std::string layout;
    if (!context.GetLayoutFolder(projectFolder, layout, true))
        return;
    std::string frame;
    if (zelko::MarkFilePath("WAKUBASE", frame) == 0) {
        acutPrintf("\nWAKUBASE: %s", zelko::MakerLastError().empty()
                                         ? "the frame template cannot be found."
                                         : zelko::MakerLastError().c_str());
        return;
    }
    const auto drawings = PanelDrawings();
    std::string tempFolder;
    if (!CSokucyou::GetTempFolder(tempFolder))
        return;

    const std::string question = Caption(IDS_CAPTION_EXPLORED_FILES);
    for (CBans& row : rows) {
        if (row.m_nSelect == 0)
            continue;
        const std::string target = CSokucyou::Path::Join(layout, row.m_strName + ".dwg");
        if (CSokucyou::IsFileExist(target)) {
            const std::string name = CSokucyou::Path::CutFolder(target);
            if (!CanWriteExclusively(target)) {
                if (context.MsgBox(IDS_EXPLORED_OPEN, question.c_str(), MB_YESNO | MB_ICONQUESTION,
                                   {name}) == IDYES)
                    continue;
                return;
            }
            if (context.MsgBox(IDS_EXPLORED_EXISTS, question.c_str(), MB_YESNO | MB_ICONQUESTION,
                               {name}) != IDYES)
                continue;
        }
        AcDbDatabase db(false, false);
        if (db.readDwgFile(frame.c_str(), AcDbDatabase::kForReadAndAllShare) != Acad::eOk) {
            acutPrintf("\n%s", db.lastError().c_str());
            continue;
        }
        WorkingDatabase working(&db);
        for (CFullPathDwgNames& panel : row.m_bans) {
            for (const auto& [path, panelNo] : drawings) {
                if (!common::EqualsNoCase(panelNo, panel.m_strBanNo))
                    continue;
                bool known = false;
                for (const std::string& had : panel.m_dwgNames)
                    known = known || had == path;
                if (!known)
                    panel.m_dwgNames.push_back(path);
            }
        }
        if (row.m_bans.empty())
            continue;
        PlaceRowDrawings(context, db, row, tempFolder, explode);
        const Acad::ErrorStatus saved = db.saveAs(target.c_str(), false, AcDb::kDHL_1032);
        if (saved != Acad::eOk) {
            ROUTIX_STATUS_ERROR(Source::Sokucyou, "saveAs", saved);
            continue;
        }
        acutPrintf("\n%s\n  %s", LoadResourceString(IDS_LAYOUT_DRAWINGS_CREATED).c_str(),
                   target.c_str());
    }
}

void OpenLayoutDrawingCommand() {
    CSokucyou context;
    std::string folder;
    if (zelko::ProjIsOpen()) {
        zelko::ProjFolder(folder);
    } else {
        resbuf value{};
        if (acedGetVar("DWGPREFIX", &value) == RTNORM && value.restype == RTSTR) {
            folder = value.resval.rstring != nullptr ? value.resval.rstring : "";
            acutDelString(value.resval.rstring);
        }
    }
    folder = CSokucyou::Path::CutTrailingSeparator(folder);
    std::string layout;
    if (folder.empty() || !context.GetLayoutFolder(folder, layout, false)) {
        acedAlert(LoadResourceString(IDS_NO_LAYOUT_FOLDER).c_str());
        return;
    }
    resbuf result{};
    const std::string title = LoadResourceString(IDS_SELECT_FILE);
    if (acedGetFileD(title.c_str(), (layout + "/").c_str(), "dwg", 208, &result) != RTNORM)
        return;
    std::string chosen = result.resval.rstring != nullptr ? result.resval.rstring : "";
    acutDelString(result.resval.rstring);
    const ACHAR* current = nullptr;
    AcDbDatabase* working = acdbHostApplicationServices()->workingDatabase();
    if (working != nullptr && working->getFilename(current) == Acad::eOk && current != nullptr &&
        common::EqualsNoCase(fs::path(current).lexically_normal().string(),
                             fs::path(chosen).lexically_normal().string()))
        return;
    context.OpenDwg(chosen);
}

}  // namespace routix
