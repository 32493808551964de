#pragma once

// What a drawing shows, as a list of primitives in world coordinates, bottom first: the walk
// over the database (Scene.cpp) makes it, the painter (Render.cpp) draws it for one picture.
// Curves stay curves (arcs and bulges) until the painter knows the scale, so a picture of a
// small window is as smooth as one of the whole drawing.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class AcDbDatabase;

namespace render::detail {

/// A resolved colour: an index of the drawing's colour table (1-255) or a true colour.
struct Color {
    bool trueColor = false;
    std::uint32_t value = 7;  // the index, or 0xRRGGBB
};

/// The RGB of colour index `index`; colour 7 is black on white and white on dark.
std::uint32_t IndexRgb(int index, bool dark);

struct Vertex {
    QPointF point;
    double bulge = 0;
    double startWidth = 0;
    double endWidth = 0;
};

struct Primitive {
    enum class Kind : std::uint8_t {
        Path,    // vertices with bulges and widths, in the plane of `toWorld`
        Circle,  // centre `center`, radius `radius`, in the plane of `toWorld`
        Arc,     // and angles start to end, counter-clockwise
        Text,    // `text` at the baseline origin; `toWorld` maps font pixels to world
        Point,   // a dot at `center` (world)
    };
    Kind kind = Kind::Path;
    bool closed = false;
    bool filled = false;  // a filled area (solid hatch, solid, text background)
    Color color;
    QTransform toWorld;  // local coordinates to world XY
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> loops;  // where further loops of `vertices` start (hatches)
    QPointF center;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    QString text;
};

/// The drawing's model space as primitives, with what was left out.
struct Scene {
    std::vector<Primitive> primitives;
    /// Kinds of content left out and how often ("SPLINE" -> 3).
    std::map<std::string, std::size_t> leftOut;
    std::size_t drawn = 0;
};

/// The pixel size texts are laid out at; the painter scales them from there.
constexpr double kFontPixels = 100;
/// The font of every text: the installed Japanese gothic font.
QString FontFamily();

/// Walks model space: layers' visibility and colours, block references (nested, with their
/// attributes), the draw order of model space.
Scene BuildScene(AcDbDatabase& database);

/// The text of a single-line text or attribute with its control codes (%%d, %%c, %%p, %%u,
/// %%o, %%nnn) resolved.
QString PlainText(const std::string& text);
/// The lines of a multi-line text's contents with the format codes removed (\P and \N break
/// lines; fonts, heights, colours and stacking are not kept).
std::vector<QString> MTextLines(const std::string& contents);

}  // namespace render::detail
