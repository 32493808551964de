// The 3D placement of entry points 1029 and 1037 in the test program, with a plate given to
// the plate check: the wiring database updated by the updater library (loaded from beside
// the program), combination and block terminals merged through it, and, after the dialog is
// cancelled, only the terminal blocks placed in this command selected for
// "ZELKO_3D_MOVEATT_DIRECT".

#include <gtest/gtest.h>

#include <algorithm>

#include "RelayFixture.h"
#include "frame/EntryPoints.h"
#include "maker/commands.h"
#include "platform/host/HostSession.h"
#include "relay/CyuukeiTerm.h"
#include "services/maker.h"
#include "services/project.h"
#include "services/symbols.h"

extern "C" int ZelkoOrdinal1029();
extern "C" int ZelkoOrdinal1037();

namespace {

namespace fs = std::filesystem;
using relaytest::kHeader3D;
using relaytest::Line;
using relaytest::Sample;
using testsupport::ReadBytes;

std::vector<AcDbObjectId> TerminalBlocks(AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db->currentSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecordIterator* it = nullptr;
    space->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        zelko::SymInfo* info = zelko::SymInfoOpen(id);
        if (info != nullptr && std::string_view(zelko::SymTypeName(info)) == "TERM")
            ids.push_back(id);
        zelko::SymInfoFree(info);
    }
    delete it;
    space->close();
    return ids;
}

class Relay3D : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sample.ok());
        // A 3D layout drawing of the project: the panel drawing in the layout folder, in place
        // of the sample's own 3D layout drawing (which holds no relay terminals).
        layout = sample.project() / "DWG" / "LAYOUT" / "LAYOUT_P01.dwg";
        fs::copy_file(sample.panelDrawing(), layout, fs::copy_options::overwrite_existing);
        // The door's terminals are single-pin parts; the wiring database lacks pin 2 of RT-2,
        // which the update brings back from the installation.
        ASSERT_TRUE(sample.ProjectSql("UPDATE terminal SET part_code = 'RT-1' WHERE tag = 'XD1'"));
        ASSERT_TRUE(Sample::Sql(sample.project() / "DWG" / "LAYOUT" / "LAYOUT.mdb",
                                "DELETE FROM pin WHERE code = 'RT-2' AND bompinno = 2"));
        setenv("TMPDIR", sample.temp().c_str(), 1);
        setenv("ZELKO_SETTINGS", (sample.dir() / "settings.sqlite").c_str(), 1);
        ASSERT_TRUE(zelko::MakerSetInstallFolder(sample.installation()));
        ASSERT_TRUE(zelko::ProjOpen(sample.project().string()));
        zelko::RegisterMakerCommands();
        routix::g_plateSelection = [] { return std::optional<std::string>("P01_PL1"); };
        handles = zelko::MakerLiveHandles();
    }
    void TearDown() override {
        // Everything the commands got from the maker's services was released.
        EXPECT_EQ(zelko::MakerLiveHandles(), handles);
        routix::g_plateSelection = [] { return std::optional<std::string>(); };
        zelko::ProjClose();
        unsetenv("TMPDIR");
        unsetenv("ZELKO_SETTINGS");
    }

    Sample sample;
    fs::path layout;
    int handles = 0;
};

