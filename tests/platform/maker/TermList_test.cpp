#include "services/termlist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "MakerFixture.h"
#include "services/maker.h"
#include "services/numtext.h"
#include "services/project.h"
#include "services/wiringplan.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

/// A terminal list with its items, released in order when the test ends.
struct Loaded {
    Loaded(TermListKind kind, std::string_view folder, int variant = kTermVariantCurrent)
        : list(TermListInit(kind)) {
        opened = TermListOpen(list, folder);
        loaded = opened && TermListLoad(list, variant);
        items = TermListItems(list);
    }
    ~Loaded() {
        TermItemsFree(items);
        TermListClose(list);
        TermListFree(list);
    }
    TermList* list;
    TermItems* items = nullptr;
    bool opened = false;
    bool loaded = false;
};

std::string Text(const char* text) {
    return text == nullptr ? "<missing>" : text;
}

/// "tag:terminal" of every item.
std::vector<std::string> Keys(const TermItems* items) {
    std::vector<std::string> keys;
    for (int i = 0; i < TermItemsCount(items); ++i) {
        const Term* term = TermItemsAt(items, i);
        keys.push_back(Text(TermComponentTag(term)) + ":" + Text(TermTerminalNo(term)));
    }
    return keys;
}

TEST_F(SampleTest, LoadsTheThreeListsOfTheCurrentAndThePreviousRevision) {
    ASSERT_TRUE(ProjOpen(project().string()));
    const int panels = m_options.panels;
    struct {
        TermListKind kind;
        int variant;
        int count;
    } const cases[] = {
        {TermListKind::Components, kTermVariantCurrent, panels * m_options.componentsPerPanel * 6},
        {TermListKind::Components, kTermVariantPrevious,
         panels * (m_options.componentsPerPanel - 1) * 6},
        {TermListKind::TerminalBlocks, kTermVariantCurrent,
         panels * (m_options.blockTerminalsPerPanel + m_options.singleTerminalsPerPanel)},
        {TermListKind::RelayTerminals, kTermVariantCurrent,
         panels * m_options.relayTerminalsPerPanel},
    };
    for (const auto& c : cases) {
        Loaded loaded(c.kind, "", c.variant);  // "" is the open project
        ASSERT_TRUE(loaded.loaded) << MakerLastError();
        EXPECT_EQ(TermItemsCount(loaded.items), c.count);
    }
}

TEST_F(SampleTest, ComponentTerminalsCarryWhatTheDirectionRecordsNeed) {
    Loaded loaded(TermListKind::Components, project().string());
    ASSERT_TRUE(loaded.loaded) << MakerLastError();
    // MC2 of panel P1: a contactor with its coil terminals first, on the back plate.
    const Term* a2 = nullptr;
    const Term* breaker6 = nullptr;
    const Term* connector = nullptr;
    for (int i = 0; i < TermItemsCount(loaded.items); ++i) {
        const Term* term = TermItemsAt(loaded.items, i);
        const std::string key = Text(TermPanelNo(term)) + "/" + Text(TermComponentTag(term)) + ":" +
                                Text(TermTerminalNo(term));
        if (key == "P1/MC2:A2") {
            a2 = term;
        } else if (key == "P1/CB1:6") {
            breaker6 = term;
        } else if (key == "P1/X3:1") {
            connector = term;
        }
    }
    ASSERT_NE(a2, nullptr);
    ASSERT_NE(breaker6, nullptr);
    ASSERT_NE(connector, nullptr);

    EXPECT_EQ(TermDefaultPin(a2), 2);
    double x = -1;
    double y = -1;
    double z = -1;
    TermPinOffset(a2, x, y, z);
    EXPECT_EQ(x, 5.0);
    EXPECT_EQ(y, 10.0);
    EXPECT_EQ(z, 0.0);
    EXPECT_EQ(Text(TermKindText(a2)), "COIL");
    EXPECT_EQ(Text(TermFaceText(a2)), "裏面");
    EXPECT_EQ(Text(TermPartCode(a2)), "MC-9");
    EXPECT_EQ(Text(TermUnit(a2)), "U1");
    EXPECT_EQ(Text(TermDrawingName(a2)), "LAYOUT_P01");
    EXPECT_EQ(Text(TermConnectorTag(a2)), "");  // empty, not missing
    EXPECT_EQ(Text(TermConnectorTag(connector)), "CN1");
    // Default directions: text and code alike; the tube of an odd pin has none.
    EXPECT_EQ(Text(TermWireDirText(a2)), "R");
    EXPECT_EQ(TermWireDirCode(a2), u'R');
    EXPECT_EQ(TermTubeDirText(a2), nullptr);
    EXPECT_EQ(TermTubeDirCode(a2), u' ');
    EXPECT_EQ(TermTubeDirCode(breaker6), u' ');
    EXPECT_EQ(TermMirrored(a2), 0);
    // The breaker's last terminal takes no entry direction: its kind text is missing.
    EXPECT_EQ(TermKindText(breaker6), nullptr);
    EXPECT_EQ(TermSecondName(a2), nullptr);

    // The plate id of a component's terminals is one of its panel's plates.
    ASSERT_TRUE(ProjOpen(project().string()));
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, ""));
    const WpPanel* p1 = WpPanelAt(WpPanelListOf(plan), 0);
    EXPECT_EQ(TermPanelOrPlateId(a2), WpPlateId(p1, 1));
    EXPECT_EQ(TermPanelOrPlateId(breaker6), WpPlateId(p1, 0));
    WpDataFree(plan);
}

