#include "services/wiringplan.h"

#include <gtest/gtest.h>

#include "MakerFixture.h"
#include "services/maker.h"
#include "services/project.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

/// WpData that frees itself.
struct Plan {
    Plan() : data(WpDataInit()) {}
    ~Plan() { WpDataFree(data); }
    WpData* data;
};

TEST_F(SampleTest, PlanGivesPanelsPlatesRowsDuctsAndSettings) {
    ASSERT_TRUE(ProjOpen(project().string()));
    Plan plan;
    ASSERT_TRUE(WpDataOpen(plan.data, project().string()));

    const WpPanelList* panels = WpPanelListOf(plan.data);
    ASSERT_EQ(WpPanelCount(panels), 5);
    const WpPanel* second = WpPanelAt(panels, 1);
    EXPECT_EQ(WpPanelNo(second), "P2");
    EXPECT_EQ(WpPanelName(second), "P02");
    EXPECT_EQ(WpPanelAt(panels, 5), nullptr);
    EXPECT_EQ(WpPanelByName(panels, "p02"), second);
    EXPECT_EQ(WpPanelByName(panels, "P2"), nullptr);  // a number is no name
    EXPECT_EQ(WpPanelIdByNumber(WpTitlePanelList(plan.data), "p2"), WpPanelId(second));
    EXPECT_EQ(WpPanelIdByNumber(panels, "P99"), 0);

    ASSERT_EQ(WpPlateCount(second), 2);
    std::string name;
    std::string face;
    ASSERT_TRUE(WpPlateInfo(plan.data, WpPlateId(second, 1), name, face));
    EXPECT_EQ(name, "PL2");
    EXPECT_EQ(face, "裏面");
    EXPECT_NE(WpPlateId(second, 0), WpPanelId(second));
    EXPECT_EQ(WpPlateId(second, 2), 0);

    ASSERT_EQ(WpRowCount(plan.data), 2);
    ASSERT_TRUE(WpRowName(plan.data, 1, name));
    EXPECT_EQ(name, "ROW2");
    ASSERT_EQ(WpRowPanelCount(plan.data, 0), 3);
    std::string panelNo;
    ASSERT_TRUE(WpPanelNoAt(plan.data, 0, 2, panelNo));
    EXPECT_EQ(panelNo, "P3");
    EXPECT_FALSE(WpPanelNoAt(plan.data, 0, 3, panelNo));
    EXPECT_FALSE(WpRowName(plan.data, 2, name));

    const WpDucts* ducts = WpDuctTable(plan.data);
    ASSERT_EQ(WpDuctCount(ducts), 3);
    int width = 0;
    int type = 0;
    ASSERT_TRUE(WpDuctAt(ducts, 2, name, width, type));
    EXPECT_EQ(name, "");  // a duct type without name
    EXPECT_EQ(width, 60);
    EXPECT_EQ(type, 2);

    EXPECT_TRUE(WpMirrorCorrection(WpPlanSettings(plan.data)));
    EXPECT_EQ(PlanUsesPlates(PlanData(plan.data)), 1);
    EXPECT_EQ(PlanOption(PlanData(plan.data)), 0);
}

TEST(WpData, FindsTheProjectOfAFolderAndRefusesWhereThereIsNone) {
    testsupport::TempDir dir;
    const fs::path project = makertest::MakeProject(dir.path() / "PRJ", R"(
        INSERT INTO panel (id, seq, panel_no, name) VALUES (1, 1, 'P10', 'TEN'), (2, 2, 'P2', 'TWO'),
            (3, 3, '', 'NO NUMBER');
        UPDATE panel SET kind = 2 WHERE id = 3;
        INSERT INTO plan_setting VALUES ('mirror_correction', 0), ('uses_plates', 0),
            ('plan_option', 3);
    )");
    Plan plan;
    // An absolute folder inside the project finds it without an open project.
    ASSERT_TRUE(WpDataOpen(plan.data, (project / "DWG" / "LAYOUT").string())) << MakerLastError();
    EXPECT_FALSE(WpMirrorCorrection(WpPlanSettings(plan.data)));
    EXPECT_EQ(PlanUsesPlates(PlanData(plan.data)), 0);
    EXPECT_EQ(PlanOption(PlanData(plan.data)), 3);
    EXPECT_EQ(WpDuctCount(WpDuctTable(plan.data)), 0);
    EXPECT_EQ(WpRowCount(plan.data), 0);

    // Drawing titles name panels by number, in natural order; a panel without one is not
    // among them.
    const WpPanelList* titled = WpTitlePanelList(plan.data);
    ASSERT_EQ(WpPanelCount(titled), 2);
    EXPECT_EQ(WpPanelNo(WpPanelAt(titled, 0)), "P2");
    EXPECT_EQ(WpPanelNo(WpPanelAt(titled, 1)), "P10");
    EXPECT_EQ(WpPanelKind(WpPanelByName(WpPanelListOf(plan.data), "no number")), 2);
    EXPECT_EQ(WpPanelKind(WpPanelAt(titled, 0)), 0);

    Plan none;
    EXPECT_FALSE(WpDataOpen(none.data, (dir.path() / "elsewhere").string()));
    EXPECT_NE(MakerLastError().find("belongs to no project"), std::string::npos);
    EXPECT_FALSE(WpDataOpen(none.data, "LAYOUT"));  // relative, and no project is open
    EXPECT_EQ(WpPanelListOf(none.data), nullptr);
    EXPECT_EQ(WpPanelCount(WpPanelListOf(none.data)), 0);
    EXPECT_FALSE(WpMirrorCorrection(WpPlanSettings(none.data)));
}

TEST(WpData, RefusesAPlanWhosePanelAndPlateIdsOverlap) {
    testsupport::TempDir dir;
    const fs::path project = makertest::MakeProject(dir.path() / "PRJ", R"(
        INSERT INTO panel (id, seq, panel_no, name) VALUES (1, 1, 'P1', 'P01'), (2, 2, 'P2', 'P02');
        INSERT INTO plate (id, panel_id, seq, name) VALUES (2, 1, 1, 'PL1');
    )");
    Plan plan;
    EXPECT_FALSE(WpDataOpen(plan.data, project.string()));
    EXPECT_NE(MakerLastError().find("share the id 2"), std::string::npos) << MakerLastError();
}

TEST(WpData, ATableMissingFromTheStoreIsAnErrorNotAnEmptyPlan) {
    testsupport::TempDir dir;
    const fs::path project = makertest::MakeProject(dir.path() / "PRJ", "DROP TABLE duct_type");
    Plan plan;
    EXPECT_FALSE(WpDataOpen(plan.data, project.string()));
    EXPECT_NE(MakerLastError().find("duct_type"), std::string::npos) << MakerLastError();
}

}  // namespace
