// The tool dxf-render and cadhost's render line, run as a user runs them.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <string>

#include "RenderTestSupport.h"
#include "support/FileSupport.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome Execute(const std::string& command) {
    Outcome run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

TEST(DxfRenderTool, WritesPicturesAndKeepsThePreviousOneWhenARunFails) {
    testsupport::TempDir dir;
    rendertest::MakeFixture("unknown", dir.path() / "in.dxf");
    const fs::path png = dir.path() / "out.png";
    Outcome run = Execute(std::string(DXF_RENDER_PATH) + " " + Quote(dir.path() / "in.dxf") + " " +
                          Quote(png) + " --width 300 --dark --window 0,0,100,100");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("note: left out 3"), std::string::npos) << run.output;
    QImage image(QString::fromStdString(png.string()));
    ASSERT_EQ(image.width(), 300);
    EXPECT_EQ(image.pixel(290, 10), qRgb(0x21, 0x28, 0x30));
    const std::string before = testsupport::ReadBytes(png);

    struct Case {
        std::string arguments;
        int status;
        std::string says;
    };
    testsupport::WriteBytes(dir.path() / "bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n");
    for (const Case& c : std::vector<Case>{
             {Quote(dir.path() / "in.dxf") + " " + Quote(png) + " --window 1,2,3", 3,
              "the window is four numbers"},
             {Quote(dir.path() / "in.dxf") + " " + Quote(png) + " --width 1e400", 3,
              "the width is a whole number"},
             {Quote(dir.path() / "in.dxf") + " " + Quote(dir.path() / "out.jpg"), 3,
              "must end in .svg or .png"},
             {Quote(dir.path() / "missing.dxf") + " " + Quote(png), 1, "error:"},
             {Quote(dir.path() / "bad.dxf") + " " + Quote(png), 1, "bad.dxf"},
             {Quote(dir.path() / "in.dxf") + " " + Quote(dir.path() / "no" / "such" / "x.png"), 2,
              "cannot write"},
         }) {
        run = Execute(std::string(DXF_RENDER_PATH) + " " + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
    EXPECT_EQ(testsupport::ReadBytes(png), before);
}

TEST(CadhostRenderLine, DrawsTheDrawingAsItStandsBeforeAndAfterACommand) {
    testsupport::TempDir dir;
    rendertest::MakeFixture("geometry", dir.path() / "drawing.dxf");
    // The handle of the red line, to erase it between the two pictures.
    auto db = rendertest::ReadDrawing(dir.path() / "drawing.dxf");
    std::string handle;
    {
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecordIterator* it = nullptr;
        space->newIterator(it);
        AcDbObjectId id;
        it->getEntityId(id);
        handle = id.handle().text();
        delete it;
        space->close();
    }
    testsupport::WriteBytes(dir.path() / "run.scr",
                            "open drawing.dxf\n"
                            "render before.png 0,0 100,100\n"
                            "command ERASE #" +
                                handle +
                                " \"\"\n"
                                "render \"after picture.svg\"\n");
    Outcome run = Execute(std::string(CADHOST_PATH) + " --script " + Quote(dir.path() / "run.scr"));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("before.png: 6 entities drawn, 1600 x 1600 pixels"),
              std::string::npos)
        << run.output;
    QImage before(QString::fromStdString((dir.path() / "before.png").string()));
    ASSERT_EQ(before.width(), 1600);
    // The red line at y 10 of 100: 1600 - 160 pixels down, in the middle.
    EXPECT_GT(before.pixelColor(800, 1440).red(), 200);
    EXPECT_LT(before.pixelColor(800, 1440).green(), 100);
    const std::string after = testsupport::ReadBytes(dir.path() / "after picture.svg");
    EXPECT_NE(after.find("<svg"), std::string::npos);
    EXPECT_EQ(after.find("#ff0000"), std::string::npos);  // the line is gone
    EXPECT_NE(after.find("#00ff00"), std::string::npos);  // the circle is still there

    // Wrong lines fail the script with the reason, and no picture is made.
    testsupport::WriteBytes(dir.path() / "bad.scr",
                            "render nothing-open.png\n"
                            "open drawing.dxf\n"
                            "render w.png 0,0\n"
                            "render w.jpg\n");
    run = Execute(std::string(CADHOST_PATH) + " --script " + Quote(dir.path() / "bad.scr"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("bad.scr:1: no drawing is open to render"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("bad.scr:3: \"render\" takes a picture's path"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("bad.scr:4: cannot render w.jpg"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(dir.path() / "w.png"));
}

}  // namespace
