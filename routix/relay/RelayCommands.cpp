#include "relay/RelayCommands.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/Frame.h"
#include "frame/MessageIds.h"
#include "relay/CyuukeiTerm.h"
#include "relay/PutJtermDlg.h"
#include "services/drawingcheck.h"
#include "services/maker.h"
#include "services/placement.h"
#include "services/project.h"
#include "services/symbols.h"
#include "services/wim.h"

namespace routix {

namespace fs = std::filesystem;

namespace {

constexpr unsigned kErrorStyle = MB_OK | MB_ICONEXCLAMATION;

/// The project's drawing root ("" of the project-path service); empty without a project.
std::string DrawingRoot() {
    std::string root;
    zelko::ProjPath* path = zelko::ProjPathInit("");
    if (path == nullptr || !zelko::ProjPathFolder(path, root))
        root.clear();
    zelko::ProjPathFree(path);
    return root;
}

bool ContainsNoCase(const std::string& folder, const std::string& root) {
    return !root.empty() && CPathText::RemoveNoCase(folder, root) != folder;
}

/// The current drawing's file name.
std::string DrawingName() {
    resbuf value{};
    std::string name;
    if (acedGetVar("DWGNAME", &value) == RTNORM && value.restype == RTSTR) {
        name = value.resval.rstring != nullptr ? value.resval.rstring : "";
        acutDelString(value.resval.rstring);
    }
    return name;
}

/// The panel name of a layout drawing: its name without extension after a leading "LAYOUT_".
std::string PanelNameOfDrawing() {
    std::string name = CPathText::CutDrawingExtension(DrawingName());
    if (CPathText::StartsWithNoCase(name, "LAYOUT_"))
        name.erase(0, 7);
    return name;
}

/// The panel number in the current drawing's title block; message 170 when there is none.
bool PanelNoOfTitle(const CSokucyou& context, const char* caption, std::string& panelNo) {
    if (zelko::ProjPanelNoOfDrawing(CurrentDatabase(), panelNo) != 0)
        return true;
    context.MsgBox(IDS_NO_PANEL_NO_IN_TITLE, caption, kErrorStyle);
    return false;
}

void PlacementFailed(int result) {
    if (result < 0)
        acutPrintf("\n%s", zelko::MakerLastError().c_str());
}

void RelayTermsOfKind(const char* kind, unsigned captionId, const char* fileName) {
    CSokucyou context;
    char caption[kMessageBufferSize] = {};
    context.LoadMsg(captionId, caption, sizeof caption);
    std::string folder;
    if (!context.GetDwgFolder(folder))
        return;
    const std::string root = DrawingRoot();
    std::vector<CCyuukeiTerm> rows;
    CPutCyuukeiTerms collector;
    bool collected = false;
    if (!ContainsNoCase(folder, root)) {
        if (!zelko::ProjIsOpen()) {
            context.MsgBox(IDS_OPEN_PROJECT, caption, kErrorStyle);
            return;
        }
        std::string panelNo;
        if (!PanelNoOfTitle(context, caption, panelNo))
            return;
        collected = collector.Collect(0, rows, kind, folder, panelNo, caption);
    } else {
        const std::string relative = CPathText::RemoveNoCase(folder, root);
        collected = collector.Collect(1, rows, kind, relative, PanelNameOfDrawing(), caption);
    }
    std::string path;
    if (!collected || !ParamFilePath(fileName, path) || !WriteParamFile(path, rows, g_b3DMode))
        return;
    PlacementFailed(zelko::PlaceRelayTerms(path, caption, 0));
}

/// Updates the wiring database of the drawing folder through the release's updater library.
void UpdateWimDatabase(const fs::path& database) {
    const fs::path library = messages::ModuleFolderOf(reinterpret_cast<const void*>(&DrawingRoot)) /
                             (std::string(WimUpdaterName()) + ".so");
    if (!CSokucyou::IsFileExist(database.string()) || !CSokucyou::IsFileExist(library.string()))
        return;
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        acutPrintf("\n%s", dlerror());
        return;
    }
    using Update = int (*)(int, const char*);
    if (auto update = reinterpret_cast<Update>(dlsym(handle, "ZelkoOrdinal1009"))) {
        if (update(0, database.c_str()) == 0)
            acutPrintf("\nWIM DB updated.");
    } else {
        acutPrintf("\n%s has no entry point of ordinal 1009.", library.c_str());
    }
    dlclose(handle);
}

/// The block references of model space whose symbol type is "TERM"; false (printed) when
/// model space cannot be read.
bool TerminalBlocks(std::vector<AcDbObjectId>& ids) {
    CBlockTable table(CurrentDatabase(), AcDb::kForRead);
    if (!table.isOpened()) {
        PrintError(Source::ROUTIXCommandExports, __LINE__, "getBlockTable", true);
        return false;
    }
    CRecord<AcDbBlockTableRecord> space;
    if (table->getAt(ACDB_MODEL_SPACE, space.ref(), AcDb::kForRead) != Acad::eOk) {
        space.ref() = nullptr;
        PrintError(Source::ROUTIXCommandExports, __LINE__, "getAt", true);
        return false;
    }
    CRecordIterator it;
    if (space->newIterator(it.ref()) != Acad::eOk) {
        PrintError(Source::ROUTIXCommandExports, __LINE__, "newIterator", true);
        return false;
    }
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        if (id.dxfType() != "INSERT")
            continue;
        zelko::SymInfo* info = zelko::SymInfoOpen(id);
        if (info != nullptr && std::string_view(zelko::SymTypeName(info)) == "TERM")
            ids.push_back(id);
        zelko::SymInfoFree(info);
    }
    return true;
}

