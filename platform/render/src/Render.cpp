// Painting a scene (Scene.h) with Qt: QSvgGenerator for SVG, QImage for PNG. Texts need Qt's
// font database, which needs a QGuiApplication: a program without one gets one on the
// offscreen platform, made at the first picture and kept for the life of the process.

#include "render/Render.h"

#include <QBuffer>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "Scene.h"
#include "arx/acdb.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace render {

using detail::Color;
using detail::Primitive;
using detail::Scene;
using detail::Vertex;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxPixels = 16384;

void QuietHandler(QtMsgType, const QMessageLogContext&, const QString&) {}

/// The process's Qt application, made on the offscreen platform when there is none; an error
/// text when the process runs a Qt application without a GUI.
std::string EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 3;
        static char name[] = "render";
        static char option[] = "-platform";
        static char platform[] = "offscreen";
        static char* argv[] = {name, option, platform, nullptr};
        // Start-up notes (a missing XDG_RUNTIME_DIR) are of no use to the picture's user.
        const QtMessageHandler previous = qInstallMessageHandler(QuietHandler);
        // Kept until the process ends, then destroyed, so Qt lets go of the font library.
        static const std::unique_ptr<QGuiApplication> application =
            std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(previous);
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return "pictures need a Qt GUI application, and this program runs Qt without one";
    return {};
}

QColor ToQColor(const Color& color, bool dark) {
    std::uint32_t rgb = 0;
    if (color.trueColor)
        rgb = color.value;
    else if (color.value == 0)  // the drawing's background
        rgb = dark ? 0x212830 : 0xFFFFFF;
    else
        rgb = detail::IndexRgb(static_cast<int>(color.value), dark);
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

/// How much a transformation enlarges lengths (the geometric mean of its axes).
double ScaleOf(const QTransform& t) {
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

bool IsSimilarity(const QTransform& t) {
    const double xx = t.m11() * t.m11() + t.m12() * t.m12();
    const double yy = t.m21() * t.m21() + t.m22() * t.m22();
    const double xy = t.m11() * t.m21() + t.m12() * t.m22();
    return std::abs(xx - yy) <= 1e-9 * std::max(xx, yy) && std::abs(xy) <= 1e-9 * std::max(xx, yy);
}

/// Segments for an arc of `sweep` radians and `radius` pixels, a quarter pixel from the curve.
int SegmentsFor(double radius, double sweep) {
    if (!(radius > 0.5))
        return std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2))));
    const double step = 2 * std::acos(std::max(0.0, 1 - 0.25 / radius));
    const int n = static_cast<int>(std::ceil(std::abs(sweep) / std::max(step, 1e-3)));
    return std::clamp(n, 1, 2048);
}

/// A point of a tessellated path and the widths of the piece that starts there.
struct LocalPoint {
    QPointF point;
    double startWidth = 0;
    double endWidth = 0;
};

/// The segment from `a` to `b` with a's bulge and widths, as local points without `b`.
void AppendSegment(const Vertex& a, const Vertex& b, double scale, std::vector<LocalPoint>& out) {
    const QPointF chord = b.point - a.point;
    const double length = std::hypot(chord.x(), chord.y());
    if (std::abs(a.bulge) < 1e-12 || length < 1e-15) {
        out.push_back({a.point, a.startWidth, a.endWidth});
        return;
    }
    const double sweep = 4 * std::atan(a.bulge);
    const double radius = length / (2 * std::sin(std::abs(sweep) / 2));
    // The centre lies left of the chord for a positive bulge (counter-clockwise).
    const double toCentre = radius * std::cos(std::abs(sweep) / 2);
    const QPointF mid = (a.point + b.point) / 2;
    const QPointF left(-chord.y() / length, chord.x() / length);
    const QPointF centre = mid + left * (a.bulge > 0 ? toCentre : -toCentre);
    const double start = std::atan2(a.point.y() - centre.y(), a.point.x() - centre.x());
    const int n = SegmentsFor(radius * scale, sweep);
    const double dw = a.endWidth - a.startWidth;
    for (int i = 0; i < n; ++i) {
        const double f = static_cast<double>(i) / n;
        const double g = static_cast<double>(i + 1) / n;
        const double angle = start + sweep * f;
        out.push_back({centre + QPointF(std::cos(angle), std::sin(angle)) * radius,
                       a.startWidth + dw * f, a.startWidth + dw * g});
    }
}

class Painter {
public:
    Painter(QPainter& painter, const QTransform& device, bool dark, double penWidth)
        : m_p(painter), m_device(device), m_dark(dark), m_penWidth(penWidth) {
        m_font = QFont(detail::FontFamily());
        m_font.setPixelSize(static_cast<int>(detail::kFontPixels));
        m_font.setKerning(false);
        m_p.setFont(m_font);
    }

