#include "SampleProject.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "services/bom.h"
#include "services/maker.h"
#include "services/project.h"
#include "services/termlist.h"
#include "services/wiringplan.h"
#include "support/FileSupport.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

struct Outcome {
    int status = -1;
    std::string errors;
};

/// Runs the generator with `args`, without a shell; collects what it writes to stderr.
Outcome RunGenerator(const std::vector<std::string>& args, const fs::path& scratch) {
    std::vector<std::string> all = {SAMPLE_PROJECT_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const fs::path errors = scratch / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    Outcome run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.errors = testsupport::ReadBytes(errors);
    return run;
}

/// Number of panels in the project's plan, -1 when it cannot be read.
int PanelCount(const fs::path& project) {
    zelko::WpData* plan = zelko::WpDataInit();
    int count = zelko::WpDataOpen(plan, project.string())
                    ? zelko::WpPanelCount(zelko::WpPanelListOf(plan))
                    : -1;
    zelko::WpDataFree(plan);
    return count;
}

TEST(SampleProjectProgram, WritesAProjectAndAnInstallationTheServicesRead) {
    TempDir dir;
    const fs::path out = dir.path() / "samples";
    Outcome run = RunGenerator({out.string()}, dir.path());
    ASSERT_EQ(run.status, 0) << run.errors;
    for (const auto* file :
         {"SAMPLE/ZELKOPRJ.sqlite", "SAMPLE/DWG/LAYOUT/LAYOUT.mdb", "zelko/BOM/ZELKOBOM.sqlite"}) {
        EXPECT_TRUE(fs::is_regular_file(out / file)) << file;
    }
    EXPECT_TRUE(fs::is_directory(out / "SAMPLE" / "FT_OUTPUT"));
    EXPECT_TRUE(fs::is_directory(out / "zelko" / "SUPPORT"));
    EXPECT_EQ(testsupport::ReadBytes(out / "SAMPLE" / "ZELKOWP.ini"),
              "[LAYOUT]\r\nDIRECTION12=1\r\nNO_BOM_XY=0\r\n");

    ASSERT_TRUE(zelko::ProjOpen((out / "SAMPLE").string())) << zelko::MakerLastError();
    EXPECT_TRUE(zelko::ProjectVersionCheck("25.0"));
    EXPECT_EQ(zelko::ProjectRevisionState(0), 2);
    zelko::ProjClose();
    EXPECT_EQ(PanelCount(out / "SAMPLE"), 5);

    ASSERT_TRUE(zelko::MakerSetInstallFolder(out / "zelko"));
    zelko::BomDb* bom = zelko::BomOpenDefault();
    EXPECT_NE(bom, nullptr) << zelko::MakerLastError();
    zelko::BomClose(bom);

    // Run again with more panels: the project is replaced whole, nothing is left beside it.
    run = RunGenerator({out.string(), "--panels", "8"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(PanelCount(out / "SAMPLE"), 8);
    EXPECT_EQ(testsupport::ListFolder(out / "SAMPLE"), "DWG FT_OUTPUT ZELKOPRJ.sqlite ZELKOWP.ini");
}

TEST(SampleProjectProgram, RefusesBadArgumentsAndUnwritableOutput) {
    TempDir dir;
    struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } const cases[] = {
        {{}, 2, "usage: sample-project OUTPUT"},
        {{"--panels"}, 2, "usage"},
        {{"out", "--panels", "0"}, 2, "--panels wants a positive number"},
        {{"out", "--panels", "3x"}, 2, "--panels wants a positive number"},
        {{"out", "--colour"}, 2, "unknown argument '--colour'"},
    };
    for (const auto& c : cases) {
        Outcome run = RunGenerator(c.args, dir.path());
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    }
    testsupport::WriteBytes(dir.path() / "file", "not a folder");
    Outcome run = RunGenerator({(dir.path() / "file").string()}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("sample-project: '" + (dir.path() / "file").string()),
              std::string::npos)
        << run.errors;
}

TEST(WriteProject, AFailedWriteLeavesThePreviousProject) {
    TempDir dir;
    std::string error;
    sampleproject::Options small;
    small.panels = 2;
    ASSERT_TRUE(sampleproject::WriteProject(dir.path(), small, error)) << error;
    const std::string before = testsupport::ReadBytes(dir.path() / "ZELKOPRJ.sqlite");
    {
        testsupport::FileSizeLimit limit(before.size() / 2);
        sampleproject::Options big;
        big.panels = 20;
        EXPECT_FALSE(sampleproject::WriteProject(dir.path(), big, error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(testsupport::ReadBytes(dir.path() / "ZELKOPRJ.sqlite"), before);
    EXPECT_EQ(PanelCount(dir.path()), 2);
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "DWG FT_OUTPUT ZELKOPRJ.sqlite ZELKOWP.ini");
}

TEST(WriteProject, ScalesToTheRequestedTerminalCounts) {
    TempDir dir;
    std::string error;
    sampleproject::Options options;
    options.panels = 7;
    options.componentsPerPanel = 4;
    options.blockTerminalsPerPanel = 3;
    options.singleTerminalsPerPanel = 5;
    options.relayTerminalsPerPanel = 2;
    options.previousRevision = false;
    ASSERT_TRUE(sampleproject::WriteProject(dir.path(), options, error)) << error;
    EXPECT_EQ(sampleproject::TerminalsPerPanel(options), 4 * 6 + 3 + 5 + 2);
    int total = 0;
    for (auto kind : {zelko::TermListKind::Components, zelko::TermListKind::TerminalBlocks,
                      zelko::TermListKind::RelayTerminals}) {
        zelko::TermList* list = zelko::TermListInit(kind);
        ASSERT_TRUE(zelko::TermListOpen(list, dir.path().string()));
        ASSERT_TRUE(zelko::TermListLoad(list, zelko::kTermVariantCurrent));
        EXPECT_FALSE(zelko::TermListLoad(list, zelko::kTermVariantPrevious));
        zelko::TermItems* items = zelko::TermListItems(list);
        total += zelko::TermItemsCount(items);
        zelko::TermItemsFree(items);
        zelko::TermListFree(list);
    }
    EXPECT_EQ(total, 7 * sampleproject::TerminalsPerPanel(options));
    EXPECT_EQ(zelko::MakerLiveHandles(), 0);
}

}  // namespace
