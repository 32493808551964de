// The renderer through real drawings: ezdxf writes them, the SVG pictures are read back as
// elements in pixel coordinates, the PNG pictures are looked at pixel by pixel. Every fixture
// is drawn in the window 0,0 to 100,100 at 1000 pixels: x pixels = 10 x, y pixels = 1000 - 10 y.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "RenderTestSupport.h"
#include "support/FileSupport.h"

namespace {

using rendertest::Element;
using rendertest::HundredSquare;
using rendertest::MakeFixture;
using rendertest::ReadDrawing;
using rendertest::RenderSvg;

struct Drawing {
    testsupport::TempDir dir;
    std::unique_ptr<AcDbDatabase> db;
    explicit Drawing(const std::string& fixture) {
        MakeFixture(fixture, dir.path() / (fixture + ".dxf"));
        db = ReadDrawing(dir.path() / (fixture + ".dxf"));
    }
};

double Px(double x) {
    return 10 * x;
}
double Py(double y) {
    return 1000 - 10 * y;
}

/// Every point of `e` lies `radius` pixels from (cx, cy), within a pixel.
void ExpectOnCircle(const Element& e, double cx, double cy, double radius) {
    ASSERT_FALSE(e.points.empty());
    for (const auto& [x, y] : e.points)
        EXPECT_NEAR(std::hypot(x - cx, y - cy), radius, 1.0) << x << "," << y;
}

TEST(RenderSvg, LinesCirclesArcsPolylinesAndPointsLieWhereTheDrawingPutsThem) {
    Drawing d("geometry");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    EXPECT_EQ(svg.width, 1000);
    EXPECT_EQ(svg.height, 1000);
    EXPECT_TRUE(svg.result.notes.empty());
    EXPECT_EQ(svg.result.drawn, 6u);

    const auto red = svg.With("#ff0000", "polyline");  // colour 1: the line
    ASSERT_EQ(red.size(), 1u);
    ASSERT_EQ(red[0]->points.size(), 2u);
    EXPECT_NEAR(red[0]->points[0].first, Px(10), 1e-6);
    EXPECT_NEAR(red[0]->points[0].second, Py(10), 1e-6);
    EXPECT_NEAR(red[0]->points[1].first, Px(90), 1e-6);

    const auto green = svg.With("#00ff00");  // colour 3: the circle
    ASSERT_EQ(green.size(), 1u);
    EXPECT_EQ(green[0]->tag, "circle");
    EXPECT_NEAR(green[0]->points[0].first, Px(50), 1e-6);
    EXPECT_NEAR(green[0]->points[0].second, Py(50), 1e-6);
    EXPECT_NEAR(green[0]->radius, 100, 1e-6);

    const auto blue = svg.With("#0000ff");  // colour 5: the arc from 0 to 90 degrees
    ASSERT_EQ(blue.size(), 1u);
    ExpectOnCircle(*blue[0], Px(50), Py(50), 200);
    EXPECT_NEAR(blue[0]->points.front().first, Px(70), 1e-6);
    EXPECT_NEAR(blue[0]->points.back().second, Py(70), 1e-6);
    for (const auto& [x, y] : blue[0]->points)  // the upper right quarter only
        EXPECT_TRUE(x >= Px(50) - 1e-6 && y <= Py(50) + 1e-6);

    const auto orange = svg.With("#ff7f00");  // colour 30: the closed square
    ASSERT_EQ(orange.size(), 1u);
    ASSERT_EQ(orange[0]->points.size(), 5u);
    EXPECT_EQ(orange[0]->points.front(), orange[0]->points.back());
    EXPECT_NEAR(orange[0]->points[2].first, Px(40), 1e-6);
    EXPECT_NEAR(orange[0]->points[2].second, Py(90), 1e-6);

    const auto magenta = svg.With("#ff00ff");  // colour 6: a half circle below its chord
    ASSERT_EQ(magenta.size(), 1u);
    ExpectOnCircle(*magenta[0], Px(70), Py(80), 100);
    for (const auto& [x, y] : magenta[0]->points)
        EXPECT_GE(y, Py(80) - 1e-6);

    const auto yellow = svg.With("#ffff00");  // colour 2: the point, a dot
    ASSERT_EQ(yellow.size(), 1u);
    EXPECT_NEAR(yellow[0]->points[0].first, Px(5), 1e-6);
    EXPECT_NEAR(yellow[0]->points[0].second, Py(95), 1e-6);
}

TEST(RenderSvg, LayersGiveColoursAndHideWhatIsOffOrFrozen) {
    Drawing d("layers");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    std::vector<double> rows;
    for (const Element& e : svg.elements)
        if (e.tag == "polyline")
            rows.push_back(e.points[0].second);
    // Lines at y 10, 40, 50 and 60; those at 20 (off layer) and 30 (frozen) are not drawn.
    EXPECT_EQ(rows, (std::vector<double>{Py(10), Py(40), Py(50), Py(60)}));
    EXPECT_EQ(svg.With("#00ffff").size(), 1u);              // by layer: colour 4
    EXPECT_EQ(svg.With("#123456").size(), 1u);              // the layer's true colour
    EXPECT_EQ(svg.With("#abcdef").size(), 1u);              // the line's own true colour
    EXPECT_EQ(svg.With("#000000", "polyline").size(), 1u);  // colour 7 on white is black

    const rendertest::Svg dark = RenderSvg(*d.db, HundredSquare(true));
    EXPECT_EQ(dark.With("#ffffff", "polyline").size(), 1u);  // and white on dark
}

TEST(RenderSvg, BlockReferencesAreScaledRotatedMirroredAndNested) {
    Drawing d("blocks");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    auto segment = [](const Element* e) {
        return std::make_pair(e->points.front(), e->points.back());
    };
    // By block: the reference's colour. Scale 2, turned 90 degrees at (50,50): up to (50,70).
    const auto blue = svg.With("#0000ff", "polyline");
    ASSERT_EQ(blue.size(), 1u);
    EXPECT_NEAR(segment(blue[0]).second.first, Px(50), 1e-6);
    EXPECT_NEAR(segment(blue[0]).second.second, Py(70), 1e-6);
    // Mirrored (x scale -1) at (40,30): to (30,30).
    const auto red = svg.With("#ff0000", "polyline");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_NEAR(segment(red[0]).second.first, Px(30), 1e-6);
    EXPECT_NEAR(segment(red[0]).second.second, Py(30), 1e-6);
    // Nested: ARM turned 90 degrees at (5,0) inside OUTER at (70,20): from (75,20) to (75,30),
    // by block through both references: OUTER's colour 6.
    const auto magenta = svg.With("#ff00ff", "polyline");
    ASSERT_EQ(magenta.size(), 1u);
    EXPECT_NEAR(segment(magenta[0]).first.first, Px(75), 1e-6);
    EXPECT_NEAR(segment(magenta[0]).first.second, Py(20), 1e-6);
    EXPECT_NEAR(segment(magenta[0]).second.second, Py(30), 1e-6);
    // The green tick on its own layer shows in every reference but the frozen one; the line on
    // layer 0 of the reference on the off layer does not show.
    EXPECT_EQ(svg.With("#00ff00", "polyline").size(), 10u);
    EXPECT_TRUE(svg.With("#00ffff").empty());
    for (const Element* tick : svg.With("#00ff00", "polyline"))
        EXPECT_GT(tick->points[0].second, Py(85));  // none at y 90 (frozen)
    // The array: six lines, at (30|45|60, 60|65).
    std::vector<std::pair<double, double>> starts;
    for (const Element* e : svg.With("#ffff00", "polyline"))
        starts.push_back(e->points.front());
    std::sort(starts.begin(), starts.end());
    ASSERT_EQ(starts.size(), 6u);
    EXPECT_EQ(starts[0], std::make_pair(Px(30), Py(65)));
    EXPECT_EQ(starts[1], std::make_pair(Px(30), Py(60)));
    EXPECT_EQ(starts[5], std::make_pair(Px(60), Py(60)));
}

TEST(RenderSvg, TextsAreJustifiedRotatedMirroredAndSizedByTheirHeight) {
    Drawing d("texts");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    std::vector<const Element*> ab;
    for (const Element& e : svg.elements)
        if (e.tag == "text" && e.text == "AB")
            ab.push_back(&e);
    ASSERT_EQ(ab.size(), 3u);
    // Left at (50,60), centred at (50,50), right at (50,40): the baselines' starts.
    const double left = ab[0]->matrix[4];
    const double centred = ab[1]->matrix[4];
    const double right = ab[2]->matrix[4];
    EXPECT_NEAR(left, Px(50), 1e-3);
    EXPECT_NEAR(ab[0]->matrix[5], Py(60), 1e-3);
    EXPECT_LT(right, centred);
    EXPECT_LT(centred, left);
    EXPECT_NEAR(centred, (left + right) / 2, 0.5);
    EXPECT_NEAR(ab[1]->matrix[5], Py(50), 1e-3);

    // Twice the height, twice the size.
    const Element* tall = svg.Text("TALL");
    ASSERT_NE(tall, nullptr);
    EXPECT_NEAR(tall->matrix[3] / ab[0]->matrix[3], 2.0, 1e-4);
    // Turned 90 degrees: the baseline runs up the picture.
    const Element* up = svg.Text("UP");
    ASSERT_NE(up, nullptr);
    EXPECT_NEAR(up->matrix[0], 0, 1e-9);
    EXPECT_LT(up->matrix[1], 0);
    // Mirrored in X: the baseline runs to the left.
    const Element* mirror = svg.Text("MIRROR");
    ASSERT_NE(mirror, nullptr);
    EXPECT_LT(mirror->matrix[0], 0);
    EXPECT_GT(mirror->matrix[3], 0);
    // Control codes: %%c is the diameter sign (drawn in a font that has it, then "20").
    EXPECT_NE(svg.Text("\u2300"), nullptr);
    EXPECT_NE(svg.Text("20"), nullptr);

    // Attributes: the visible one in Japanese, not the invisible one; not the definitions.
    const Element* terminal = svg.Text("端子1");
    ASSERT_NE(terminal, nullptr);
    EXPECT_NEAR(terminal->matrix[4], Px(23), 1e-3);
    EXPECT_NEAR(terminal->matrix[5], Py(80), 1e-3);
    EXPECT_EQ(svg.Text("SECRET"), nullptr);
    EXPECT_EQ(svg.Text("NO"), nullptr);
    EXPECT_EQ(svg.Text("HIDDEN"), nullptr);

    // MTEXT: two lines 5/3 of the height apart, on a red background drawn first.
    const Element* first = svg.Text("first");
    const Element* second = svg.Text("second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NEAR(second->matrix[5] - first->matrix[5], 10 * 3 * 5.0 / 3.0, 1e-3);
    EXPECT_NEAR(first->matrix[4], Px(10), 1e-3);
    const auto background = svg.With("#ff0000");
    ASSERT_FALSE(background.empty());
    EXPECT_LT(background[0], first);
    const auto& box = background[0]->points;
    double top = 1e9, bottom = -1e9;
    for (const auto& point : box) {
        top = std::min(top, point.second);
        bottom = std::max(bottom, point.second);
    }
    EXPECT_LE(top, Py(70));                // around the text's top at (10,70)
    EXPECT_GE(bottom, second->matrix[5]);  // below the second line's baseline
}

TEST(RenderSvg, TextsAndLayerNamesInTheDrawingsCodePage) {
    Drawing d("codepage");
    ASSERT_EQ(d.db->textEncoding(), "CP932");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    const Element* text = svg.Text("端子台");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->fill, "#ffff00");  // by layer: the Japanese-named layer's colour 2
    EXPECT_NE(svg.Text("配線"), nullptr);
    EXPECT_NE(svg.Text("ダクト"), nullptr);
}

TEST(RenderSvg, PolylineWidthsAndOldStylePolylines) {
    Drawing d("widths");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    // Constant width 2: a pen 20 pixels wide.
    const auto red = svg.With("#ff0000", "polyline");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_NEAR(red[0]->strokeWidth, 20, 1e-6);
    // Tapering from 0 to 4: a point at its start, a filled area 40 pixels high at its end.
    const auto green = svg.With("#00ff00");
    ASSERT_FALSE(green.empty());
    double high = 0;
    for (const Element* e : green)
        for (const auto& [x, y] : e->points)
            if (std::abs(x - Px(90)) < 1e-6)
                high = std::max(high, std::abs(y - Py(30)));
    EXPECT_NEAR(high, 20, 1e-6);
    // The old-style polyline's bulge: a half circle of radius 20 below (40,60).
    const auto blue = svg.With("#0000ff", "polyline");
    ASSERT_EQ(blue.size(), 1u);
    ExpectOnCircle(*blue[0], Px(40), Py(60), 200);
    EXPECT_NEAR(blue[0]->points.front().first, Px(20), 1e-6);
    EXPECT_NEAR(blue[0]->points.back().first, Px(60), 1e-6);
    // The 3D polyline, seen from above.
    const auto magenta = svg.With("#ff00ff", "polyline");
    ASSERT_EQ(magenta.size(), 1u);
    EXPECT_NEAR(magenta[0]->points.back().first, Px(90), 1e-6);
    EXPECT_NEAR(magenta[0]->points.back().second, Py(70), 1e-6);
}

TEST(RenderSvg, HatchBoundariesAreDrawnAndSolidHatchesFilled) {
    Drawing d("hatches");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    const auto red = svg.With("#ff0000");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_EQ(red[0]->fill, "#ff0000");  // solid
    double minX = 1e9, maxX = -1e9;
    for (const auto& [x, y] : red[0]->points) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
    }
    EXPECT_NEAR(minX, Px(10), 1e-6);
    EXPECT_NEAR(maxX, Px(40), 1e-6);
    // The pattern hatch: its boundary, a line and a half circle of radius 15 over (75,10).
    const auto blue = svg.With("#0000ff");
    ASSERT_EQ(blue.size(), 1u);
    int onArc = 0;
    for (const auto& [x, y] : blue[0]->points)
        if (std::abs(std::hypot(x - Px(75), y - Py(10)) - 150) < 1)
            ++onArc;
    EXPECT_EQ(onArc, static_cast<int>(blue[0]->points.size()));
    EXPECT_GT(onArc, 8);
}

