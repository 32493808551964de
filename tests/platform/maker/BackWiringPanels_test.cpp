#include "services/backwiringpanels.h"

#include <gtest/gtest.h>

#include "MakerFixture.h"
#include "services/maker.h"
#include "services/wiringplan.h"

namespace {

using makertest::SampleTest;
using namespace zelko;

/// "panel/device/terminal wire colour" of every record, in the order given.
std::string Lines(const BackWiring& wiring) {
    std::string lines;
    for (const auto& device : wiring.devices) {
        lines += "D " + device.panelNo + "/" + device.key + " " + device.model + "\n";
    }
    for (const auto& end : wiring.wireEnds) {
        lines += "W " + end.panelNo + "/" + end.deviceKey + "/" + end.terminalNo + " " +
                 end.wireNo + " " + end.side[1].wireColor + " " + end.side[1].special + "\n";
    }
    return lines;
}

/// Every panel of `revision` read panel by panel: "panel number:" and its lines.
std::string ReadByPanel(const WpData* plan, int revision, BackWiring* all = nullptr) {
    BackWiringPanels* panels = BackWiringOpenPanels(plan, revision);
    EXPECT_NE(panels, nullptr) << MakerLastError();
    std::string text;
    std::string panelNo;
    BackWiring wiring;
    while (BackWiringNextPanel(panels, panelNo, wiring)) {
        text += panelNo + ":\n" + Lines(wiring);
        if (all != nullptr) {
            all->devices.insert(all->devices.end(), wiring.devices.begin(), wiring.devices.end());
            all->wireEnds.insert(all->wireEnds.end(), wiring.wireEnds.begin(),
                                 wiring.wireEnds.end());
        }
    }
    EXPECT_FALSE(BackWiringPanelsFailed(panels));
    BackWiringPanelsFree(panels);
    return text;
}

TEST_F(SampleTest, ByPanelReadsWhatTheWholeLoadReads) {
    sampleproject::Options options;
    options.panels = 12;  // "P10" comes before "P2" in the store's order
    std::string error;
    ASSERT_TRUE(sampleproject::WriteProject(dir() / "TWELVE", options, error)) << error;
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, (dir() / "TWELVE").string()));
    for (int revision : {kRevisionCurrent, kRevisionPrevious}) {
        BackWiring whole;
        ASSERT_TRUE(BackWiringLoad(plan, revision, whole));
        BackWiring byPanel;
        const std::string text = ReadByPanel(plan, revision, &byPanel);
        // The same records, panel by panel in the order of the panel numbers.
        EXPECT_EQ(byPanel.devices.size(), whole.devices.size());
        EXPECT_EQ(byPanel.wireEnds.size(), whole.wireEnds.size());
        std::string expected;
        for (const char* panel :
             {"P1", "P10", "P11", "P12", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9"}) {
            BackWiring one;
            for (const auto& device : whole.devices) {
                if (device.panelNo == panel) {
                    one.devices.push_back(device);
                }
            }
            for (const auto& end : whole.wireEnds) {
                if (end.panelNo == panel) {
                    one.wireEnds.push_back(end);
                }
            }
            expected += std::string(panel) + ":\n" + Lines(one);
        }
        EXPECT_EQ(text, expected);
    }
    WpDataFree(plan);
}

TEST(BackWiringPanels, PanelsDifferingInCaseAreOneAndEitherListMayBeEmpty) {
    testsupport::TempDir dir;
    const auto project = makertest::MakeProject(
        dir.path() / "PRJ",
        "INSERT INTO device (panel_no, key, model) VALUES ('p1', 'K1', 'a'), ('B', 'K2', 'b');"
        "INSERT INTO wire_end (panel_no, device_key, terminal_no) VALUES ('P1', 'K1', '1'), "
        "('A', 'K0', '1'), ('p1', 'K1', '2');");
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, project.string()));
    EXPECT_EQ(ReadByPanel(plan, kRevisionCurrent),
              "A:\nW A/K0/1   \nB:\nD B/K2 b\np1:\nD p1/K1 a\n"
              "W P1/K1/1   \nW p1/K1/2   \n");
    EXPECT_EQ(ReadByPanel(plan, kRevisionPrevious), "");
    WpDataFree(plan);

    EXPECT_EQ(BackWiringOpenPanels(nullptr, kRevisionCurrent), nullptr);
    EXPECT_FALSE(MakerLastError().empty());
}

}  // namespace
