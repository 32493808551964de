#include "services/routecut.h"

#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "Store.h"
#include "common/text.h"

namespace zelko {

namespace {

/// The route cuts of the page read last, by upper-case handle: a drawing's symbols are asked
/// one after the other, so one query per drawing serves them all.
struct PageCache {
    sqlite3* store = nullptr;
    std::string page;
    std::map<std::string, std::vector<int>> cuts;
};
PageCache g_cache;

void LoadPage(sqlite3* store, const std::string& page) {
    g_cache.store = store;
    g_cache.page = page;
    g_cache.cuts.clear();
    // A store written before route cuts were kept has no table: it holds none.
    sqlite3_stmt* probe = nullptr;
    if (sqlite3_prepare_v2(store, "SELECT 1 FROM sqlite_master WHERE name = 'route_cut'", -1,
                           &probe, nullptr) != SQLITE_OK)
        return;
    const bool hasTable = sqlite3_step(probe) == SQLITE_ROW;
    sqlite3_finalize(probe);
    if (!hasTable)
        return;
    detail::Statement query(store,
                            "SELECT handle, number FROM route_cut WHERE page = ? "
                            "ORDER BY handle, seq, rowid",
                            "A23ZOWP3");
    if (!query.ok())
        return;
    query.Bind(1, page);
    while (query.Step())
        g_cache.cuts[common::ToUpper(query.Text(0))].push_back(static_cast<int>(query.Int(1)));
}

}  // namespace

namespace detail {
void ForgetRouteCuts() {
    g_cache = PageCache();
}
}  // namespace detail

bool RouteCutList(AcDbObjectId symbol, AcDbDatabase* database, int*& numbers, int& count) {
    numbers = nullptr;
    count = 0;
    sqlite3* store = detail::OpenProjectStoreConnection();
    if (store == nullptr || database == nullptr || symbol.isNull())
        return false;
    const ACHAR* fileName = nullptr;
    database->getFilename(fileName);
    const std::string page =
        common::ToUpper(std::filesystem::path(fileName != nullptr ? fileName : "").stem().string());
    if (g_cache.store != store || g_cache.page != page)
        LoadPage(store, page);
    AcDbObject* object = nullptr;
    if (acdbOpenObject(object, symbol, AcDb::kForRead) != Acad::eOk)
        return false;
    AcDbHandle id;
    object->getAcDbHandle(id);
    char handle[17] = {};
    id.getIntoAsciiBuffer(handle, sizeof handle);
    object->close();
    const auto found = g_cache.cuts.find(common::ToUpper(handle));
    if (found == g_cache.cuts.end() || found->second.empty())
        return false;
    count = static_cast<int>(found->second.size());
    numbers = new int[found->second.size()];
    std::memcpy(numbers, found->second.data(), found->second.size() * sizeof(int));
    return true;
}

void RouteCutFree(int*& numbers) {
    delete[] numbers;
    numbers = nullptr;
}

}  // namespace zelko