/// Makes the terminal blocks that are not in `before` the pick-first selection and runs
/// "ZELKO_3D_MOVEATT_DIRECT" on them.
void MoveAttributesOfNewBlocks(const std::vector<AcDbObjectId>& before) {
    std::vector<AcDbObjectId> after;
    if (!TerminalBlocks(after))
        return;
    ads_name set = {0, 0};
    bool made = false;
    int count = 0;
    for (const AcDbObjectId& id : after) {
        if (std::find(before.begin(), before.end(), id) != before.end())
            continue;
        ads_name entity;
        if (acdbGetAdsName(entity, id) != Acad::eOk)
            continue;
        if (acedSSAdd(entity, made ? set : nullptr, set) == RTNORM) {
            made = true;
            ++count;
        }
    }
    if (!made)
        return;
    acedSSSetFirst(nullptr, set);
    acedSSFree(set);
    if (count > 0) {
        CadCommand command(acutBuildList(RTSTR, "ZELKO_3D_MOVEATT_DIRECT", 0));
        command.run();
    }
}

}  // namespace

void RelayTermsBetweenPanels() {
    RelayTermsOfKind("BANKAN", IDS_CAPTION_TERMS_BETWEEN, "BankanParam.txt");
}

void RelayTermsInsidePanel() {
    RelayTermsOfKind("BANNAI", IDS_CAPTION_TERMS_INSIDE, "BannaiParam.txt");
}

void RelayTermsOnDoor() {
    RelayTermsOfKind("DOOR", IDS_CAPTION_TERMS_DOOR, "DoorParam.txt");
}

void RelayTermPlacement(int argument) {
    CSokucyou context;
    char caption[kMessageBufferSize] = {};
    context.LoadMsg(IDS_CAPTION_PLACE_TERMS, caption, sizeof caption);
    std::string folder;
    if (!context.GetDwgFolder(folder))
        return;
    const std::string root = DrawingRoot();
    const std::string drawingPath = CPathText::Join(folder, DrawingName());
    const bool layoutDrawing = g_b3DMode ? CPathText::StartsWithNoCase(DrawingName(), "LAYOUT_") &&
                                               zelko::DrawingKindCheck(drawingPath) == 0
                                         : ContainsNoCase(folder, root);
    if (!layoutDrawing && !zelko::ProjIsOpen()) {
        context.MsgBox(IDS_OPEN_PROJECT, caption, kErrorStyle);
        return;
    }
    const fs::path wimFile = zelko::WimFileOfFolder(folder);
    if (g_b3DMode)
        UpdateWimDatabase(wimFile);
    const bool check3D = g_b3DMode && zelko::Is3DEnabled(3);
    std::vector<AcDbObjectId> before;
    if (check3D)
        TerminalBlocks(before);

    for (;;) {
        CPutJtermDlg dialog;
        if (dialog.DoModal() != ui::kIdOk)
            break;
        std::vector<CCyuukeiTerm> rows;
        std::vector<const char*> kinds;
        switch (dialog.Choice()) {
            case 0:
                kinds = {"BANNAI"};
                break;
            case 1:
                kinds = {"DOOR"};
                break;
            case 2:
                kinds = {"BANKAN"};
                break;
            default:
                kinds = {"BANNAI", "DOOR", "BANKAN"};
                break;
        }
        CPutCyuukeiTerms collector;
        bool collected = true;
        if (layoutDrawing) {
            const std::string panel = PanelNameOfDrawing();
            if (panel.empty()) {
                context.MsgBox(IDS_NOT_EXPLORED_DRAWING, caption, kErrorStyle);
                break;
            }
            const std::string relative = CPathText::RemoveNoCase(folder, root);
            for (const char* kind : kinds)
                collected = collected && collector.Collect(1, rows, kind, relative, panel, caption);
        } else {
            std::string panelNo;
            if (!PanelNoOfTitle(context, caption, panelNo))
                break;
            for (const char* kind : kinds)
                collected = collected && collector.Collect(0, rows, kind, folder, panelNo, caption);
        }
        if (!collected)
            break;
        if (g_b3DMode && !rows.empty() && CSokucyou::IsFileExist(wimFile.string()))
            MergeByPins(rows, wimFile, argument);
        std::string path;
        if (!ParamFilePath("Param.txt", path) || !WriteParamFile(path, rows, g_b3DMode))
            break;
        if (g_b3DMode) {
            char title[kMessageBufferSize] = {};
            context.LoadMsg(argument == 1 ? IDS_PLACE_TERMS_COMBINATION : IDS_PLACE_TERMS_BLOCK,
                            title, sizeof title);
            PlacementFailed(argument == 1 ? zelko::PlaceRelayTermsCombination3D(path, title, 0)
                                          : zelko::PlaceRelayTermsBlock3D(path, title, 0));
        } else {
            PlacementFailed(zelko::PlaceRelayTerms(path, caption, 0));
        }
    }

    if (check3D)
        MoveAttributesOfNewBlocks(before);
}

}  // namespace routix
