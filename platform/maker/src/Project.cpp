#include "services/project.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "Store.h"
#include "common/numbers.h"
#include "common/text.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

struct ProjDrawings : detail::Handle {
    std::vector<std::string> paths;
};

struct ProjPath : detail::Handle {
    fs::path folder;
};

namespace {

struct OpenProject {
    fs::path folder;
    detail::Connection store;
};
OpenProject g_project;

/// The text value of a project key, or nothing.
std::optional<std::string> ProjectValue(std::string_view key) {
    if (!g_project.store) {
        return std::nullopt;
    }
    Statement query(g_project.store.get(), "SELECT value FROM project WHERE key = ?", "ZELKOPRJ");
    if (!query.ok()) {
        return std::nullopt;
    }
    query.Bind(1, key);
    if (!query.Step()) {
        return std::nullopt;
    }
    return query.Text(0);
}

fs::path DrawingRoot(const fs::path& project) {
    return project / detail::kDrawingRoot;
}

/// The drawing of the open project at `path`, as (panel number, flags).
bool FindDrawing(std::string_view path, std::string& panelNo, int& flags) {
    if (!g_project.store) {
        detail::SetLastError("ZELKOPRJ: no project is open");
        return false;
    }
    const std::string wanted = detail::PathText(fs::path(path));
    const fs::path root = DrawingRoot(g_project.folder);
    Statement query(g_project.store.get(), "SELECT path, panel_no, flags FROM drawing", "ZELKOPRJ");
    while (query.Step()) {
        if (common::EqualsNoCase(detail::PathText(root / query.Text(0)), wanted)) {
            panelNo = query.Text(1);
            flags = static_cast<int>(query.Int(2));
            return true;
        }
    }
    return false;
}

int RevisionState(std::string_view prefix, int selector) {
    auto value = ProjectValue(std::string(prefix) + "." + std::to_string(selector));
    // A state is a whole number: its leading digits ("2", "2 (previous)"), kept within int.
    return value ? static_cast<int>(std::clamp<std::int64_t>(common::LeadingInteger(*value),
                                                             std::numeric_limits<int>::min(),
                                                             std::numeric_limits<int>::max()))
                 : 0;
}

}  // namespace

namespace detail {
const fs::path& OpenProjectFolder() {
    return g_project.folder;
}
sqlite3* OpenProjectStoreConnection() {
    return g_project.store.get();
}
}  // namespace detail

bool ProjOpen(std::string_view folder) {
    ProjClose();
    std::error_code ec;
    fs::path path = fs::absolute(fs::path(folder), ec).lexically_normal();
    if (path.has_filename() == false && path.has_parent_path()) {
        path = path.parent_path();
    }
    auto store = detail::OpenProjectStore(path);
    if (!store) {
        return false;
    }
    g_project.folder = path;
    g_project.store = std::move(store);
    return true;
}

void ProjClose() {
    detail::ForgetRouteCuts();
    g_project.store.reset();
    g_project.folder.clear();
}

int ProjIsOpen() {
    return g_project.store ? 1 : 0;
}

bool ProjFolder(std::string& folder) {
    if (!g_project.store) {
        return false;
    }
    folder = g_project.folder.string();
    return true;
}

ProjDrawings* ProjDrawingList(int kind, int& count) {
    count = 0;
    if (!g_project.store) {
        detail::SetLastError("ZELKOPRJ: no project is open");
        return nullptr;
    }
    Statement query(g_project.store.get(), "SELECT path FROM drawing WHERE kind = ? ORDER BY rowid",
                    "ZELKOPRJ");
    if (!query.ok()) {
        return nullptr;
    }
    query.Bind(1, std::int64_t{kind});
    auto list = std::make_unique<ProjDrawings>();
    const fs::path root = DrawingRoot(g_project.folder);
    while (query.Step()) {
        list->paths.push_back((root / query.Text(0)).lexically_normal().string());
    }
    if (query.failed()) {
        return nullptr;
    }
    count = static_cast<int>(list->paths.size());
    return list.release();
}

const std::string& ProjDrawingAt(const ProjDrawings* list, int index) {
    static const std::string empty;
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->paths.size())) {
        return empty;
    }
    return list->paths[static_cast<std::size_t>(index)];
}

void ProjDrawingListFree(ProjDrawings* list) {
    delete list;
}

int ProjDrawingPanelNo(std::string_view path, std::string& panelNo) {
    std::string found;
    int flags = 0;
    if (!FindDrawing(path, found, flags) || found.empty()) {
        return 0;
    }
    panelNo = found;
    return 1;
}

bool ProjDrawingFlags(std::string_view path, int& flags) {
    std::string panelNo;
    return FindDrawing(path, panelNo, flags);
}

ProjPath* ProjPathInit(std::string_view text) {
    fs::path given(text);
    fs::path folder;
    std::error_code ec;
    // On this platform a text from which the drawing root was cut ("/LAYOUT") looks absolute:
    // it is taken below the drawing root when it names no folder itself but does there.
    const bool cutFromRoot =
        g_project.store && !text.empty() && given.is_absolute() && !fs::is_directory(given, ec) &&
        fs::is_directory(DrawingRoot(g_project.folder) / given.relative_path(), ec);
    if (text.empty() || given.is_relative() || cutFromRoot) {
        if (!g_project.store) {
            detail::SetLastError("ZELKOPRJ: no project is open");
            return nullptr;
        }
        // A relative text is what remains when the drawing root is cut off a path; it may
        // still begin with a separator.
        std::string_view rest = text;
        while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) {
            rest.remove_prefix(1);
        }
        folder = DrawingRoot(g_project.folder);
        if (!rest.empty()) {
            folder /= fs::path(rest);
        }
    } else {
        folder = given.lexically_normal();
        if (fs::is_regular_file(folder / detail::kStoreName, ec)) {
            folder = DrawingRoot(folder) / detail::kLayoutFolder;
        }
    }
    auto path = std::make_unique<ProjPath>();
    path->folder = fs::path(detail::PathText(folder)).make_preferred();
    return path.release();
}

void ProjPathFree(ProjPath* path) {
    delete path;
}

bool ProjPathFolder(const ProjPath* path, std::string& folder) {
    if (path == nullptr) {
        return false;
    }
    folder = path->folder.string();
    return true;
}

bool ProjPathKeyFile2D(const ProjPath* path, std::string& file) {
    if (path == nullptr) {
        return false;
    }
    file = (path->folder / "LayoutKey2D.txt").string();
    return true;
}

bool ProjPathKeyFile3D(const ProjPath* path, std::string& file) {
    if (path == nullptr) {
        return false;
    }
    file = (path->folder / "LayoutKey3D.txt").string();
    return true;
}

std::string ProjectFolder() {
    return g_project.store ? g_project.folder.string() : std::string();
}

int ProjectRevisionState(int selector) {
    return RevisionState("revision_state", selector);
}

int ProjectRevisionState2(int selector) {
    return RevisionState("revision_state2", selector);
}

bool ProjectVersionCheck(std::string_view version) {
    auto data = ProjectValue("data_version");
    if (!data) {
        return false;
    }
    auto have = common::ParseNumber(*data);
    auto want = common::ParseNumber(version);
    return have && want && *have >= *want;
}

}  // namespace zelko