TEST_F(SampleTest, RelayTerminalsFilterAndSortAsThePlacementCollectsThem) {
    Loaded loaded(TermListKind::RelayTerminals, project().string());
    ASSERT_TRUE(loaded.loaded) << MakerLastError();
    WpData* plan = WpDataInit();
    ASSERT_TRUE(WpDataOpen(plan, project().string()));
    const int frontPlate = WpPlateId(WpPanelAt(WpPanelListOf(plan), 0), 0);
    WpDataFree(plan);

    // Inside-panel terminals of P1's front plate, ordered by order number where the numbers
    // differ and one is not negative, else by terminal number.
    TermItemsFilter(loaded.items, [&](const Term* term) {
        return TermPanelOrPlateId(term) == frontPlate && TermKindCode(term) == kRelayInsidePanel;
    });
    TermItemsSort(loaded.items, [](const Term* a, const Term* b) {
        const int na = TermOrderNo(a);
        const int nb = TermOrderNo(b);
        if (na != nb && (na >= 0 || nb >= 0)) {
            return na < nb ? -1 : 1;
        }
        return NaturalCompare(Text(TermTerminalNo(a)), Text(TermTerminalNo(b)));
    });
    EXPECT_EQ(Keys(loaded.items), (std::vector<std::string>{"XT1:3", "XT1:1", "XT1:2"}));
    const Term* first = TermItemsAt(loaded.items, 0);
    EXPECT_EQ(TermOrderNo(first), -1);
    EXPECT_EQ(Text(TermSecondName(first)), "XT1-3");
    EXPECT_EQ(Text(TermPartCode(first)), "RT-2");
    EXPECT_EQ(Text(TermType(first)), "UT4");
    EXPECT_EQ(Text(TermSpec(first)), "800V 32A");
    EXPECT_EQ(TermItemsAt(loaded.items, 3), nullptr);
    EXPECT_EQ(TermTerminalNo(TermItemsAt(loaded.items, 3)), nullptr);
    EXPECT_EQ(TermWireDirCode(nullptr), u' ');

    // A second view of the same list is not touched by the first one's filter.
    TermItems* all = TermListItems(loaded.list);
    EXPECT_EQ(TermItemsCount(all), m_options.panels * m_options.relayTerminalsPerPanel);
    TermItemsFree(all);
}

TEST(TermList, LoadFailsWhenThePlanHasNoTerminalsOfTheListOrVariant) {
    testsupport::TempDir dir;
    const fs::path project = makertest::MakeProject(dir.path() / "PRJ", R"(
        INSERT INTO terminal (list, revision, owner_id, tag, terminal_no)
            VALUES (3, 1, 1, 'XT1', '2'), (3, 1, 1, 'XT1', '10');
    )");
    {
        // The relay terminals exist only in variant 1: the placement's fallback.
        Loaded current(TermListKind::RelayTerminals, project.string(), kTermVariantCurrent);
        EXPECT_TRUE(current.opened);
        EXPECT_FALSE(current.loaded);
        EXPECT_EQ(current.items, nullptr);
        EXPECT_NE(MakerLastError().find("holds no terminal"), std::string::npos);
        Loaded previous(TermListKind::RelayTerminals, project.string(), kTermVariantPrevious);
        ASSERT_TRUE(previous.loaded);
        EXPECT_EQ(Keys(previous.items), (std::vector<std::string>{"XT1:2", "XT1:10"}));
        // Columns the fixture left out read as missing, their numbers as the defaults.
        const Term* term = TermItemsAt(previous.items, 0);
        EXPECT_EQ(TermPanelNo(term), nullptr);
        EXPECT_EQ(TermOrderNo(term), -1);
        EXPECT_EQ(TermKindCode(term), 0);
    }
    Loaded components(TermListKind::Components, project.string());
    EXPECT_FALSE(components.loaded);

    // Not open, or opened where there is no project.
    TermList* list = TermListInit(TermListKind::Components);
    EXPECT_FALSE(TermListLoad(list, kTermVariantCurrent));
    EXPECT_FALSE(TermListOpen(list, (dir.path() / "nowhere").string()));
    EXPECT_EQ(TermListItems(list), nullptr);
    TermListFree(list);

    // A store that went bad after the list was opened.
    Loaded broken(TermListKind::RelayTerminals, project.string(), kTermVariantPrevious);
    ASSERT_TRUE(broken.loaded);
    testsupport::WriteBytes(project / "ZELKOPRJ.sqlite", "garbage");
    EXPECT_FALSE(TermListLoad(broken.list, kTermVariantPrevious));
    EXPECT_NE(MakerLastError().find("is not a database"), std::string::npos);
}

}  // namespace
