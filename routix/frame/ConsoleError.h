#pragma once

// The console error convention: failures of drawing-database calls and similar steps are
// printed on the command line as "\n<source path>(<line>): <operation> error(<status>)" and its
// variants. The line never stops the program; the caller decides what comes next.

#include "host/aced.h"

namespace routix {

/// The source files that report, by the names their lines show.
enum class Source {
    ArxBlock,
    ExtractInfo,
    ROUTIXCommandExports,
    Log,
    NyuusenhoukouShijiDlg,
    NyuusenhoukouShijiTermDlg,
    Sokucyou
};

/// The path the lines show for a source: "e:\repos\trunk\src\zelk\routix\" + name + ".cpp".
const char* SourcePath(Source source);

/// "\n%s(%d): <operation> error(%s)", with a closing "." when `period` is set.
void PrintStatusError(Source source, int line, const char* operation, Acad::ErrorStatus status,
                      bool period = false);
/// "\n%s(%d): <operation> error", with a closing "." when `period` is set.
void PrintError(Source source, int line, const char* operation, bool period = false);
/// "\n%s(%d): <operation> error (FileName=%s|es=%s)": a file the operation could not use,
/// named as the appContextOpenDocument line names it (a drawing that cannot be read).
void PrintFileError(Source source, int line, const char* operation, const char* fileName,
                    Acad::ErrorStatus status);
/// "\n%s(%d):appContextOpenDocument error (FileName=%s|es=%s)".
void PrintOpenDocumentError(Source source, int line, const char* fileName,
                            Acad::ErrorStatus status);
/// "\nGetTempPath error", or "\nGetTempPath error." with `period`.
void PrintTempPathError(bool period);

}  // namespace routix

/// The usual forms at the reporting line: ROUTIX_STATUS_ERROR(Source::ArxBlock, "getAt", es).
#define ROUTIX_STATUS_ERROR(source, operation, status) \
    ::routix::PrintStatusError(source, __LINE__, operation, status)
#define ROUTIX_ERROR(source, operation) ::routix::PrintError(source, __LINE__, operation)
