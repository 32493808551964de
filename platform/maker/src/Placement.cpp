// A23ZOPAR: the relay-terminal placement service (services/placement.h says what it draws).

#include "services/placement.h"

#include <algorithm>
#include <map>
#include <vector>

#include "DrawingAccess.h"
#include "Store.h"
#include "common/codepage.h"
#include "common/files.h"
#include "common/text.h"
#include "host/aced.h"
#include "services/maker.h"
#include "services/symbols.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Opened;

namespace {

constexpr std::string_view kWho = "A23ZOPAR";
constexpr const char* kLayer = "SYMBOL";

/// One line of the parameter file by column name.
using Line = std::map<std::string, std::string, std::less<>>;

bool ReadParameterFile(const fs::path& file, std::vector<Line>& lines) {
    std::string bytes;
    if (const std::error_code ec = common::ReadWholeFile(file, bytes)) {
        detail::SetLastError(std::string(kWho) + ": '" + file.string() +
                             "' cannot be read: " + common::Describe(ec));
        return false;
    }
    const std::string text = common::FromCodePageLossy(bytes);
    const auto rows = common::SplitLines(text);
    if (rows.empty() || rows.front().empty()) {
        detail::SetLastError(std::string(kWho) + ": '" + file.string() + "' has no header line");
        return false;
    }
    std::vector<std::string> names;
    for (std::string_view name : common::Split(rows.front(), '\t'))
        names.push_back(common::ToUpper(name));
    for (std::size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].empty())
            continue;
        const auto fields = common::Split(rows[r], '\t');
        Line line;
        for (std::size_t c = 0; c < names.size() && c < fields.size(); ++c)
            line[names[c]] = std::string(fields[c]);
        lines.push_back(std::move(line));
    }
    return true;
}

std::string Value(const Line& line, std::string_view column) {
    const auto found = line.find(column);
    return found == line.end() ? std::string() : found->second;
}

/// The symbol library's drawing of `symbol`, found without regard to case.
fs::path SymbolDrawing(const std::string& symbol) {
    const fs::path folder = SymbolLibraryFolder();
    const fs::path exact = folder / (symbol + ".dxf");
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (common::EqualsNoCase(name, symbol + ".dxf"))
            return entry.path();
    }
    return exact;
}

/// The width of a block's contents (at least one unit), the distance from its insertion base
/// to the left edge of its contents, and the height of its lower edge above the base.
void BlockWidth(AcDbObjectId blockId, double& width, double& left, double& bottom) {
    width = 1.0;
    left = 0.0;
    bottom = 0.0;
    Opened<AcDbBlockTableRecord> block(blockId, AcDb::kForRead);
    if (!block)
        return;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (block->newIterator(iterator) != Acad::eOk)
        return;
    AcDbExtents box;
    for (; !iterator->done(); iterator->step()) {
        AcDbEntity* entity = nullptr;
        if (iterator->getEntity(entity, AcDb::kForRead) != Acad::eOk)
            continue;
        AcDbExtents extents;
        if (!AcDbAttributeDefinition::cast(entity) && entity->getGeomExtents(extents) == Acad::eOk)
            box.addExt(extents);
        entity->close();
    }
    delete iterator;
    if (box.isEmpty())
        return;
    width = std::max(1.0, box.maxPoint().x - box.minPoint().x);
    left = box.minPoint().x;
    bottom = box.minPoint().y;
}

/// Sets the attribute `tag` of the reference, or adds it when the block defines none: the name
/// and the terminals visible, stacked below the block's lower edge `bottom` (`row` 0, 1, ...),
/// the others invisible at the insertion point.
void SetAttribute(AcDbBlockReference* reference, const std::string& tag, const std::string& value,
                  int row = -1, double bottom = 0) {
    std::unique_ptr<AcDbObjectIterator> iterator(reference->attributeIterator());
    for (; iterator && !iterator->done(); iterator->step()) {
        AcDbAttribute* attribute = nullptr;
        if (acdbOpenObject(attribute, iterator->objectId(), AcDb::kForWrite) != Acad::eOk)
            continue;
        const bool match = common::EqualsNoCase(attribute->tagName(), tag);
        if (match)
            attribute->setTextString(value.c_str());
        attribute->close();
        if (match)
            return;
    }
    AcGePoint3d position = reference->position();
    if (row >= 0)
        position.y += bottom - 2.0 * (row + 1);
    auto* attribute = new AcDbAttribute(position, value.c_str(), tag.c_str());
    attribute->setDatabaseDefaults(reference->database());
    attribute->setHeight(1.5);
    attribute->setInvisible(row < 0);
    attribute->setLayer(kLayer);
    if (reference->appendAttribute(attribute) == Acad::eOk)
        attribute->close();
    else
        delete attribute;
}

