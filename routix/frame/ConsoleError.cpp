#include "frame/ConsoleError.h"

namespace routix {

const char* SourcePath(Source source) {
    switch (source) {
        case Source::ArxBlock:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\ArxBlock.cpp";
        case Source::ExtractInfo:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\ExtractInfo.cpp";
        case Source::ROUTIXCommandExports:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\ROUTIXCommandExports.cpp";
        case Source::Log:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\Log.cpp";
        case Source::NyuusenhoukouShijiDlg:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\NyuusenhoukouShijiDlg.cpp";
        case Source::NyuusenhoukouShijiTermDlg:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\NyuusenhoukouShijiTermDlg.cpp";
        case Source::Sokucyou:
            return "e:\\repos\\trunk\\src\\zelk\\routix\\Sokucyou.cpp";
    }
    return "";
}

void PrintStatusError(Source source, int line, const char* operation, Acad::ErrorStatus status,
                      bool period) {
    acutPrintf("\n%s(%d): %s error(%s)%s", SourcePath(source), line, operation,
               acadErrorStatusText(status), period ? "." : "");
}

void PrintError(Source source, int line, const char* operation, bool period) {
    acutPrintf("\n%s(%d): %s error%s", SourcePath(source), line, operation, period ? "." : "");
}

void PrintFileError(Source source, int line, const char* operation, const char* fileName,
                    Acad::ErrorStatus status) {
    acutPrintf("\n%s(%d): %s error (FileName=%s|es=%s)", SourcePath(source), line, operation,
               fileName != nullptr ? fileName : "", acadErrorStatusText(status));
}

void PrintOpenDocumentError(Source source, int line, const char* fileName,
                            Acad::ErrorStatus status) {
    acutPrintf("\n%s(%d):appContextOpenDocument error (FileName=%s|es=%s)", SourcePath(source),
               line, fileName != nullptr ? fileName : "", acadErrorStatusText(status));
}

void PrintTempPathError(bool period) {
    acutPrintf(period ? "\nGetTempPath error." : "\nGetTempPath error");
}

}  // namespace routix
