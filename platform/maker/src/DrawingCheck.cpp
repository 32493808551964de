#include "services/drawingcheck.h"

#include "Store.h"
#include "common/text.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

int DrawingKindCheck(std::string_view path) {
    const fs::path& project = detail::OpenProjectFolder();
    if (project.empty()) {
        detail::SetLastError("A23ZOZWT: no project is open");
        return 2;
    }
    std::error_code ec;
    const fs::path drawing = fs::absolute(fs::path(path), ec).lexically_normal();
    const std::string folder = detail::PathText(drawing.parent_path());
    const std::string layout =
        detail::PathText(project / detail::kDrawingRoot / detail::kLayoutFolder);
    return common::EqualsNoCase(folder, layout) ? 0 : 1;
}

bool Is3DEnabled(int level) {
    sqlite3* db = detail::OpenProjectStoreConnection();
    if (db == nullptr) {
        return false;
    }
    Statement setting(db, "SELECT value FROM plan_setting WHERE key = '3d_level'", "A23ZOB3T");
    const std::int64_t value = setting.ok() && setting.Step() ? setting.Int(0) : 0;
    return value >= level;
}

}  // namespace zelko
