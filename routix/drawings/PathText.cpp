#include "drawings/PathText.h"

#include <algorithm>

#include "common/text.h"

namespace routix {

std::string CPathText::CutFolder(std::string_view path) {
    const std::size_t last = path.rfind(kSeparator);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string CPathText::FolderOf(std::string_view path) {
    const std::size_t last = path.rfind(kSeparator);
    return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last));
}

std::string CPathText::CutTrailingSeparator(std::string_view path) {
    if (path.size() > 1 && path.back() == kSeparator)
        path.remove_suffix(1);
    return std::string(path);
}

std::string CPathText::CutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && path.back() == kSeparator)
        path.remove_suffix(1);
    return std::string(path);
}

std::string CPathText::RemoveNoCase(std::string_view path, std::string_view folder) {
    if (folder.empty())
        return std::string(path);
    // Folded texts may differ in length from the originals (Unicode case mapping), so the
    // comparison runs on the original bytes, one candidate position at a time.
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        if (i + folder.size() <= path.size() &&
            common::EqualsNoCase(path.substr(i, folder.size()), folder)) {
            i += folder.size();
            continue;
        }
        out += path[i++];
    }
    return out;
}

std::string CPathText::Join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != kSeparator)
        out += kSeparator;
    out.append(name);
    return out;
}

std::string CPathText::CutDrawingExtension(std::string_view name) {
    const std::string upper = common::ToUpper(name);
    std::size_t cut = std::string::npos;
    for (const char* extension : {".DWG", ".DXF"})
        cut = std::min(cut, upper.find(extension));
    // ToUpper keeps ASCII positions; a text whose length changed in upper case is cut nowhere
    // rather than at a wrong place.
    if (cut == std::string::npos || upper.size() != name.size())
        return std::string(name);
    return std::string(name.substr(0, cut));
}

bool CPathText::StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           common::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string> CPathText::FindFiles(const std::filesystem::path& folder,
                                              std::string_view prefix, std::string_view extension) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (const std::filesystem::directory_entry& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError))
            continue;
        const std::string name = entry.path().filename().string();
        if (name.size() < prefix.size() + extension.size() || !StartsWithNoCase(name, prefix) ||
            !common::EqualsNoCase(std::string_view(name).substr(name.size() - extension.size()),
                                  extension))
            continue;
        names.push_back(name);
    }
    // The Windows file systems order names by their upper-case forms ("LAYOUTP9" before
    // "LAYOUT_P01", as "P" comes before "_").
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = common::ToUpper(a);
        const std::string upperB = common::ToUpper(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
    return names;
}

}  // namespace routix
