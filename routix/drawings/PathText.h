#pragma once

// What the commands do with path texts, in one place. The Windows system cuts paths at "\";
// here the separator is the platform's "/". No command cuts a path by hand: it asks this
// helper (through the command context, CSokucyou::Path).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace routix {

class CPathText {
public:
    /// The platform's folder separator.
    static constexpr char kSeparator = '/';

    /// `path` without its folder: everything after the last separator.
    static std::string CutFolder(std::string_view path);
    /// `path` without its last separator and what follows (the folder of a file); empty when
    /// the path has no separator.
    static std::string FolderOf(std::string_view path);
    /// `path` without one trailing separator (a lone "/" stays).
    static std::string CutTrailingSeparator(std::string_view path);
    /// `path` without any trailing separators (a lone "/" stays).
    static std::string CutTrailingSeparators(std::string_view path);
    /// `path` with every occurrence of `folder` removed, compared without regard to case (an
    /// empty `folder` removes nothing).
    static std::string RemoveNoCase(std::string_view path, std::string_view folder);
    /// `folder` + separator + `name` (no doubled separator).
    static std::string Join(std::string_view folder, std::string_view name);
    /// `name` cut at the first ".DWG" or ".DXF" (without regard to case); unchanged without.
    static std::string CutDrawingExtension(std::string_view name);
    /// True when `text` starts with `prefix`, compared without regard to case.
    static bool StartsWithNoCase(std::string_view text, std::string_view prefix);

    /// The files of `folder` whose names start with `prefix` and end with `extension`, both
    /// compared without regard to case, as the Windows file search matches "LAYOUT*.dwg":
    /// names only, in the order that search gives on its file systems (upper-case forms
    /// compared as bytes, then the names themselves). Folders and other non-files are left out; a
    /// folder that cannot be read gives none.
    static std::vector<std::string> FindFiles(const std::filesystem::path& folder,
                                              std::string_view prefix, std::string_view extension);
};

}  // namespace routix
