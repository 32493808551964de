// A project filled by a user with the sqlite3 tool, following platform/maker/README.md.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "services/maker.h"
#include "services/project.h"
#include "services/termlist.h"
#include "services/wiringplan.h"
#include "support/FileSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace zelko;

/// Runs the sqlite3 tool on `store` with `args`, its input from `input` when given; the exit
/// status.
int Sqlite3(const fs::path& store, const std::vector<std::string>& args,
            const fs::path& input = {}) {
    std::vector<std::string> all = {"/usr/bin/sqlite3", store.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    }
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        ::waitpid(pid, &status, 0);
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

TEST(UserFilledProject, TheDocumentedSqlite3StepsGiveAProjectTheServicesRead) {
    ASSERT_TRUE(fs::exists("/usr/bin/sqlite3")) << "the sqlite3 tool (scripts/packages.txt)";
    testsupport::TempDir dir;
    const fs::path project = dir.path() / "MYPRJ";
    fs::create_directories(project / "DWG" / "LAYOUT");
    fs::create_directories(project / "FT_OUTPUT");
    const fs::path store = project / "ZELKOPRJ.sqlite";
    ASSERT_EQ(Sqlite3(store, {}, fs::path(MAKER_SOURCE_DIR) / "project-schema.sql"), 0);
    ASSERT_EQ(Sqlite3(store, {"INSERT INTO project VALUES ('data_version', '25.00')"}), 0);
    testsupport::WriteBytes(dir.path() / "panels.csv",
                            "id,seq,panel_no,name,kind,row_id,row_seq\n"
                            "1,1,P1,P01,0,,0\n"
                            "2,2,P2,P02,2,,0\n");
    ASSERT_EQ(Sqlite3(store, {".import --csv --skip 1 " + (dir.path() / "panels.csv").string() +
                              " panel"}),
              0);
    ASSERT_EQ(Sqlite3(store, {"INSERT INTO terminal (list, owner_id, tag, terminal_no, "
                              "terminal_kind) VALUES (1, 1, 'K1', 'A1', 'COIL')"}),
              0);

    ASSERT_TRUE(ProjOpen(project.string())) << MakerLastError();
    EXPECT_TRUE(ProjectVersionCheck("16.00"));
    EXPECT_FALSE(ProjectVersionCheck("26"));
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, ""));
    const WpPanelList* panels = WpPanelListOf(plan);
    ASSERT_EQ(WpPanelCount(panels), 2);
    EXPECT_EQ(WpPanelName(WpPanelAt(panels, 1)), "P02");
    EXPECT_EQ(WpPanelKind(WpPanelAt(panels, 1)), 2);
    EXPECT_EQ(WpRowCount(plan), 0);
    WpDataFree(plan);

    TermList* list = TermListInit(TermListKind::Components);
    ASSERT_TRUE(TermListOpen(list, ""));
    ASSERT_TRUE(TermListLoad(list, kTermVariantCurrent)) << MakerLastError();
    TermItems* items = TermListItems(list);
    ASSERT_EQ(TermItemsCount(items), 1);
    const Term* term = TermItemsAt(items, 0);
    EXPECT_STREQ(TermComponentTag(term), "K1");
    EXPECT_STREQ(TermKindText(term), "COIL");
    EXPECT_EQ(TermPanelNo(term), nullptr);
    EXPECT_EQ(TermOrderNo(term), -1);
    TermItemsFree(items);
    TermListFree(list);
    ProjClose();
}

}  // namespace