    void Draw(const Primitive& p) {
        const QColor color = ToQColor(p.color, m_dark);
        const QTransform t = p.toWorld * m_device;
        switch (p.kind) {
            case Primitive::Kind::Path:
                DrawPath(p, t, color);
                break;
            case Primitive::Kind::Circle:
            case Primitive::Kind::Arc:
                DrawArc(p, t, color);
                break;
            case Primitive::Kind::Text:
                DrawText(p, t, color);
                break;
            case Primitive::Kind::Point: {
                m_p.setPen(Qt::NoPen);
                m_p.setBrush(color);
                m_p.drawEllipse(m_device.map(p.center), 1.5 * m_penWidth, 1.5 * m_penWidth);
                m_p.setBrush(Qt::NoBrush);
                break;
            }
        }
    }

private:
    void Stroke(const QColor& color, double width = 0) {
        QPen pen(color, width > 0 ? width : m_penWidth);
        pen.setCapStyle(width > 0 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(width > 0 ? Qt::MiterJoin : Qt::RoundJoin);
        m_p.setPen(pen);
        m_p.setBrush(Qt::NoBrush);
    }

    void DrawPath(const Primitive& p, const QTransform& t, const QColor& color) {
        const double scale = ScaleOf(t);
        std::vector<std::size_t> starts{0};
        for (std::uint32_t start : p.loops)
            starts.push_back(start);
        starts.push_back(p.vertices.size());
        QPainterPath area;
        area.setFillRule(Qt::OddEvenFill);
        for (std::size_t l = 0; l + 1 < starts.size(); ++l) {
            const std::size_t first = starts[l];
            const std::size_t count = starts[l + 1] - first;
            if (count == 0)
                continue;
            std::vector<LocalPoint> points;
            const std::size_t segments = p.closed ? count : count - 1;
            for (std::size_t i = 0; i < segments; ++i)
                AppendSegment(p.vertices[first + i], p.vertices[first + (i + 1) % count], scale,
                              points);
            const Vertex& last = p.closed ? p.vertices[first] : p.vertices[first + count - 1];
            points.push_back({last.point, 0, 0});
            if (p.filled) {
                QPolygonF polygon;
                for (const LocalPoint& lp : points)
                    polygon << t.map(lp.point);
                area.addPolygon(polygon);
                area.closeSubpath();
                continue;
            }
            DrawStroked(points, p.closed, t, color, scale);
        }
        if (p.filled) {
            m_p.setPen(QPen(color, m_penWidth * 0.5));
            m_p.setBrush(color);
            m_p.drawPath(area);
            m_p.setBrush(Qt::NoBrush);
        }
    }

    void DrawStroked(const std::vector<LocalPoint>& points, bool closed, const QTransform& t,
                     const QColor& color, double scale) {
        double widest = 0;
        double narrowest = 1e300;
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            widest = std::max({widest, points[i].startWidth, points[i].endWidth});
            narrowest = std::min({narrowest, points[i].startWidth, points[i].endWidth});
        }
        QPolygonF line;
        line.reserve(static_cast<qsizetype>(points.size()));
        for (const LocalPoint& lp : points)
            line << t.map(lp.point);
        const bool wide = widest * scale > m_penWidth;
        if (!wide || widest - narrowest < 1e-12) {  // thin, or one width: a (wide) pen
            Stroke(color, wide ? widest * scale : 0);
            if (closed && line.size() > 2) {
                line.removeLast();  // a closed outline is joined at its first vertex too
                m_p.drawPolygon(line);
            } else {
                m_p.drawPolyline(line);
            }
            return;
        }
        // Tapering widths: each piece a quadrilateral between its two ends' widths.
        m_p.setPen(QPen(color, m_penWidth * 0.5));
        m_p.setBrush(color);
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const QPointF a = points[i].point;
            const QPointF b = points[i + 1].point;
            const QPointF d = b - a;
            const double length = std::hypot(d.x(), d.y());
            if (length < 1e-15)
                continue;
            const QPointF n(-d.y() / length, d.x() / length);
            const double wa = points[i].startWidth / 2;
            const double wb = points[i].endWidth / 2;
            QPolygonF quad;
            quad << t.map(a + n * wa) << t.map(b + n * wb) << t.map(b - n * wb)
                 << t.map(a - n * wa);
            m_p.drawPolygon(quad);
        }
        m_p.setBrush(Qt::NoBrush);
    }

    void DrawArc(const Primitive& p, const QTransform& t, const QColor& color) {
        Stroke(color);
        const double scale = ScaleOf(t);
        if (p.kind == Primitive::Kind::Circle && IsSimilarity(t)) {
            const double r = p.radius * scale;
            m_p.drawEllipse(t.map(p.center), r, r);
            return;
        }
        double start = p.kind == Primitive::Kind::Circle ? 0 : p.startAngle;
        double sweep = p.kind == Primitive::Kind::Circle ? 2 * kPi : p.endAngle - p.startAngle;
        while (sweep <= 0)
            sweep += 2 * kPi;
        while (sweep > 2 * kPi + 1e-12)
            sweep -= 2 * kPi;
        // The largest axis of the mapped circle sets the segment count.
        const double rx = std::hypot(t.m11(), t.m12()) * p.radius;
        const double ry = std::hypot(t.m21(), t.m22()) * p.radius;
        const int n = std::max(SegmentsFor(std::max(rx, ry), sweep), 4);
        QPolygonF line;
        line.reserve(n + 1);
        for (int i = 0; i <= n; ++i) {
            const double a = start + sweep * i / n;
            line << t.map(p.center + QPointF(std::cos(a), std::sin(a)) * p.radius);
        }
        m_p.drawPolyline(line);
    }

    void DrawText(const Primitive& p, const QTransform& t, const QColor& color) {
        // Too small to read at this scale (under a pixel high): nothing to see.
        if (detail::kFontPixels * ScaleOf(t) < 1.0)
            return;
        m_p.save();
        m_p.setTransform(t);
        m_p.setPen(color);
        m_p.drawText(QPointF(0, 0), p.text);
        m_p.restore();
    }

    QPainter& m_p;
    QTransform m_device;
    bool m_dark;
    double m_penWidth;
    QFont m_font;
};

