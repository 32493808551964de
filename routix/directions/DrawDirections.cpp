#include "directions/DrawDirections.h"

#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <set>

#include "common/text.h"
#include "dbaccess/DbAccess.h"
#include "directions/Direction.h"
#include "directions/Plates.h"
#include "drawings/SelectTargetDlg.h"
#include "drawings/Sokucyou.h"
#include "frame/ConsoleError.h"
#include "frame/Frame.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"
#include "services/attributes.h"
#include "services/drawingcheck.h"
#include "services/project.h"
#include "services/symbols.h"
#include "services/termlist.h"
#include "services/wiringplan.h"

namespace routix {

namespace {

namespace fs = std::filesystem;

constexpr int kPanelDrawingFlag = 0x40;
constexpr int kQuestionCount = 500;
constexpr Adesk::UInt16 kLabelColour = 2;
constexpr Adesk::UInt16 kLabelFillColour = 17;

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

/// A symbol attribute of the view as text ("" when absent).
std::string Attr(const zelko::SymAttrs* attrs, std::string_view tag, bool* present = nullptr) {
    char* value = nullptr;
    const bool found = zelko::SymAttr(attrs, tag, value);
    std::string text = found && value != nullptr ? value : "";
    zelko::SymTextFree(value);
    if (present != nullptr)
        *present = found;
    return text;
}

bool ScriptRunning() {
    resbuf value{};
    return acedGetVar("CMDACTIVE", &value) == RTNORM && (value.resval.rint & 4) != 0;
}

/// Whether `path` lies in `folder` (compared without regard to case).
bool InFolder(const std::string& path, const std::string& folder) {
    if (folder.empty())
        return false;
    const std::string parent = fs::path(path).parent_path().lexically_normal().string();
    const std::string root = fs::path(folder).lexically_normal().string();
    return parent.size() >= root.size() &&
           common::EqualsNoCase(std::string_view(parent).substr(0, root.size()), root) &&
           (parent.size() == root.size() || parent[root.size()] == '/' || root.back() == '/');
}

/// The records of one list of the plan.
void LoadList(zelko::TermListKind kind, const std::string& pattern, std::vector<CTerm>& terms,
              const std::string& drawingName, bool& loaded) {
    zelko::TermList* list = zelko::TermListInit(kind);
    if (list == nullptr)
        return;
    if (zelko::TermListOpen(list, "") && zelko::TermListLoad(list, zelko::kTermVariantCurrent)) {
        loaded = true;
        zelko::TermItems* items = zelko::TermListItems(list);
        for (int i = 0; i < zelko::TermItemsCount(items); ++i) {
            const zelko::Term* item = zelko::TermItemsAt(items, i);
            const std::string tag = Text(zelko::TermComponentTag(item));
            if (!pattern.empty() && !acutWcMatchEx(tag.c_str(), pattern.c_str(), true))
                continue;
            if (!drawingName.empty() &&
                !common::EqualsNoCase(Text(zelko::TermDrawingName(item)), drawingName))
                continue;
            CTerm term;
            term.m_bTerm = kind == zelko::TermListKind::TerminalBlocks;
            term.m_strKind = term.m_bTerm ? "TERM" : "BAN";
            term.m_strConnector = Text(zelko::TermConnectorTag(item));
            term.m_strPanelNo = Text(zelko::TermPanelNo(item));
            term.m_strUnit = Text(zelko::TermUnit(item));
            term.m_strTag = tag;
            term.m_strTerminalNo = Text(zelko::TermTerminalNo(item));
            term.m_nDefaultPin = zelko::TermDefaultPin(item);
            double x = 0, y = 0, z = 0;
            zelko::TermPinOffset(item, x, y, z);
            term.m_pinOffset = AcGePoint3d(x, y, z);
            term.m_strDefaultWire = Text(zelko::TermWireDirText(item));
            term.m_strDefaultTube = Text(zelko::TermTubeDirText(item));
            term.m_cDefaultWire = zelko::TermWireDirCode(item);
            term.m_cDefaultTube = zelko::TermTubeDirCode(item);
            term.m_nMirrored = zelko::TermMirrored(item);
            term.m_nMirrorCount = zelko::TermMirrorCount(item);
            const char* terminalKind = zelko::TermKindText(item);
            term.m_bNoDirection = terminalKind == nullptr || *terminalKind == '\0';
            term.m_bBackSide = term.m_bTerm && Text(zelko::TermFaceText(item)) == "裏面";
            terms.push_back(std::move(term));
        }
        zelko::TermItemsFree(items);
    }
    zelko::TermListFree(list);
}

/// One symbol of the drawing that takes directions.
struct Symbol {
    AcDbObjectId id;
    bool term = false;
    std::string tag, unit, panel;
    std::vector<std::string> pins;  // TERM: PIN1, PIN2, ... until one is missing
    std::optional<std::string> reverse;
    AcGePoint3d insert;
    double rotation = 0;
};

/// Reads a candidate: a mark (its id into `marks`) or a BAN / TERM symbol.
void Classify(AcDbObjectId id, const AcDbEntity* entity, std::vector<AcDbObjectId>& marks,
              std::vector<Symbol>& symbols) {
    const auto* reference = AcDbBlockReference::cast(entity);
    if (reference == nullptr)
        return;
    char name[256] = {};
    if (BlockNameOf(reference, name, sizeof name)) {
        for (MarkKind kind : {MarkKind::Wire, MarkKind::Tube, MarkKind::WireN, MarkKind::TubeN}) {
            if (common::EqualsNoCase(name, MarkKey(kind))) {
                marks.push_back(id);
                return;
            }
        }
    }
    zelko::SymAttrs* attrs = nullptr;
    if (!zelko::SymAttrsOpen(reference, "", attrs))
        return;
    const std::string type = zelko::SymTypeName(zelko::SymAttrsHandle(attrs));
    Symbol symbol;
    symbol.term = common::EqualsNoCase(type, "TERM");
    if (symbol.term || common::EqualsNoCase(type, "BAN")) {
        symbol.id = id;
        symbol.tag = Attr(attrs, "NAME") + Attr(attrs, "OP_NAME");
        symbol.unit = Attr(attrs, "INST_NO");
        symbol.panel = Attr(attrs, "BAN_NO");
        bool present = false;
        const std::string reverse = Attr(attrs, "REVERSE", &present);
        if (present)
            symbol.reverse = reverse;
        for (int n = 1; symbol.term && n <= kMaxDirectionIndex; ++n) {
            const std::string pin = Attr(attrs, "PIN" + std::to_string(n), &present);
            if (!present)
                break;
            symbol.pins.push_back(pin);
        }
        if (symbol.term && symbol.pins.empty())
            symbol.pins.push_back("1");
        symbol.insert = reference->position();
        symbol.rotation = reference->rotation();
        if (!symbol.tag.empty())
            symbols.push_back(std::move(symbol));
    }
    zelko::SymAttrsClose(attrs);
}

void EraseObjects(const std::vector<AcDbObjectId>& ids) {
    for (const AcDbObjectId id : ids) {
        CEntity entity;
        if (entity.open(id, AcDb::kForWrite))
            entity.entity()->erase();
    }
}

/// The mark handles and pins of the records, for finding their old marks.
using MarkKeys = std::set<std::pair<std::uint64_t, int>>;

/// The symbol handle and pin a mark's data of `application` names.
std::optional<std::pair<std::uint64_t, int>> MarkKeyOf(const AcDbObject* entity,
                                                       const char* application) {
    CDxf data;
    if (!data.read(entity, application))
        return std::nullopt;
    const resbuf* handle = data.head()->rbnext;
    if (handle == nullptr || handle->restype != 1005 || handle->resval.rstring == nullptr ||
        handle->rbnext == nullptr || handle->rbnext->restype != 1070)
        return std::nullopt;
    return std::make_pair(AcDbHandle(handle->resval.rstring).value(),
                          int{handle->rbnext->resval.rint});
}

void SetData(AcDbObject* object, resbuf* chain) {
    if (chain == nullptr || object->setXData(chain) != Acad::eOk)
        ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "setXData");
    acutRelRb(chain);
}

/// Both data items of a mark or label.
void SetMarkData(AcDbObject* object, const char* application, const CTerm& term) {
    SetData(object, acutBuildList(1001, kDwgCheckApp, 1000, "", 0));
    const std::string handle = term.m_symbol.handle().text();
    SetData(object, acutBuildList(1001, application, 1005, handle.c_str(), 1070, term.m_nPin, 0));
}

/// Where a terminal's marks go and how they turn.
struct Placement {
    AcGePoint3d point;
    double rotation = 0;  // added to the code's angle
    AcGeVector3d normal = AcGeVector3d::kZAxis;
};

/// The plate of the last 3D placement, kept while consecutive records share the symbol's
/// normal and rotation (within 0.0001) and its plate name.
struct PlateCache {
    bool valid = false;
    AcGeVector3d normal;
    double rotation = 0;
    std::string name;
    const CPlate3D* plate = nullptr;
};

Placement PlaceTerminal(const CTerm& term, const AcDbBlockReference* reference,
                        const CPlateList& plates, PlateCache& cache) {
    Placement placement;
    if (!g_b3DMode) {
        placement.point = TerminalPosition2D(term);
        return placement;
    }
    const bool backSide = term.m_nMirrored > 0 || term.m_bBackSide;
    std::string panel = term.m_strPanelNo;
    if (panel.empty())
        panel = AttributeText(reference, "BAN_NO").value_or("");
    const std::string name = CPlateList::PlateName(
        panel, AttributeText(reference, "WP_PLATENAME").value_or(""), backSide);
    const AcGeVector3d normal = reference->normal();
    if (!cache.valid || (cache.normal - normal).length() > 1e-4 ||
        std::fabs(cache.rotation - reference->rotation()) > 1e-4 ||
        !common::EqualsNoCase(cache.name, name)) {
        cache = {true, normal, reference->rotation(), name, plates.Find(name)};
    }
    const bool reversed = cache.plate != nullptr ? cache.plate->m_bBack : backSide;
    AcGePoint3d offset = term.m_pinOffset;
    if (reversed)
        offset.rotateBy(std::numbers::pi, AcGeVector3d::kYAxis);
    placement.point = offset.transformBy(reference->blockTransform());
    placement.rotation = cache.plate != nullptr ? cache.plate->m_dAngle : reference->rotation();
    placement.normal = normal;
    return placement;
}

/// Inserts one mark; false when its block is missing or the insertion fails.
bool InsertMark(AcDbDatabase* database, std::map<MarkKind, AcDbObjectId>& blocks, MarkKind kind,
                const Placement& placement, double angle, const char* application,
                const CTerm& term, Source source) {
    auto found = blocks.find(kind);
    if (found == blocks.end())
        found = blocks.emplace(kind, MarkBlock(database, kind)).first;
    if (found->second.isNull())
        return false;
    AcDbObjectId id;
    if (zelko::SymInsertBlock(id, placement.point, found->second, database, kMarkLayer) == 0) {
        ROUTIX_ERROR(source, "ZelkoInsertBlock");
        return false;
    }
    CEntity mark;
    if (!mark.open(id, AcDb::kForWrite))
        return false;
    auto* reference = AcDbBlockReference::cast(mark.entity());
    if (reference == nullptr)
        return false;
    reference->setLayer(kMarkLayer);
    if (g_b3DMode)
        reference->setNormal(placement.normal);
    if (Acad::ErrorStatus es = reference->setRotation(placement.rotation + angle); es != Acad::eOk)
        ROUTIX_STATUS_ERROR(source, "setRotation", es);
    SetMarkData(reference, application, term);
    return true;
}

/// The terminal-number label beside a terminal block's wire mark.
void InsertLabel(AcDbDatabase* database, const CTerm& term, const AcDbBlockReference* symbol,
                 double angle) {
    CBlockTable table(database, AcDb::kForRead);
    if (!table.isOpened())
        return;
    CRecord<AcDbBlockTableRecord> space;
    if (table->getAt(ACDB_MODEL_SPACE, space.ref(), AcDb::kForWrite) != Acad::eOk) {
        space.ref() = nullptr;
        return;
    }
    auto* label = new AcDbMText;
    label->setDatabaseDefaults(database);
    label->setContents(term.m_strTerminalNo.c_str());
    label->setRotation(angle - term.m_dRotation);
    label->setTextHeight(4);
    label->setColorIndex(kLabelColour);
    label->setLayer(kMarkLayer);
    label->setBackgroundFill(true);
    label->setBackgroundFillColor(AcCmColor(kLabelFillColour));
    AcDbExtents extents;
    if (label->getGeomExtents(extents) == Acad::eOk)
        label->setLocation(AcGePoint3d(-(extents.minPoint().x + extents.maxPoint().x) / 2, 12, 0));
    else
        label->setLocation(AcGePoint3d(0, 12, 0));
    label->transformBy(symbol->blockTransform());
    AcDbObjectId id;
    if (space->appendAcDbEntity(id, label) != Acad::eOk) {
        delete label;
        ROUTIX_ERROR(Source::NyuusenhoukouShijiDlg, "appendAcDbEntity");
        return;
    }
    SetMarkData(label, kWireMarkApp, term);
    label->close();
}

}  // namespace

