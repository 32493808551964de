// dxf-roundtrip IN.dxf OUT.dxf
//
// Reads a drawing into the drawing database and saves it again, so that anyone can check that
// their drawings pass through unharmed. Prints what it repaired or could not make sense of; exits
// 0 when the drawing was read and saved, 1 when it could not be read, 2 when it could not be
// saved, 3 for a wrong command line.

#include <cstdio>
#include <cstring>
#include <string>

#include "arx/acdb.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: dxf-roundtrip IN.dxf OUT.dxf\n"
                 "Reads a DXF drawing into the drawing database and saves it as OUT.dxf.\n");
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage();
        return 0;
    }
    if (argc != 3)
        return Usage();
    AcDbDatabase db(false, true);
    Acad::ErrorStatus es = db.readDwgFile(argv[1]);
    for (const std::string& warning : db.readWarnings())
        std::fprintf(stderr, "warning: %s\n", warning.c_str());
    if (es != Acad::eOk) {
        std::fprintf(stderr, "error: %s (%s)\n", db.lastError().c_str(), acadErrorStatusText(es));
        return 1;
    }
    es = db.saveAs(argv[2]);
    if (es != Acad::eOk) {
        std::fprintf(stderr, "error: %s (%s)\n", db.lastError().c_str(), acadErrorStatusText(es));
        return 2;
    }
    std::printf("%s: release %s, text in %s, read and saved as %s\n", argv[1],
                db.acadVersion().c_str(), db.textEncoding().c_str(), argv[2]);
    return 0;
}
