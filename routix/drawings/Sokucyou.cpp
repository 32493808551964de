#include "drawings/Sokucyou.h"

#include <filesystem>

#include "common/text.h"
#include "frame/ConsoleError.h"
#include "frame/MessageIds.h"
#include "services/project.h"

namespace routix {

namespace fs = std::filesystem;

Acad::ErrorStatus CSokucyou::monitorInputPoint(bool&, ACHAR*&) {
    return Acad::eOk;
}

bool CSokucyou::excludeFromOsnapCalculation(const std::vector<AcDbObjectId>&, std::intptr_t) {
    return false;
}

bool CSokucyou::GetDwgFolder(std::string& folder) const {
    resbuf value{};
    std::string prefix;
    if (acedGetVar("DWGPREFIX", &value) == RTNORM && value.restype == RTSTR) {
        prefix = value.resval.rstring != nullptr ? value.resval.rstring : "";
        acutDelString(value.resval.rstring);
    }
    folder = Path::CutTrailingSeparator(prefix);
    if (folder.empty() || !IsFileExist(folder)) {
        char caption[kMessageBufferSize] = {};
        LoadMsg(IDS_CAPTION_EXPLORED_DRAWING, caption, sizeof caption);
        MsgBox(IDS_RUN_WP_FROMTO_FIRST, caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CSokucyou::GetLayoutFolder(std::string_view folder, std::string& layout, bool create) const {
    zelko::ProjPath* path = zelko::ProjPathInit(folder);
    const bool named = path != nullptr && zelko::ProjPathFolder(path, layout);
    zelko::ProjPathFree(path);
    if (!named)
        return false;
    if (!IsFileExist(layout) && create) {
        std::error_code ec;
        fs::create_directory(layout, ec);
    }
    return IsFileExist(layout);
}

bool CSokucyou::GetTempFolder(std::string& folder, bool period) {
    std::error_code ec;
    const fs::path temp = fs::temp_directory_path(ec);
    if (ec || temp.empty()) {
        PrintTempPathError(period);
        return false;
    }
    folder = Path::CutTrailingSeparators(temp.string());
    folder += Path::kSeparator;
    return true;
}

namespace {

struct OpenRequest {
    std::string path;
    Acad::ErrorStatus status = Acad::eOk;
};

void OpenInApplicationContext(void* data) {
    auto* request = static_cast<OpenRequest*>(data);
    request->status = acDocManagerOpenDocument(request->path.c_str());
}

std::string Normalised(std::string_view path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().string();
}

}  // namespace

bool CSokucyou::OpenDwg(std::string_view path) const {
    const std::string wanted = Normalised(path);
    for (int i = 0; i < acDocManagerDocumentCount(); ++i) {
        AcApDocument* document = acDocManagerDocumentAt(i);
        const ACHAR* fileName = nullptr;
        if (document == nullptr || document->database() == nullptr ||
            document->database()->getFilename(fileName) != Acad::eOk || fileName == nullptr)
            continue;
        if (common::EqualsNoCase(Normalised(fileName), wanted))
            return acDocManagerActivateDocument(document) == Acad::eOk;
    }
    OpenRequest request{wanted};
    if (acDocManagerIsApplicationContext())
        OpenInApplicationContext(&request);
    else
        acDocManagerExecuteInApplicationContext(OpenInApplicationContext, &request);
    if (request.status != Acad::eOk) {
        PrintOpenDocumentError(Source::Sokucyou, __LINE__, request.path.c_str(), request.status);
        return false;
    }
    return true;
}

}  // namespace routix
