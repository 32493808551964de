#pragma once

// Helpers of the renderer's tests: fixtures written by ezdxf, pictures rendered in memory, and
// an SVG picture read back as its drawn elements in pixel coordinates.

#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arx/acdb.h"
#include "render/Render.h"

namespace rendertest {

/// Writes the ezdxf fixture `name` (fixtures.py) to `path`; the test fails when ezdxf fails.
void MakeFixture(const std::string& name, const std::filesystem::path& path);
std::unique_ptr<AcDbDatabase> ReadDrawing(const std::filesystem::path& path);
std::unique_ptr<AcDbDatabase> ReadDxfText(const std::string& text);

/// The picture of the window 0,0 to 100,100, 1000 pixels wide: 10 pixels a drawing unit.
render::Options HundredSquare(bool dark = false);

/// One drawn element of an SVG picture: its points in pixels (the element's transformations
/// applied), its colours as the picture says ("#ff0000", "none"), its text.
struct Element {
    std::string tag;  // polyline, polygon, path, circle, ellipse, text
    std::vector<std::pair<double, double>> points;  // circle: the centre
    double radius = 0;
    std::string stroke;
    std::string fill;
    double strokeWidth = 0;
    std::string text;
    /// For texts: the transformation of font pixels to picture pixels (a b c d e f).
    double matrix[6] = {1, 0, 0, 1, 0, 0};
    double fontSize = 0;
};

struct Svg {
    render::Result result;
    std::vector<Element> elements;
    int width = 0;
    int height = 0;
    /// The elements with stroke or fill `color` (and `tag` when given).
    std::vector<const Element*> With(const std::string& color, const std::string& tag = "") const;
    const Element* Text(const std::string& text) const;
};

Svg RenderSvg(AcDbDatabase& db, const render::Options& options);
QImage RenderPng(AcDbDatabase& db, const render::Options& options,
                 render::Result* result = nullptr);

}  // namespace rendertest