TEST(RenderSvg, SplinesFollowTheirControlPointsOrTheirFitPoints) {
    Drawing d("splines");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    EXPECT_TRUE(svg.result.notes.empty());
    auto passesNear = [](const Element& e, double x, double y) {
        double best = 1e9;
        for (const auto& point : e.points)
            best = std::min(best, std::hypot(point.first - x, point.second - y));
        return best;
    };
    const auto red = svg.With("#ff0000", "polyline");
    ASSERT_EQ(red.size(), 1u);
    EXPECT_NEAR(red[0]->points.front().first, Px(0), 1e-6);
    EXPECT_NEAR(red[0]->points.back().first, Px(100), 1e-6);
    EXPECT_LT(passesNear(*red[0], Px(50), Py(50)), 0.5);
    EXPECT_GT(passesNear(*red[0], Px(50), Py(100)), 400);  // not through the control point
    const auto green = svg.With("#00ff00", "polyline");
    ASSERT_EQ(green.size(), 1u);
    ExpectOnCircle(*green[0], Px(0), Py(0), 400);
    const auto blue = svg.With("#0000ff", "polyline");
    ASSERT_EQ(blue.size(), 1u);
    EXPECT_LT(passesNear(*blue[0], Px(70), Py(80)), 1e-6);
}