/// Marks the reference as a maker terminal block ("ZELKO_SYMBOL" "TERM").
void MarkTerminalBlock(AcDbBlockReference* reference, AcDbDatabase* database) {
    AcDbRegAppTable* apps = nullptr;
    if (database->getRegAppTable(apps, AcDb::kForWrite) == Acad::eOk) {
        const std::string app(kSymbolApp);
        if (!apps->has(app.c_str())) {
            auto* record = new AcDbRegAppTableRecord();
            record->setName(app.c_str());
            if (apps->add(record) == Acad::eOk)
                record->close();
            else
                delete record;
        }
        apps->close();
    }
    const std::string app(kSymbolApp);
    resbuf* chain = acutBuildList(1001, app.c_str(), 1000, "TERM", 0);
    reference->setXData(chain);
    acutRelRb(chain);
}

int Place(const fs::path& parameterFile, bool threeD) {
    std::vector<Line> lines;
    if (!ReadParameterFile(parameterFile, lines))
        return -1;
    AcApDocument* document = acDocManagerPtr()->curDocument();
    AcDbDatabase* database = document != nullptr ? document->database() : nullptr;
    if (database == nullptr) {
        detail::SetLastError(std::string(kWho) + ": no drawing is open");
        return -2;
    }
    if (lines.empty())
        return 0;
    ads_point picked{};
    if (acedGetPoint(nullptr, "\nSpecify the insertion point of the terminal blocks: ", picked) !=
        RTNORM) {
        detail::SetLastError(std::string(kWho) + ": no insertion point was given");
        return -3;
    }
    const std::string symbolColumn = threeD ? "BOM3DSYM" : "BOMBSYM";
    double x = picked[0];
    int placed = 0;
    for (const Line& line : lines) {
        const std::string symbol = Value(line, symbolColumn);
        const std::string name = Value(line, "NAME-") + ":" + Value(line, "PIN1");
        if (symbol.empty()) {
            acutPrintf("\nNo symbol for the terminal %s.", name.c_str());
            continue;
        }
        AcDbObjectId blockId;
        const fs::path drawing = SymbolDrawing(symbol);
        if (SymLoadBlockFile(database, symbol, drawing.string(), blockId) == 0) {
            acutPrintf("\nThe symbol drawing %s cannot be read: %s", drawing.string().c_str(),
                       MakerLastError().c_str());
            continue;
        }
        double width = 1.0;
        double left = 0.0;
        double bottom = 0.0;
        BlockWidth(blockId, width, left, bottom);
        AcDbObjectId referenceId;
        if (SymInsertBlock(referenceId, AcGePoint3d(x - left, picked[1], picked[2]), blockId,
                           database, kLayer) == 0) {
            acutPrintf("\nThe terminal %s cannot be placed: %s", name.c_str(),
                       MakerLastError().c_str());
            continue;
        }
        x += width;
        Opened<AcDbBlockReference> reference(referenceId, AcDb::kForWrite);
        if (!reference)
            continue;
        MarkTerminalBlock(reference.get(), database);
        SetAttribute(reference.get(), "NAME", Value(line, "NAME-"), 0, bottom);
        SetAttribute(reference.get(), "BAN_NO", Value(line, "BAN_NO"));
        SetAttribute(reference.get(), "B_CODE", Value(line, "B_CODE"));
        SetAttribute(reference.get(), "TYPE", Value(line, "TYPE+"));
        SetAttribute(reference.get(), "SPEC", Value(line, "SPEC+"));
        int pin = 0;
        const std::string terminals = Value(line, "PIN1");  // the views below point into it
        for (std::string_view terminal : common::Split(terminals, ',')) {
            ++pin;
            SetAttribute(reference.get(), "PIN" + std::to_string(pin), std::string(terminal), pin,
                         bottom);
        }
        ++placed;
    }
    return placed;
}

}  // namespace

fs::path SymbolLibraryFolder() {
    return MakerInstallFolder() / "SYMBOL";
}

int PlaceRelayTerms(const fs::path& parameterFile, std::string_view, int) {
    return Place(parameterFile, false);
}

int PlaceRelayTermsCombination3D(const fs::path& parameterFile, std::string_view, int) {
    return Place(parameterFile, true);
}

int PlaceRelayTermsBlock3D(const fs::path& parameterFile, std::string_view, int) {
    return Place(parameterFile, true);
}

}  // namespace zelko
