// Route cuts of the maker's symbols from the project store: by the drawing's page and the
// symbol's handle, in their order; none without a project, for an unknown symbol, or in a
// store written before route cuts were kept.

#include "services/routecut.h"

#include <gtest/gtest.h>

#include <vector>

#include "MakerFixture.h"
#include "common/text.h"
#include "services/maker.h"
#include "services/project.h"

namespace {

namespace fs = std::filesystem;
using namespace zelko;

/// A drawing saved as `file` with one line; the line's handle in `handle`.
AcDbObjectId LineIn(AcDbDatabase& db, const fs::path& file, std::string& handle) {
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbBlockTableRecord* space = nullptr;
    acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite);
    AcDbObjectId id;
    space->appendAcDbEntity(id, line);
    AcDbHandle h;
    line->getAcDbHandle(h);
    char text[17] = {};
    h.getIntoAsciiBuffer(text, sizeof text);
    handle = text;
    line->close();
    space->close();
    EXPECT_EQ(db.saveAs(file.c_str()), Acad::eOk);
    return id;
}

std::vector<int> Cuts(AcDbObjectId id, AcDbDatabase* db, bool* found = nullptr) {
    int* numbers = nullptr;
    int count = -1;
    const bool any = RouteCutList(id, db, numbers, count);
    if (found != nullptr)
        *found = any;
    std::vector<int> out(numbers, numbers + (numbers != nullptr ? count : 0));
    RouteCutFree(numbers);
    EXPECT_EQ(numbers, nullptr);
    return out;
}

TEST(RouteCut, TheStoreGivesASymbolsNumbersInOrder) {
    testsupport::TempDir dir;
    AcDbDatabase db;
    std::string handle;
    const AcDbObjectId id = LineIn(db, dir.path() / "LAYOUT_ROW1.dwg", handle);
    bool found = true;
    EXPECT_TRUE(Cuts(id, &db, &found).empty());  // no project open
    EXPECT_FALSE(found);

    const fs::path project = makertest::MakeProject(
        dir.path() / "P", "INSERT INTO route_cut VALUES ('layout_row1', '" +
                              common::ToUpper(handle) +
                              "', 2, 7);"
                              "INSERT INTO route_cut VALUES ('LAYOUT_ROW1', '" +
                              handle +
                              "', 1, 12);"
                              "INSERT INTO route_cut VALUES ('LAYOUT_ROW2', '" +
                              handle + "', 1, 99);");
    ASSERT_TRUE(ProjOpen(project.string())) << MakerLastError();
    EXPECT_EQ(Cuts(id, &db, &found), (std::vector<int>{12, 7}));
    EXPECT_TRUE(found);
    AcDbDatabase other;
    std::string otherHandle;
    const AcDbObjectId unknown = LineIn(other, dir.path() / "LAYOUT_ROW3.dwg", otherHandle);
    EXPECT_TRUE(Cuts(unknown, &other, &found).empty());
    EXPECT_FALSE(found);
    ProjClose();

    // A store of this layout version written before the table existed holds no route cuts.
    const fs::path older = makertest::MakeProject(dir.path() / "Q", "DROP TABLE route_cut;");
    ASSERT_TRUE(ProjOpen(older.string())) << MakerLastError();
    EXPECT_TRUE(Cuts(id, &db, &found).empty());
    EXPECT_FALSE(found);
    ProjClose();
}

}  // namespace
