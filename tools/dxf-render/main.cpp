// dxf-render IN.dxf OUT.svg|OUT.png [--window x1,y1,x2,y2] [--width PIXELS] [--dark]
//
// Reads a drawing into the drawing database and draws its model space as an SVG or PNG
// picture (platform/render/README.md says what is drawn). Prints what it left out; exits 0 when
// the picture was written, 1 when the drawing cannot be read, 2 when the picture cannot be made
// or written, 3 for a wrong command line. A failed run leaves a previous picture as it was.

#include <cstdio>
#include <cstring>
#include <string>

#include "arx/acdb.h"
#include "common/numbers.h"
#include "render/Render.h"

namespace {

constexpr const char* kUsage =
    "usage: dxf-render IN.dxf OUT.svg|OUT.png [--window x1,y1,x2,y2] [--width PIXELS] [--dark]\n"
    "Draws the drawing's model space: the extents of what is drawn, or the window (drawing\n"
    "units); the picture is PIXELS wide (1600 unless told; 16 to 16384), on white or, with\n"
    "--dark, on a dark background.\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "dxf-render: %s\n%s", problem.c_str(), kUsage);
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input;
    std::string output;
    render::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--dark") {
            options.dark = true;
        } else if (arg == "--window" || arg == "--width") {
            if (i + 1 >= argc)
                return Usage(arg + " needs a value");
            const std::string value = argv[++i];
            if (arg == "--window") {
                options.window = render::ParseWindow(value);
                if (!options.window)
                    return Usage("the window is four numbers x1,y1,x2,y2 around an area, not \"" +
                                 value + "\"");
            } else {
                const auto width = common::ParseNumber(value);
                if (!width || *width != static_cast<int>(*width) || *width < 16 || *width > 16384)
                    return Usage("the width is a whole number of pixels from 16 to 16384, not \"" +
                                 value + "\"");
                options.width = static_cast<int>(*width);
            }
        } else if (arg.starts_with("--")) {
            return Usage("unknown option " + arg);
        } else if (input.empty()) {
            input = arg;
        } else if (output.empty()) {
            output = arg;
        } else {
            return Usage("one drawing and one picture, not \"" + arg + "\" as well");
        }
    }
    if (input.empty() || output.empty())
        return Usage("a drawing and a picture to write are needed");
    if (!render::FormatOf(output))
        return Usage("the picture's name must end in .svg or .png: " + output);

    AcDbDatabase db(false, true);
    const Acad::ErrorStatus es = db.readDwgFile(input.c_str());
    for (const std::string& warning : db.readWarnings())
        std::fprintf(stderr, "warning: %s\n", warning.c_str());
    if (es != Acad::eOk) {
        std::fprintf(stderr, "error: %s (%s)\n", db.lastError().c_str(), acadErrorStatusText(es));
        return 1;
    }
    const render::Result result = render::RenderToFile(db, output, options);
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "note: %s\n", note.c_str());
    if (!result.ok) {
        std::fprintf(stderr, "error: %s\n", result.error.c_str());
        return 2;
    }
    std::printf("%s: %zu entities drawn, %d x %d pixels, area %g,%g to %g,%g, written to %s\n",
                input.c_str(), result.drawn, result.widthPixels, result.heightPixels,
                result.shown.x1, result.shown.y1, result.shown.x2, result.shown.y2, output.c_str());
    return 0;
}
