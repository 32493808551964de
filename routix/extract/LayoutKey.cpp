#include "extract/LayoutKey.h"

#include <filesystem>
#include <string>
#include <vector>

#include "common/LogFile.h"
#include "drawings/Sokucyou.h"
#include "extract/ExtractInfo.h"
#include "frame/Frame.h"
#include "frame/MessageIds.h"
#include "frame/RoutixLog.h"
#include "services/project.h"

namespace routix {

namespace fs = std::filesystem;

namespace {

/// The folder a project-path object of `text` names; empty when the service names none.
std::string ProjPathFolderOf(std::string_view text) {
    std::string folder;
    zelko::ProjPath* path = zelko::ProjPathInit(text);
    if (path == nullptr || !zelko::ProjPathFolder(path, folder))
        folder.clear();
    zelko::ProjPathFree(path);
    return folder;
}

/// The key file's path for the project-relative folder `relative` (or the searched folder
/// when the service cannot place that text).
std::string KeyFilePath(const std::string& relative, const std::string& searched) {
    zelko::ProjPath* path = zelko::ProjPathInit(relative);
    if (path == nullptr) {
        std::error_code ec;
        path = zelko::ProjPathInit(fs::absolute(searched, ec).lexically_normal().string());
    }
    std::string file;
    const bool named = path != nullptr && (g_b3DMode ? zelko::ProjPathKeyFile3D(path, file)
                                                     : zelko::ProjPathKeyFile2D(path, file));
    zelko::ProjPathFree(path);
    return named ? file : std::string();
}

/// Writes the header and `rows` to `keyFile`, replacing it only when all was written.
void WriteKeyFile(const std::string& keyFile, const std::vector<COutputData>& rows) {
    ReplaceThroughLog("Temp.log", keyFile, [&](CLog& log, const CWatchingLogReporter& reporter) {
        std::string header;
        for (std::size_t c = 0; c < COutputData::kColumnNames.size(); ++c) {
            if (c > 0)
                header += '\t';
            header += COutputData::kColumnNames[c];
        }
        log.Out("%s\r\n", header.c_str());
        std::string line;
        for (const COutputData& row : rows) {
            // One plain write per line: the separators and fields exactly as they are.
            line.clear();
            for (std::size_t c = 0; c < row.fields().size(); ++c) {
                if (c > 0)
                    line += '\t';
                line += row.fields()[c];
            }
            log.OutPlain(line);
            log.Out("\r\n");
            if (reporter.Failed())
                break;
        }
    });
}

}  // namespace

void LayoutKeyFile() {
    char prompt[kMessageBufferSize] = {};
    CMessageBox().LoadMsg(IDS_LAYOUT_PATH_PROMPT, prompt, sizeof prompt);
    // 260 characters, each up to four bytes in UTF-8.
    char answer[4 * 260 + 1] = {};
    if (acedGetString(1, prompt, answer, sizeof answer) != RTNORM)
        return;
    const std::string folder = CPathText::CutTrailingSeparator(answer);

    CSokucyou context;
    std::string incorrect;
    context.LoadMsg(IDS_INPUT_PATH_INCORRECT, incorrect);
    if (!CSokucyou::IsFileExist(folder))
        acutPrintf("\n%s", incorrect.c_str());

    const std::string root = ProjPathFolderOf("");
    const std::string relative =
        CPathText::CutTrailingSeparators(CPathText::RemoveNoCase(folder, root));
    const std::string named = ProjPathFolderOf(relative);
    if (!CSokucyou::IsFileExist(named.empty() ? relative : named))
        acutPrintf("\n%s", incorrect.c_str());

    const std::vector<std::string> drawings = CPathText::FindFiles(folder, "LAYOUT", ".dwg");
    if (drawings.empty()) {
        std::string none;
        context.LoadMsg(IDS_NO_DWG_IN_FOLDER, none, {folder});
        acutPrintf("\n%s", none.c_str());
        return;
    }

    std::vector<COutputData> rows;
    bool acceptShared = false;
    CExtractInfo extract;
    for (const std::string& name : drawings) {
        const std::string path = CPathText::Join(folder, name);
        AcDbDatabase side(false, true);
        Acad::ErrorStatus es = Acad::eOk;
        if (acceptShared) {
            es = side.readDwgFile(path.c_str(), AcDbDatabase::kForReadAndAllShare);
        } else {
            es = side.readDwgFile(path.c_str(), AcDbDatabase::kForReadAndReadShare);
            if (es != Acad::eOk) {
                if (context.MsgBox(IDS_DRAWINGS_IN_USE, ReleaseName(),
                                   MB_YESNO | MB_ICONQUESTION) != IDYES)
                    return;
                acceptShared = true;
                AcDbDatabase again(false, true);
                es = again.readDwgFile(path.c_str(), AcDbDatabase::kForReadAndAllShare);
                if (es == Acad::eOk)
                    extract.Extract(&again, rows);
                else
                    acutPrintf("\n%s", again.lastError().c_str());
                continue;
            }
        }
        if (es == Acad::eOk)
            extract.Extract(&side, rows);
        else
            acutPrintf("\n%s", side.lastError().c_str());
    }

    const std::string keyFile = KeyFilePath(relative, folder);
    if (keyFile.empty())
        return;
    WriteKeyFile(keyFile, rows);
}

}  // namespace routix