/// The box around what the scene draws, in world coordinates; empty when it draws nothing.
QRectF SceneBounds(const Scene& scene) {
    QFont font(detail::FontFamily());
    font.setPixelSize(static_cast<int>(detail::kFontPixels));
    const QFontMetricsF metrics(font);
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    auto add = [&](const QPointF& q) {
        if (!std::isfinite(q.x()) || !std::isfinite(q.y()))
            return;
        x0 = std::min(x0, q.x());
        y0 = std::min(y0, q.y());
        x1 = std::max(x1, q.x());
        y1 = std::max(y1, q.y());
    };
    for (const Primitive& p : scene.primitives) {
        switch (p.kind) {
            case Primitive::Kind::Path: {
                std::vector<LocalPoint> points;
                for (std::size_t i = 0; i < p.vertices.size(); ++i) {
                    add(p.toWorld.map(p.vertices[i].point));
                    if (p.vertices[i].bulge != 0 && (i + 1 < p.vertices.size() || p.closed)) {
                        points.clear();
                        AppendSegment(p.vertices[i], p.vertices[(i + 1) % p.vertices.size()],
                                      16 / std::max(1e-12, std::abs(p.vertices[i].bulge)), points);
                        for (const LocalPoint& lp : points)
                            add(p.toWorld.map(lp.point));
                    }
                }
                break;
            }
            case Primitive::Kind::Circle:
            case Primitive::Kind::Arc: {
                const bool full = p.kind == Primitive::Kind::Circle;
                double sweep = full ? 2 * kPi : p.endAngle - p.startAngle;
                while (sweep <= 0)
                    sweep += 2 * kPi;
                for (int i = 0; i <= 64; ++i) {
                    const double a = (full ? 0 : p.startAngle) + sweep * i / 64;
                    add(p.toWorld.map(p.center + QPointF(std::cos(a), std::sin(a)) * p.radius));
                }
                break;
            }
            case Primitive::Kind::Text: {
                const QRectF box(0, -metrics.ascent(), metrics.horizontalAdvance(p.text),
                                 metrics.ascent() + metrics.descent());
                add(p.toWorld.map(box.topLeft()));
                add(p.toWorld.map(box.topRight()));
                add(p.toWorld.map(box.bottomLeft()));
                add(p.toWorld.map(box.bottomRight()));
                break;
            }
            case Primitive::Kind::Point:
                add(p.center);
                break;
        }
    }
    if (x0 > x1)
        return {};
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

std::string Count(std::size_t n) {
    return std::to_string(n);
}

}  // namespace

std::optional<Format> FormatOf(const std::filesystem::path& path) {
    const std::string extension = common::ToUpper(path.extension().string());
    if (extension == ".SVG")
        return Format::Svg;
    if (extension == ".PNG")
        return Format::Png;
    return std::nullopt;
}