bool CheckDirectionDrawing(const CSokucyou& context, const std::string& caption,
                           std::string& path) {
    resbuf value{};
    std::string prefix;
    if (acedGetVar("DWGPREFIX", &value) == RTNORM && value.restype == RTSTR) {
        prefix = Text(value.resval.rstring);
        acutDelString(value.resval.rstring);
    }
    const std::string folder = CPathText::CutTrailingSeparator(prefix);
    if (folder.empty() || !CSokucyou::IsFileExist(folder)) {
        context.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const ACHAR* fileName = nullptr;
    if (AcDbDatabase* database = CurrentDatabase(); database != nullptr)
        database->getFilename(fileName);
    path = Text(fileName);
    bool layout = false;
    if (g_b3DMode) {
        const std::string stem = common::ToUpper(fs::path(path).stem().string());
        layout = stem.starts_with("LAYOUT_") && zelko::DrawingKindCheck(path) == 0;
    } else {
        std::string project;
        std::string layoutFolder;
        std::string root;
        if (zelko::ProjFolder(project) && context.GetLayoutFolder(project, layoutFolder, false))
            layout = InFolder(path, layoutFolder);
        int flags = 0;
        if (!layout && context.GetLayoutFolder("", root, false))
            layout = zelko::ProjDrawingFlags(path, flags) && (flags & kPanelDrawingFlag) != 0;
    }
    if (!layout) {
        context.MsgBox(IDS_NOT_LAYOUT_DRAWING, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool LoadProjectTerms(const std::string& pattern, std::vector<CTerm>& terms, bool components,
                      bool terminals, const std::string& drawingName) {
    bool loaded = false;
    if (components)
        LoadList(zelko::TermListKind::Components, pattern, terms, drawingName, loaded);
    if (terminals)
        LoadList(zelko::TermListKind::TerminalBlocks, pattern, terms, drawingName, loaded);
    return loaded;
}

void WriteDirectionsAndMarks(std::vector<CTerm>& terms, bool clearFirst, bool manySymbols) {
    DirectionWrite how;
    how.clearFirst = clearFirst;
    how.manySymbols = manySymbols;
    WriteDirectionsAndMarks(terms, how);
}

void WriteDirectionsAndMarks(std::vector<CTerm>& terms, const DirectionWrite& how) {
    AcDbDatabase* database = CurrentDatabase();
    if (database == nullptr)
        return;
    CPlateList ownPlates;
    if (g_b3DMode && how.plates == nullptr)
        ownPlates.Build(database);
    const CPlateList& plateList = how.plates != nullptr ? *how.plates : ownPlates;
    PlateCache cache;
    acedSetStatusBarProgressMeter(LoadResourceString(IDS_PROGRESS_UPDATING).c_str(), 0, 100);

    // Old marks of the records, through their data: by symbol and pin, or every mark of the
    // symbol when its attributes are cleared first or (2D, when asked) it is a general
    // component's.
    MarkKeys keys;
    std::set<std::uint64_t> wholeSymbols;
    for (const CTerm& term : terms) {
        keys.emplace(term.m_symbol.handle().value(), term.m_nPin);
        if (how.clearFirst || (how.allMarksOfComponentsInTwoD && !g_b3DMode && !term.m_bTerm))
            wholeSymbols.insert(term.m_symbol.handle().value());
    }
    std::vector<AcDbObjectId> old;
    ForEachModelSpaceEntity(
        database, how.source, UnreadableEntity::Skip, [&](AcDbObjectId id, CEntity& entity) {
            const AcDbEntity* e = entity.entity();
            const std::string_view type = id.dxfType();
            if ((type != "LINE" && type != "INSERT" && type != "MTEXT") ||
                !common::EqualsNoCase(e->layerName(), kMarkLayer))
                return true;
            for (const char* application : {kWireMarkApp, kTubeMarkApp}) {
                const auto key = MarkKeyOf(e, application);
                if (key && (keys.count(*key) != 0 || wholeSymbols.count(key->first) != 0)) {
                    old.push_back(id);
                    break;
                }
            }
            return true;
        });
    EraseObjects(old);

    if (how.clearFirst) {
        std::set<AcDbObjectId> done;
        for (const CTerm& term : terms)
            if (done.insert(term.m_symbol).second)
                ClearDirectionAttributes(term.m_symbol);
    }

    EnsureRegApp(kDwgCheckApp, database);
    EnsureRegApp(kWireMarkApp, database);
    EnsureRegApp(kTubeMarkApp, database);
    const bool labels = zelko::ProjectVersionCheck("25.0");
    std::map<MarkKind, AcDbObjectId> blocks;
    std::map<AcDbObjectId, std::string> layers;  // the attribute layer, once per block
    for (std::size_t i = 0; i < terms.size(); ++i) {
        CTerm& term = terms[i];
        acedSetStatusBarProgressMeterPos(static_cast<int>(i * 100 / terms.size()));
        if (term.m_nPin <= 0)
            continue;
        const auto valueOf = [&](const std::string& direction) {
            if (term.m_bNoDirection || (direction == "*" && how.manySymbols))
                return std::string();
            return direction;
        };
        const std::string wire = valueOf(term.m_strWire);
        const std::string tube = valueOf(term.m_strTube);
        // The records whose attributes are written: the record, and in 2D its index 1 too
        // when it is the "(TO)" side at index 2.
        std::vector<CTerm> written{term};
        if (how.bothIndicesInTwoD && !g_b3DMode && term.m_nPin == 2) {
            written.insert(written.begin(), term);
            written.front().m_nPin = 1;
        }
        Placement placement;
        {
            CBlockRefEnt reference;
            if (!reference.open(term.m_symbol, AcDb::kForWrite)) {
                // The terminal-block dialogs name the status and a symbol of another kind.
                if (how.source != Source::NyuusenhoukouShijiTermDlg)
                    ROUTIX_ERROR(how.source, "acdbOpenObject");
                else if (reference.entity() != nullptr)
                    ROUTIX_ERROR(how.source, "Not AcDbBlockReference");
                else
                    ROUTIX_STATUS_ERROR(how.source, "acdbOpenObject", reference.status());
                continue;
            }
            auto layer = layers.find(reference->blockTableRecord());
            if (layer == layers.end())
                layer = layers
                            .emplace(reference->blockTableRecord(),
                                     DirectionLayer(term.m_symbol,
                                                    kWireDirPrefix + std::to_string(term.m_nPin)))
                            .first;
            for (const CTerm& target : written) {
                for (const char* prefix : {kWireDirPrefix, kTubeDirPrefix}) {
                    const std::string tag = prefix + std::to_string(target.m_nPin);
                    const std::string& value = prefix == kWireDirPrefix ? wire : tube;
                    EnsureDirectionAttribute(reference.get(), tag, value == "*" ? "" : value,
                                             layer->second, how.createLayers);
                }
            }
            placement = PlaceTerminal(term, reference.get(), plateList, cache);
        }
        // An empty value leaves the text ("*") unless the user chose to empty it; "*" itself
        // is never written.
        const bool empties = how.writeEmpty && !term.m_bNoDirection;
        const auto toWrite = [&](const std::string& value) {
            return value.empty() && !empties ? std::string("*") : value;
        };
        for (const CTerm& target : written) {
            WriteDirection(target, kWireDirPrefix, toWrite(wire));
            WriteDirection(target, kTubeDirPrefix, toWrite(tube));
        }
        if (term.m_bNoDirection)
            continue;
        // The marks show what the attribute holds now: a direction left as it is ("*") is the
        // one its attribute keeps, and its marks, erased with the record's old marks, are
        // drawn again for it.
        const auto markCode = [&](const std::string& value, const char* prefix) {
            const std::string kept = toWrite(value);
            return StoredCode(
                kept != "*" ? kept
                            : ReadDirectionText(term.m_symbol, prefix, term.m_nPin).value_or(""));
        };
        const std::string wireCode = markCode(wire, kWireDirPrefix);
        const std::string tubeCode = markCode(tube, kTubeDirPrefix);
        if (!wireCode.empty())
            InsertMark(database, blocks, wireCode == "N" ? MarkKind::WireN : MarkKind::Wire,
                       placement, MarkRotation(wireCode), kWireMarkApp, term, how.source);
        if (!tubeCode.empty())
            InsertMark(database, blocks, tubeCode == "N" ? MarkKind::TubeN : MarkKind::Tube,
                       placement, MarkRotation(tubeCode), kTubeMarkApp, term, how.source);
        if (labels && term.m_bTerm && !wireCode.empty() && wireCode != "N") {
            CBlockRefEnt reference;
            if (reference.open(term.m_symbol, AcDb::kForRead))
                InsertLabel(database, term, reference.get(), MarkRotation(wireCode));
        }
    }
    acedRestoreStatusBar();
}

void DrawAllDirections() {
    CSokucyou context;
    const std::string caption = LoadResourceString(IDS_CAPTION_CONFIRM_DIRECTION);
    std::string path;
    if (!CheckDirectionDrawing(context, caption, path))
        return;
    AcDbDatabase* database = CurrentDatabase();

    // The project's wiring plan and its settings.
    zelko::WpData* plan = zelko::WpDataInit();
    if (plan == nullptr || !zelko::WpDataOpen(plan, "")) {
        zelko::WpDataFree(plan);
        context.MsgBox(IDS_NO_DATABASE_INFO, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const bool mirrorCorrection = zelko::WpMirrorCorrection(zelko::WpPlanSettings(plan));
    zelko::WpDataFree(plan);

    // The target.
    int target = CSelectTargetDlg::kAllTerminals;
    const bool interactive = !ScriptRunning() && IsTargetSelectable();
    if (interactive) {
        CSelectTargetDlg dialog(g_b3DMode, CSelectTargetDlg::kAllTerminals);
        if (dialog.DoModal() != ui::kIdOk)
            return;
        target = dialog.m_nOption;
    }

    // The records of the project data.
    std::vector<CTerm> loaded;
    const std::string drawingName = g_b3DMode ? fs::path(path).stem().string() : "";
    if (!LoadProjectTerms("", loaded, true, true, drawingName)) {
        context.MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    // The candidates.
    std::vector<AcDbObjectId> marks;
    std::vector<Symbol> symbols;
    if (target == CSelectTargetDlg::kPlateTerminals) {
        acutPrintf("\n面選択コマンドで、仮配置の対象となる面を選択してください。");
        return;
    }
    if (target == CSelectTargetDlg::kAreaTerminals) {
        resbuf* filter = acutBuildList(-4, "<OR", RTDXF0, "INSERT", -4, "<AND", RTDXF0, "LINE", 8,
                                       kMarkLayer, -4, "AND>", -4, "OR>", 0);
        CSelection selection;
        const int status = acedSSGet(nullptr, nullptr, nullptr, filter, selection.fill());
        acutRelRb(filter);
        if (status != RTNORM) {
            acutPrintf("\n図形が選択されませんでした。");
            return;
        }
        selection.setHeld(true);
        for (int i = 0; i < selection.length(); ++i) {
            CEntity entity;
            if (entity.open(selection.at(i), AcDb::kForRead))
                Classify(selection.at(i), entity.entity(), marks, symbols);
        }
    } else {
        ForEachModelSpaceEntity(database, Source::ROUTIXCommandExports, UnreadableEntity::Skip,
                                [&](AcDbObjectId id, CEntity& entity) {
                                    Classify(id, entity.entity(), marks, symbols);
                                    return true;
                                });
    }

    // Gather: the records of each symbol.
    std::multimap<std::string, const CTerm*> byTag;
    for (const CTerm& term : loaded)
        byTag.emplace(term.m_strTag, &term);
    std::vector<CTerm> gathered;
    acedSetStatusBarProgressMeter(LoadResourceString(IDS_PROGRESS_SYMBOLS).c_str(), 0, 100);
    for (std::size_t s = 0; s < symbols.size(); ++s) {
        const Symbol& symbol = symbols[s];
        acedSetStatusBarProgressMeterPos(static_cast<int>(s * 100 / symbols.size()));
        const auto [first, last] = byTag.equal_range(symbol.tag);
        for (auto it = first; it != last; ++it) {
            const CTerm& source = *it->second;
            if (source.m_bTerm != symbol.term || source.m_strUnit != symbol.unit ||
                PanelsDiffer(source.m_strPanelNo, symbol.panel))
                continue;
            if (symbol.term && std::find(symbol.pins.begin(), symbol.pins.end(),
                                         source.m_strTerminalNo) == symbol.pins.end())
                continue;
            CTerm term = source;
            term.m_symbol = symbol.id;
            term.m_insert = symbol.insert;
            term.m_dRotation = symbol.rotation;
            term.m_nPin = ResolvePinIndex(term, gathered);
            SettleMirror(term, symbol.reverse, mirrorCorrection);
            gathered.push_back(std::move(term));
        }
    }
    AssignFreeIndices(gathered);
    for (CTerm& term : gathered) {
        if (g_b3DMode)
            FillPinOffset(term);
        term.m_strWire = EffectiveDirection(
            ReadDirectionText(term.m_symbol, kWireDirPrefix, term.m_nPin).value_or(""),
            term.m_cDefaultWire, term.m_strDefaultWire, kValidCodes);
        term.m_strTube = EffectiveDirection(
            ReadDirectionText(term.m_symbol, kTubeDirPrefix, term.m_nPin).value_or(""),
            term.m_cDefaultTube, term.m_strDefaultTube, kValidCodes);
    }
    acedRestoreStatusBar();
    if (gathered.empty()) {
        context.MsgBox(IDS_NO_VALID_TERMINAL, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (static_cast<int>(gathered.size()) >= kQuestionCount && interactive &&
        AfxMessageBox("処理に時間がかかる場合があります。実行しますか？",
                      MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;

    // The drawing: every layer open while the marks are redrawn.
    std::vector<CLayerState> layerStates;
    CollectLayerStates(database, layerStates);
    ReleaseAllLayers(layerStates);
    EraseObjects(marks);
    for (const Symbol& symbol : symbols)
        ClearDirectionAttributes(symbol.id, true);
    WriteDirectionsAndMarks(gathered, false, symbols.size() > 1);
    RestoreLayerStates(layerStates);
    acutPrintf("\n入線方向を作図しました。");
}

}  // namespace routix