// Block terminals: the two rows of XT1's first part RT-2 (pins 1 and 2) become one row "1,2";
// the single-pin parts of the door give no block. Two placements, then Cancel: the selection
// holds exactly the two new blocks.
TEST_F(Relay3D, BlockTerminalsMergeAndOnlyTheNewBlocksAreSelected) {
    hosttest::HostSession session({"click 1100", "OK", "10,10", "OK", "100,10", "CANCEL"});
    ASSERT_EQ(session.host().OpenDocument(layout.string()), Acad::eOk);
    AcDbDatabase* db = session.host().CurrentDocument()->database();
    const std::vector<AcDbObjectId> before = TerminalBlocks(db);
    // TB1, the four symbols of TB2 and the nine relay terminals of the panel drawing.
    ASSERT_EQ(before.size(), 14u);

    EXPECT_EQ(ZelkoOrdinal1037(), 1);
    EXPECT_FALSE(routix::g_b3DMode);
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("\nWIM DB updated."), std::string::npos) << console;
    EXPECT_EQ(ReadBytes(sample.temp() / "Param.txt"),
              std::string(kHeader3D) + Line("XT1", "1,2", "RT2_3D", "RT-2"));
    EXPECT_NE(console.find("\nZELKO_3D_MOVEATT_DIRECT: 2 terminal blocks."), std::string::npos)
        << console;

    const std::vector<AcDbObjectId> after = TerminalBlocks(db);
    ASSERT_EQ(after.size(), before.size() + 2);
    std::vector<AcDbObjectId> placed;
    for (const AcDbObjectId& id : after)
        if (std::find(before.begin(), before.end(), id) == before.end())
            placed.push_back(id);
    EXPECT_EQ(session.host().PickFirst(), placed);
    char* pins = nullptr;
    zelko::SymAttrs* attrs = nullptr;
    ASSERT_TRUE(zelko::SymAttrsOpen(placed.back(), "", attrs));
    EXPECT_TRUE(zelko::SymAttr(attrs, "PIN2", pins));
    EXPECT_STREQ(pins, "2");
    zelko::SymTextFree(pins);
    zelko::SymAttrsClose(attrs);
}

// Combination terminals keep every row of a single-pin part and drop the multi-pin one.
TEST_F(Relay3D, CombinationTerminalsKeepTheSinglePinParts) {
    hosttest::HostSession session({"click 1103", "OK", "10,10", "CANCEL"});
    ASSERT_EQ(session.host().OpenDocument(layout.string()), Acad::eOk);
    EXPECT_EQ(ZelkoOrdinal1029(), 1);
    EXPECT_EQ(ReadBytes(sample.temp() / "Param.txt"),
              std::string(kHeader3D) + Line("XD1", "3", "RT1_3D", "RT-1") +
                  Line("XD1", "1", "RT1_3D", "RT-1") + Line("XD1", "2", "RT1_3D", "RT-1"));
    EXPECT_NE(session.TakeConsole().find("\nZELKO_3D_MOVEATT_DIRECT: 3 terminal blocks."),
              std::string::npos);
}

// A parts database without the 3D symbol column ends the command with its message.
TEST_F(Relay3D, APartsDatabaseWithoutTheThreeDSymbolColumn) {
    ASSERT_TRUE(Sample::Sql(sample.project() / "DWG" / "LAYOUT" / "LAYOUT.mdb",
                            "ALTER TABLE bom DROP COLUMN BOM3DSYM"));
    hosttest::HostSession session({"OK"});
    ASSERT_EQ(session.host().OpenDocument(layout.string()), Acad::eOk);
    EXPECT_EQ(ZelkoOrdinal1029(), 1);
    EXPECT_NE(session.TakeConsole().find(
                  "\n部品マスタに3Dシンボル(BOM3DSYM属性)が割り当てられていません。"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(sample.temp() / "Param.txt"));
}

// The symbol values of the parts database as block names.
TEST(RelaySymbols, QuotesAndTheDrawingExtensionAreCut) {
    const std::pair<const char*, const char*> cases[] = {{"'TB-10.DWG'", "TB-10"},
                                                         {"RT-1.dwg", "RT-1"},
                                                         {"CN-6", "CN-6"},
                                                         {"'A.dwg.dwg'", "A.dwg"},
                                                         {"''", ""},
                                                         {".Dwg", ""},
                                                         {"TB.DXF", "TB.DXF"},
                                                         {"", ""}};
    for (const auto& [value, symbol] : cases)
        EXPECT_EQ(routix::CleanSymbol(value), symbol) << value;
}

}  // namespace
