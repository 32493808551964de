// The command context's helpers in the host: the drawing folder, the layout folder of a
// project, opening a drawing (activating it when open), the temporary folder.

#include "drawings/Sokucyou.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/host/HostSession.h"
#include "support/FileSupport.h"

namespace {

namespace fs = std::filesystem;
using routix::CSokucyou;

fs::path SavedDrawing(const fs::path& path) {
    fs::create_directories(path.parent_path());
    AcDbDatabase db;
    EXPECT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    return path;
}

TEST(Sokucyou, TheDrawingFolderIsTheCurrentDrawingsOrMessage101) {
    testsupport::TempDir dir;
    hosttest::HostSession session({""});
    CSokucyou context;
    std::string folder = "unchanged";
    EXPECT_FALSE(context.GetDwgFolder(folder));  // no drawing open
    EXPECT_EQ(session.TakeConsole(),
              "\n*** message box \"Drawing of Exploring Panel\" OK WARNING ***\n"
              "Execute WP-FromTo previously.\n*** answer: OK ***\n");
    const fs::path drawing = SavedDrawing(dir.path() / "図面 A" / "LAYOUT_ROW1.dwg");
    ASSERT_EQ(session.host().OpenDocument(drawing.string()), Acad::eOk);
    EXPECT_TRUE(context.GetDwgFolder(folder));
    EXPECT_EQ(folder, drawing.parent_path().string());
}

// Without an open project a relative text names nothing and an absolute folder itself.
TEST(Sokucyou, TheLayoutFolderIsMadeOnlyWhenAsked) {
    testsupport::TempDir dir;
    hosttest::HostSession session;
    CSokucyou context;
    std::string layout;
    EXPECT_FALSE(context.GetLayoutFolder("relative", layout, true));  // no project open
    const fs::path plain = dir.path() / "plain";
    EXPECT_FALSE(context.GetLayoutFolder(plain.string(), layout, false));
    EXPECT_EQ(layout, plain.string());
    EXPECT_FALSE(fs::exists(plain));
    EXPECT_TRUE(context.GetLayoutFolder(plain.string(), layout, true));
    EXPECT_TRUE(fs::is_directory(plain));
}

TEST(Sokucyou, OpeningADrawingActivatesItWhenItIsOpen) {
    testsupport::TempDir dir;
    hosttest::HostSession session;
    const fs::path a = SavedDrawing(dir.path() / "A.dwg");
    const fs::path b = SavedDrawing(dir.path() / "B.dwg");
    CSokucyou context;
    EXPECT_TRUE(context.OpenDwg(a.string()));
    EXPECT_TRUE(context.OpenDwg(b.string()));
    EXPECT_EQ(session.host().Documents().size(), 2u);
    // The same path in other case is the open document: made current, not opened again.
    std::string upper = a.string();
    upper.replace(upper.size() - 5, 5, "a.DWG");
    EXPECT_TRUE(context.OpenDwg(upper));
    EXPECT_EQ(session.host().Documents().size(), 2u);
    EXPECT_EQ(session.host().DocumentPath(session.host().CurrentDocument()), a.string());
    // A drawing that cannot be opened: the console line with file name and status.
    session.TakeConsole();
    EXPECT_FALSE(context.OpenDwg((dir.path() / "missing.dwg").string()));
    const std::string console = session.TakeConsole();
    EXPECT_TRUE(console.starts_with("\ne:\\repos\\trunk\\src\\zelk\\routix\\Sokucyou.cpp("))
        << console;
    EXPECT_TRUE(console.ends_with("):appContextOpenDocument error (FileName=" +
                                  (dir.path() / "missing.dwg").string() + "|es=eFileNotFound)"))
        << console;
    EXPECT_EQ(session.host().Documents().size(), 2u);
}

TEST(Sokucyou, TheTemporaryFolderIsTmpdirElseTmp) {
    testsupport::TempDir dir;
    const char* saved = std::getenv("TMPDIR");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("TMPDIR", dir.path().c_str(), 1);
    std::string folder;
    EXPECT_TRUE(CSokucyou::GetTempFolder(folder));
    EXPECT_EQ(folder, dir.path().string() + "/");
    unsetenv("TMPDIR");
    EXPECT_TRUE(CSokucyou::GetTempFolder(folder));
    EXPECT_EQ(folder, "/tmp/");
    if (saved != nullptr)
        setenv("TMPDIR", keep.c_str(), 1);
}

}  // namespace
