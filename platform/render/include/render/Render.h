#pragma once

// Pictures of drawings: the model space of a drawing database (platform/arx) drawn as SVG or
// PNG, as a person would see it on the screen of the CAD host, seen from above. What can be
// drawn and the decisions taken where a drawing's look is not fully known here are described in
// platform/render/README.md.
//
// The interface is free of Qt, so the host can offer a render command without its own code
// seeing Qt; the library paints with Qt (QPainter, QSvgGenerator, QImage) inside.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class AcDbDatabase;

namespace render {

/// A rectangle of the drawing, in drawing units (world coordinates).
struct Window {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct Options {
    /// The part of the drawing to show; the extents of what is drawn when unset.
    std::optional<Window> window;
    /// Width of the picture in pixels (16 to 16384); the height follows the shown area.
    int width = 1600;
    /// A dark background (colour 7 drawn white) instead of white (colour 7 drawn black).
    bool dark = false;
};

enum class Format { Svg, Png };

struct Result {
    bool ok = false;
    /// Why the picture was not made (set when !ok).
    std::string error;
    /// What was left out, one message per kind ("left out 3 entities of type SPLINE").
    std::vector<std::string> notes;
    /// Entities drawn (each block reference counts once, with what it shows).
    std::size_t drawn = 0;
    int widthPixels = 0;
    int heightPixels = 0;
    /// The drawing area shown, in drawing units.
    Window shown;
};

/// The format of an output name: ".svg" or ".png" (any case); nothing for other names.
std::optional<Format> FormatOf(const std::filesystem::path& path);

/// Draws the model space of `database` into `bytes` (SVG text or PNG data).
Result Render(AcDbDatabase& database, Format format, const Options& options, std::string& bytes);

/// Draws the model space of `database` and writes the picture to `path` (its format from its
/// extension), replacing the file whole: a failed run leaves the previous picture.
Result RenderToFile(AcDbDatabase& database, const std::filesystem::path& path,
                    const Options& options);

/// Reads a window from the text "x1,y1,x2,y2" (the tool's --window) or the two words "x1,y1"
/// "x2,y2" (the host's render line); nothing when the numbers are not four finite numbers or
/// the window has no area.
std::optional<Window> ParseWindow(const std::string& text);
std::optional<Window> ParseWindow(const std::string& corner1, const std::string& corner2);

}  // namespace render