TEST(RenderSvg, AnUnknownEntityTypeIsReportedOnceAndTheRestIsDrawn) {
    Drawing d("unknown");
    const rendertest::Svg svg = RenderSvg(*d.db, HundredSquare());
    ASSERT_EQ(svg.result.notes.size(), 1u);
    EXPECT_NE(svg.result.notes[0].find("3"), std::string::npos) << svg.result.notes[0];
    EXPECT_NE(svg.result.notes[0].find("XLINE"), std::string::npos) << svg.result.notes[0];
    EXPECT_EQ(svg.With("#000000", "polyline").size(), 1u);

    // A type no program knows, in DXF text: left out by name.
    const auto db = rendertest::ReadDxfText(
        "0\nSECTION\n2\nENTITIES\n0\nWIDGET_X\n8\n0\n10\n1\n20\n1\n0\nLINE\n8\n0\n10\n0\n20\n0\n"
        "11\n5\n21\n5\n0\nENDSEC\n0\nEOF\n");
    std::string bytes;
    const render::Result result = render::Render(*db, render::Format::Svg, {}, bytes);
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("WIDGET_X"), std::string::npos);
    EXPECT_EQ(result.drawn, 1u);
}

TEST(RenderPng, PixelsShowTheDrawingOnItsBackground) {
    Drawing d("hatches");
    const QImage white = rendertest::RenderPng(*d.db, HundredSquare());
    ASSERT_EQ(white.width(), 1000);
    ASSERT_EQ(white.height(), 1000);
    EXPECT_EQ(white.pixel(500, 100), qRgb(255, 255, 255));  // nothing drawn there
    EXPECT_EQ(white.pixel(static_cast<int>(Px(25)), static_cast<int>(Py(25))),
              qRgb(255, 0, 0));  // inside the solid hatch
    EXPECT_EQ(white.pixel(static_cast<int>(Px(75)), static_cast<int>(Py(15))),
              qRgb(255, 255, 255));  // a pattern: only the boundary
    const QColor edge = white.pixelColor(static_cast<int>(Px(75)), static_cast<int>(Py(25)));
    EXPECT_GT(edge.blue(), 200);  // on the half circle's top
    EXPECT_LT(edge.red(), 200);

    Drawing lines("layers");
    const QImage dark = rendertest::RenderPng(*lines.db, HundredSquare(true));
    EXPECT_EQ(dark.pixel(5, 5), qRgb(0x21, 0x28, 0x30));
    const QColor seven = dark.pixelColor(500, static_cast<int>(Py(60)));  // colour 7: white
    EXPECT_GT(seven.red(), 200);
    EXPECT_GT(seven.green(), 200);
    EXPECT_EQ(dark.pixel(500, static_cast<int>(Py(20))), qRgb(0x21, 0x28, 0x30));  // off layer
}

