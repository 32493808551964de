#include "services/backwiring.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "MakerFixture.h"
#include "services/maker.h"
#include "services/wiringplan.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

/// "panel/device/terminal wire colour" of every wire end.
std::set<std::string> Lines(const BackWiring& wiring) {
    std::set<std::string> lines;
    for (const auto& end : wiring.wireEnds) {
        lines.insert(end.panelNo + "/" + end.deviceKey + "/" + end.terminalNo + " " + end.wireNo +
                     " " + end.side[0].wireColor);
    }
    return lines;
}

TEST_F(SampleTest, WiringOfTheCurrentAndThePreviousRevisionDiffer) {
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, project().string()));
    BackWiring current;
    BackWiring previous;
    ASSERT_TRUE(BackWiringLoad(plan, kRevisionCurrent, current)) << MakerLastError();
    ASSERT_TRUE(BackWiringLoad(plan, kRevisionPrevious, previous)) << MakerLastError();
    WpDataFree(plan);

    ASSERT_EQ(current.devices.size(), 5u * 6u);
    ASSERT_EQ(previous.devices.size(), 5u * 5u);
    const BackDevice& mc2 = current.devices[1];
    EXPECT_EQ(mc2.panelNo, "P1");
    EXPECT_EQ(mc2.key, "MC2");
    EXPECT_EQ(mc2.plate, "PL2");
    EXPECT_EQ(mc2.addressPrefix + mc2.addressNo, "A2");
    EXPECT_EQ(mc2.partCode, "MC-9");
    EXPECT_EQ(mc2.model, "Contactor 9A");

    // Every wire end names a device of its panel and revision.
    for (const auto* wiring : {&current, &previous}) {
        std::set<std::string> devices;
        for (const auto& device : wiring->devices) {
            devices.insert(device.panelNo + "/" + device.key);
        }
        for (const auto& end : wiring->wireEnds) {
            EXPECT_TRUE(devices.contains(end.panelNo + "/" + end.deviceKey)) << end.deviceKey;
        }
    }

    // The three route kinds occur, with what each needs: a panel on the far side between
    // panels, a numbered destination on the door.
    std::set<std::string> routes;
    for (const auto& end : current.wireEnds) {
        routes.insert(end.routeKind);
        if (end.routeKind == "BANKAN") {
            EXPECT_NE(end.side[1].panelNo, end.panelNo);
        }
        if (end.routeKind == "DOOR") {
            EXPECT_EQ(end.side[1].destPrefix, "D");
            EXPECT_FALSE(end.side[1].destNo.empty());
        }
    }
    EXPECT_EQ(routes, (std::set<std::string>{"BANKAN", "BANNAI", "DOOR"}));

    // What changed: the last device of each panel is new, the first wire was recoloured.
    const auto now = Lines(current);
    const auto before = Lines(previous);
    EXPECT_TRUE(now.contains("P1/CB1/1 1010 BLK"));
    EXPECT_TRUE(before.contains("P1/CB1/1 1010 RED"));
    EXPECT_FALSE(before.contains("P1/X6/1 1060 BLK"));
    EXPECT_TRUE(now.contains("P1/X6/1 1060 BLK"));
}

TEST(BackWiring, NeedsAnOpenPlanAndAReadableStore) {
    BackWiring wiring;
    EXPECT_FALSE(BackWiringLoad(nullptr, kRevisionCurrent, wiring));
    WpData* plan = WpDataInit();
    EXPECT_FALSE(BackWiringLoad(plan, kRevisionCurrent, wiring));

    testsupport::TempDir dir;
    const fs::path project = makertest::MakeProject(dir.path() / "PRJ");
    ASSERT_TRUE(WpDataOpen(plan, project.string()));
    ASSERT_TRUE(BackWiringLoad(plan, kRevisionPrevious, wiring));  // no data: empty
    EXPECT_TRUE(wiring.devices.empty());
    makertest::RunSql(project / "ZELKOPRJ.sqlite", "DROP TABLE wire_end");
    wiring.devices.resize(1);
    EXPECT_FALSE(BackWiringLoad(plan, kRevisionCurrent, wiring));
    EXPECT_NE(MakerLastError().find("wire_end"), std::string::npos);
    EXPECT_EQ(wiring.devices.size(), 1u);  // nothing half-read is handed out
    WpDataFree(plan);
}

}  // namespace