Result Render(AcDbDatabase& database, Format format, const Options& options, std::string& bytes) {
    Result result;
    if (options.width < 16 || options.width > kMaxPixels) {
        result.error = "the picture's width must be 16 to " + Count(kMaxPixels) + " pixels, not " +
                       std::to_string(options.width);
        return result;
    }
    if (std::string error = EnsureApplication(); !error.empty()) {
        result.error = error;
        return result;
    }
    const Scene scene = detail::BuildScene(database);
    result.drawn = scene.drawn;
    for (const auto& [what, count] : scene.leftOut)
        result.notes.push_back("left out " + Count(count) + " × " + what +
                               " (not drawn by the renderer)");
    if (QFontInfo(QFont(detail::FontFamily())).family() != detail::FontFamily())
        result.notes.push_back("the font " + detail::FontFamily().toStdString() +
                               " is not installed; texts are drawn in " +
                               QFontInfo(QFont(detail::FontFamily())).family().toStdString());

    // The area shown: the window, or what is drawn with a margin of 2 % around it.
    QRectF area;
    if (options.window) {
        const Window& w = *options.window;
        area = QRectF(QPointF(std::min(w.x1, w.x2), std::min(w.y1, w.y2)),
                      QPointF(std::max(w.x1, w.x2), std::max(w.y1, w.y2)));
    } else {
        area = SceneBounds(scene);
        if (scene.primitives.empty()) {
            result.notes.push_back("model space has nothing to draw");
            area = QRectF(0, 0, 100, 100);
        } else if (area.width() == 0 && area.height() == 0) {  // a point: a unit around it
            area.adjust(-0.5, -0.5, 0.5, 0.5);
        }
        const double size = std::max({area.width(), area.height(), 1e-6});
        area.adjust(-0.02 * size, -0.02 * size, 0.02 * size, 0.02 * size);
    }
    if (!(area.width() > 0) || !(area.height() > 0)) {
        result.error = "the area to show has no width or no height";
        return result;
    }
    double scale = options.width / area.width();
    int height = static_cast<int>(std::ceil(area.height() * scale));
    if (height > kMaxPixels) {  // a tall area: the height is capped and the area widened
        scale = kMaxPixels / area.height();
        height = kMaxPixels;
        const double widen = options.width / scale - area.width();
        area.adjust(-widen / 2, 0, widen / 2, 0);
    }
    height = std::max(height, 1);
    const int width = options.width;
    result.widthPixels = width;
    result.heightPixels = height;
    result.shown = Window{area.left(), area.top(), area.right(), area.bottom()};
    // World (y up) to pixels (y down), the area's top-left corner at the picture's.
    // In a PNG picture a drawing's point at a whole pixel coordinate lies in that pixel's
    // middle, so a thin line along a whole coordinate is one crisp row of pixels.
    const double half = format == Format::Png ? 0.5 : 0;
    const QTransform device(scale, 0, 0, -scale, -area.left() * scale + half,
                            area.bottom() * scale + half);
    const double penWidth = std::max(1.0, width / 1600.0);
    const QColor background = ToQColor(Color{false, 0}, options.dark);

    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    auto paint = [&](QPaintDevice& target) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.fillRect(QRectF(0, 0, width, height), background);
        Painter drawer(painter, device, options.dark, penWidth);
        for (const Primitive& p : scene.primitives)
            drawer.Draw(p);
        painter.end();
    };
    if (format == Format::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(QStringLiteral("drawing"));
        svg.setDescription(QStringLiteral("model space, %1 x %2 to %3 x %4 drawing units")
                               .arg(area.left())
                               .arg(area.top())
                               .arg(area.right())
                               .arg(area.bottom()));
        paint(svg);
    } else {
        QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            result.error = "no memory for a picture of " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels";
            return result;
        }
        paint(image);
        if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "PNG")) {
            result.error = "the PNG picture could not be made";
            return result;
        }
    }
    bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    result.ok = true;
    return result;
}

Result RenderToFile(AcDbDatabase& database, const std::filesystem::path& path,
                    const Options& options) {
    const std::optional<Format> format = FormatOf(path);
    if (!format) {
        Result result;
        result.error = "the picture's name must end in .svg or .png: " + path.string();
        return result;
    }
    std::string bytes;
    Result result = Render(database, *format, options, bytes);
    if (!result.ok)
        return result;
    if (const std::error_code error = common::WriteFileAtomically(path, bytes)) {
        result.ok = false;
        result.error = "cannot write " + path.string() + ": " + common::Describe(error);
    }
    return result;
}

std::optional<Window> ParseWindow(const std::string& text) {
    const std::vector<std::string_view> parts = common::Split(text, ',');
    if (parts.size() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<double> n = common::ParseNumber(parts[static_cast<std::size_t>(i)]);
        if (!n || !std::isfinite(*n))
            return std::nullopt;
        v[i] = *n;
    }
    if (v[0] == v[2] || v[1] == v[3])
        return std::nullopt;
    return Window{v[0], v[1], v[2], v[3]};
}

std::optional<Window> ParseWindow(const std::string& corner1, const std::string& corner2) {
    if (std::count(corner1.begin(), corner1.end(), ',') != 1 ||
        std::count(corner2.begin(), corner2.end(), ',') != 1)
        return std::nullopt;
    return ParseWindow(corner1 + "," + corner2);
}

}  // namespace render
