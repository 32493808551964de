#include "services/project.h"

#include <gtest/gtest.h>

#include "MakerFixture.h"
#include "services/maker.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

std::string ProjPathText(std::string_view init) {
    ProjPath* path = ProjPathInit(init);
    if (path == nullptr) {
        return "<null>";
    }
    std::string folder;
    EXPECT_TRUE(ProjPathFolder(path, folder));
    ProjPathFree(path);
    return folder;
}

TEST_F(SampleTest, AnOpenProjectAnswersWithItsFolderAndVersion) {
    ASSERT_TRUE(ProjOpen((project() / "").string()));  // a trailing separator is no matter
    EXPECT_EQ(ProjIsOpen(), 1);
    std::string folder;
    ASSERT_TRUE(ProjFolder(folder));
    EXPECT_EQ(folder, project().string());
    EXPECT_EQ(ProjectFolder(), project().string());

    // The sample's data version is 25.00.
    EXPECT_TRUE(ProjectVersionCheck("16.00"));
    EXPECT_TRUE(ProjectVersionCheck("25.0"));
    EXPECT_FALSE(ProjectVersionCheck("25.01"));
    EXPECT_FALSE(ProjectVersionCheck("x"));

    EXPECT_EQ(ProjectRevisionState(0), 2);
    EXPECT_EQ(ProjectRevisionState2(1), 2);
    EXPECT_EQ(ProjectRevisionState(1), 0);  // a selector the store has no state for

    ProjClose();
    EXPECT_EQ(ProjIsOpen(), 0);
    EXPECT_FALSE(ProjFolder(folder));
    EXPECT_EQ(ProjectFolder(), "");
    EXPECT_FALSE(ProjectVersionCheck("16.00"));
    EXPECT_EQ(ProjectRevisionState(0), 0);
}

TEST_F(SampleTest, DrawingListGivesThePanelDrawingsWithTheirPanels) {
    int count = -1;
    EXPECT_EQ(ProjDrawingList(kProjDrawingPanel, count), nullptr);  // no project yet
    EXPECT_EQ(count, 0);

    ASSERT_TRUE(ProjOpen(project().string()));
    ProjDrawings* list = ProjDrawingList(kProjDrawingPanel, count);
    ASSERT_NE(list, nullptr);
    // Each panel's mounting plates and door; the schematic (kind 1) is not listed.
    ASSERT_EQ(count, 2 * m_options.panels);
    const std::string first = ProjDrawingAt(list, 0);
    EXPECT_EQ(first, (project() / "DWG" / "PANEL" / "P01.dwg").string());
    EXPECT_EQ(ProjDrawingAt(list, 1), (project() / "DWG" / "PANEL" / "P01_DOOR.dwg").string());
    EXPECT_EQ(ProjDrawingAt(list, count), "");
    ProjDrawingListFree(list);

    std::string panelNo;
    EXPECT_EQ(ProjDrawingPanelNo(first, panelNo), 1);
    EXPECT_EQ(panelNo, "P1");
    // Paths compare without regard to case and separators, as the drawing list is written.
    std::string upper = (project() / "DWG" / "panel" / "p02.DWG").string();
    EXPECT_EQ(ProjDrawingPanelNo(upper, panelNo), 1);
    EXPECT_EQ(panelNo, "P2");
    int flags = 0;
    EXPECT_TRUE(ProjDrawingFlags(first, flags));
    EXPECT_EQ(flags & kProjFlagPanelDrawing, kProjFlagPanelDrawing);

    // A drawing of the project without panel, and one that is not the project's.
    panelNo = "kept";
    EXPECT_EQ(ProjDrawingPanelNo((project() / "DWG/SCHEMATIC/S001.dwg").string(), panelNo), 0);
    EXPECT_EQ(ProjDrawingPanelNo((dir() / "other.dwg").string(), panelNo), 0);
    EXPECT_EQ(panelNo, "kept");
    EXPECT_TRUE(ProjDrawingFlags((project() / "DWG/SCHEMATIC/S001.dwg").string(), flags));
    EXPECT_EQ(flags, 0);
    EXPECT_FALSE(ProjDrawingFlags((dir() / "other.dwg").string(), flags));
}

