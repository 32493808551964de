// The path rules of the command context, as the commands use them on this platform.

#include "drawings/PathText.h"

#include <gtest/gtest.h>

#include "support/FileSupport.h"

namespace {

using routix::CPathText;

TEST(PathText, CutsAndRemovesAsTheCommandsNeed) {
    EXPECT_EQ(CPathText::CutFolder("/p/DWG/LAYOUT/LAYOUT_P01.dwg"), "LAYOUT_P01.dwg");
    EXPECT_EQ(CPathText::CutFolder("LAYOUT_P01.dwg"), "LAYOUT_P01.dwg");
    EXPECT_EQ(CPathText::FolderOf("/p/DWG/x.dwg"), "/p/DWG");
    EXPECT_EQ(CPathText::CutTrailingSeparator("/p/LAYOUT//"), "/p/LAYOUT/");
    EXPECT_EQ(CPathText::CutTrailingSeparators("/p/LAYOUT//"), "/p/LAYOUT");
    EXPECT_EQ(CPathText::CutTrailingSeparators("/"), "/");
    // Every occurrence of the drawing root, without regard to case.
    EXPECT_EQ(CPathText::RemoveNoCase("/prj/dwg/LAYOUT", "/PRJ/DWG"), "/LAYOUT");
    EXPECT_EQ(CPathText::RemoveNoCase("/a/図面/b", "/図面"), "/a/b");
    EXPECT_EQ(CPathText::RemoveNoCase("/a/b", ""), "/a/b");
    EXPECT_EQ(CPathText::Join("/a/", "b.dwg"), "/a/b.dwg");
    EXPECT_EQ(CPathText::CutDrawingExtension("LAYOUT_P01.DwG"), "LAYOUT_P01");
    EXPECT_EQ(CPathText::CutDrawingExtension("A.dxf.dwg"), "A");
    EXPECT_EQ(CPathText::CutDrawingExtension("P01"), "P01");
}

TEST(PathText, FindsLayoutDrawingsAsTheWindowsSearchDoes) {
    testsupport::TempDir dir;
    for (const char* name : {"LAYOUT_P01.dwg", "layoutp9.DWG", "Layout_B.Dwg", "LAYOUT_P01.dwl",
                             "P01.dwg", "LAYOUT.dwg"})
        testsupport::WriteBytes(dir.path() / name, "");
    std::filesystem::create_directories(dir.path() / "LAYOUT_DIR.dwg");
    EXPECT_EQ(
        CPathText::FindFiles(dir.path(), "LAYOUT", ".dwg"),
        (std::vector<std::string>{"LAYOUT.dwg", "layoutp9.DWG", "Layout_B.Dwg", "LAYOUT_P01.dwg"}));
    EXPECT_TRUE(CPathText::FindFiles(dir.path() / "missing", "LAYOUT", ".dwg").empty());
}

}  // namespace