TEST(RenderPng, TheExtentsAreShownWhenNoWindowIsGiven) {
    Drawing d("geometry");
    render::Options options;
    options.width = 400;
    render::Result result;
    const QImage image = rendertest::RenderPng(*d.db, options, &result);
    // The drawing spans about 5..90 by 10..95 (the point and the bulge's bottom at y 70).
    EXPECT_LT(result.shown.x1, 5);
    EXPECT_GT(result.shown.x2, 90);
    EXPECT_LT(result.shown.y1, 10);
    EXPECT_GT(result.shown.y2, 95);
    EXPECT_EQ(image.width(), 400);
    EXPECT_NEAR(image.height(),
                400.0 * (result.shown.y2 - result.shown.y1) / (result.shown.x2 - result.shown.x1),
                1.0);
}

TEST(RenderPng, DrawingsWithNothingOrOnlyAPointGetAPicture) {
    const auto empty = rendertest::ReadDxfText("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
    render::Options options;
    options.width = 100;
    render::Result result;
    QImage image = rendertest::RenderPng(*empty, options, &result);
    EXPECT_EQ(image.width(), 100);
    EXPECT_EQ(result.notes, std::vector<std::string>{"model space has nothing to draw"});

    const auto point = rendertest::ReadDxfText(
        "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n5\n20\n5\n0\nENDSEC\n0\nEOF\n");
    image = rendertest::RenderPng(*point, options, &result);
    EXPECT_NEAR(result.shown.x2 - result.shown.x1, 1.04, 1e-9);  // a unit around it, and 2 %
    EXPECT_EQ(image.height(), 100);
    EXPECT_LT(image.pixelColor(50, 50).red(), 200);  // the dot in the middle, in black
}

TEST(RenderPng, FiftyThousandEntitiesAreDrawn) {
    AcDbDatabase db;
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    for (int i = 0; i < 50000; ++i) {
        const double x = (i % 250) * 4.0;
        const double y = (i / 250) * 4.0;
        AcDbEntity* entity = nullptr;
        if (i % 2 == 0)
            entity = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 3, y + 3, 0));
        else
            entity = new AcDbCircle(AcGePoint3d(x + 1.5, y + 1.5, 0), AcGeVector3d::kZAxis, 1.5);
        entity->setColorIndex(1);
        ASSERT_EQ(space->appendAcDbEntity(entity), Acad::eOk);
        entity->close();
    }
    space->close();
    render::Options options;
    options.width = 1000;
    render::Result result;
    const QImage image = rendertest::RenderPng(db, options, &result);
    EXPECT_EQ(result.drawn, 50000u);
    EXPECT_TRUE(result.notes.empty());
    // The first line's middle, (1.5, 1.5), is red (the line is thin: one of the pixels there).
    const double scale = 1000 / (result.shown.x2 - result.shown.x1);
    const int x = static_cast<int>((1.5 - result.shown.x1) * scale);
    const int y = static_cast<int>((result.shown.y2 - 1.5) * scale);
    int red = 0;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (image.pixelColor(x + dx, y + dy).red() > 200 &&
                image.pixelColor(x + dx, y + dy).green() < 150)
                ++red;
    EXPECT_GT(red, 0);
}

TEST(RenderWindow, WindowsAreReadFromTheirTexts) {
    struct Case {
        std::string text;
        bool valid;
    };
    for (const Case& c : std::vector<Case>{{"0,0,10,10", true},
                                           {"-5.5,2,1e3,7", true},
                                           {"10,10,0,0", true},
                                           {"1,2,3", false},
                                           {"0,0,0,10", false},
                                           {"1e400,0,1,1", false},
                                           {"a,b,c,d", false},
                                           {"0,0,10,10,", false}}) {
        EXPECT_EQ(render::ParseWindow(c.text).has_value(), c.valid) << c.text;
    }
    const auto two = render::ParseWindow("1,2", "3,4");
    ASSERT_TRUE(two);
    EXPECT_EQ(two->x2, 3);
    EXPECT_FALSE(render::ParseWindow("1,2,3", "4"));
}

}  // namespace