TEST_F(SampleTest, ProjectPathsNameTheDrawingRootTheLayoutFolderAndKeyFiles) {
    const fs::path root = project() / "DWG";
    const fs::path layout = root / "LAYOUT";

    // Without an open project only absolute folders have a meaning.
    EXPECT_EQ(ProjPathText(""), "<null>");
    EXPECT_EQ(ProjPathText("LAYOUT"), "<null>");
    EXPECT_EQ(ProjPathText(project().string()), layout.string());
    EXPECT_EQ(ProjPathText((dir() / "elsewhere/").string()), (dir() / "elsewhere").string());

    ASSERT_TRUE(ProjOpen(project().string()));
    struct {
        std::string init;
        fs::path folder;
        const char* why;
    } const cases[] = {
        {"", root, "empty: the drawing root"},
        {project().string(), layout, "the project folder: its layout folder"},
        {"LAYOUT", layout, "relative to the drawing root"},
        {"/LAYOUT/", layout, "what is left when the root is cut off a path"},
        {"\\LAYOUT", layout, "the same with the Windows separator"},
        {layout.string() + "/", layout, "a folder below the root: itself, no separator"},
        {(dir() / "other").string(), dir() / "other", "another folder: itself"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProjPathText(c.init), c.folder.string()) << c.why;
    }

    ProjPath* path = ProjPathInit("LAYOUT");
    std::string file2D;
    std::string file3D;
    ASSERT_TRUE(ProjPathKeyFile2D(path, file2D));
    ASSERT_TRUE(ProjPathKeyFile3D(path, file3D));
    ProjPathFree(path);
    EXPECT_EQ(file2D, (layout / "LayoutKey2D.txt").string());
    EXPECT_EQ(file3D, (layout / "LayoutKey3D.txt").string());
}

TEST(ProjOpen, RefusesWhatIsNoProjectStoreAndSaysWhy) {
    testsupport::TempDir dir;
    struct {
        const char* name;
        std::string bytes;  // of ZELKOPRJ.sqlite; empty: no file
        const char* message;
    } const cases[] = {
        {"missing", "", "does not exist"},
        {"not-sqlite", std::string(4096, 'x'), "is not a database"},
        {"text", "[LAYOUT]\r\nDIRECTION12=1\r\n", "is not a database"},
    };
    for (const auto& c : cases) {
        const fs::path folder = dir.path() / c.name;
        fs::create_directories(folder);
        if (!c.bytes.empty()) {
            testsupport::WriteBytes(folder / "ZELKOPRJ.sqlite", c.bytes);
        }
        EXPECT_FALSE(ProjOpen(folder.string())) << c.name;
        EXPECT_EQ(ProjIsOpen(), 0);
        EXPECT_NE(MakerLastError().find(c.message), std::string::npos) << MakerLastError();
        EXPECT_NE(MakerLastError().find("ZELKOPRJ.sqlite"), std::string::npos);
    }

    // A store of another layout version is not read as if it were ours.
    const fs::path newer = makertest::MakeProject(dir.path() / "newer", "PRAGMA user_version = 7");
    EXPECT_FALSE(ProjOpen(newer.string()));
    EXPECT_NE(MakerLastError().find("layout version 7"), std::string::npos) << MakerLastError();

    // A damaged store: a sound header with its pages cut off.
    const fs::path cut = makertest::MakeProject(dir.path() / "cut");
    std::string bytes = testsupport::ReadBytes(cut / "ZELKOPRJ.sqlite");
    testsupport::WriteBytes(cut / "ZELKOPRJ.sqlite", bytes.substr(0, 100) + std::string(200, '\0'));
    EXPECT_FALSE(ProjOpen(cut.string()));
    EXPECT_NE(
        MakerLastError().find("ZELKOPRJ: '" + (cut / "ZELKOPRJ.sqlite").string() + "' is damaged"),
        std::string::npos)
        << MakerLastError();
}

TEST_F(SampleTest, AProjectOpenedByARelativeFolderKnowsItsFullFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(dir());
    const bool opened = ProjOpen("SAMPLE");
    fs::current_path(before);
    ASSERT_TRUE(opened) << MakerLastError();
    EXPECT_EQ(ProjectFolder(), project().string());
}

TEST(ProjOpen, AFailedOpenClosesTheProjectOpenBefore) {
    testsupport::TempDir dir;
    const fs::path good = makertest::MakeProject(dir.path() / "good");
    ASSERT_TRUE(ProjOpen(good.string()));
    EXPECT_FALSE(ProjOpen((dir.path() / "none").string()));
    EXPECT_EQ(ProjIsOpen(), 0);
}

}  // namespace
