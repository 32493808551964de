#include "MakerFixture.h"

#include <sqlite3.h>

#include "maker/schema.h"
#include "services/maker.h"
#include "services/project.h"

namespace makertest {

void RunSql(const std::filesystem::path& file, std::string_view sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    int rc = sqlite3_exec(db, std::string(sql).c_str(), nullptr, nullptr, &message);
    std::string why = message != nullptr ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << why;
}

std::filesystem::path MakeProject(const std::filesystem::path& folder, std::string_view sql) {
    std::filesystem::create_directories(folder / "DWG" / "LAYOUT");
    RunSql(folder / "ZELKOPRJ.sqlite", zelko::ProjectStoreSchema());
    if (!sql.empty()) {
        RunSql(folder / "ZELKOPRJ.sqlite", sql);
    }
    return folder;
}

void SampleTest::SetUp() {
    std::string error;
    ASSERT_TRUE(sampleproject::WriteInstallation(install(), error)) << error;
    ASSERT_TRUE(sampleproject::WriteProject(project(), m_options, error)) << error;
    ASSERT_TRUE(zelko::MakerSetInstallFolder(install()));
}

void SampleTest::TearDown() {
    zelko::ProjClose();
}

}  // namespace makertest
