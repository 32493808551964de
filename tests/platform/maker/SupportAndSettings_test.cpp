#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "MakerFixture.h"
#include "services/maker.h"
#include "services/settings.h"
#include "services/supportfiles.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

TEST_F(SampleTest, SupportDrawingPathsComeFromTheInstallation) {
    struct {
        const char* key;
        const char* file;
    } const cases[] = {
        {"WAKUBASE", "WAKUBASE.dxf"},
        {"CMARK_DUCT", "CMARK_DUCT.dxf"},
        {"WireDirection", "WIREDIRECTION.dxf"},
        {"TubeDirection", "TUBEDIRECTION.dxf"},
        {"WireDirectionN", "WIREDIRECTIONN.dxf"},
        {"tubedirectionn", "TUBEDIRECTIONN.dxf"},
    };
    for (const auto& c : cases) {
        std::string path;
        EXPECT_EQ(MarkFilePath(c.key, path), 1) << c.key;
        EXPECT_EQ(path, (install() / "SUPPORT" / c.file).string());
    }
    std::string path = "kept";
    EXPECT_EQ(MarkFilePath("NOSUCHKEY", path), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_NE(MakerLastError().find("unknown support drawing key 'NOSUCHKEY'"), std::string::npos);
    // A path that does not fit the caller's buffer is refused, not cut.
    const std::size_t length = (install() / "SUPPORT" / "WAKUBASE.dxf").string().size();
    EXPECT_EQ(MarkFilePath("WAKUBASE", path, length), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_EQ(MarkFilePath("WAKUBASE", path, length + 1), 1);
    // A support drawing that is not there is not answered: the caller reports it by its key.
    fs::remove(install() / "SUPPORT" / "CMARK_DUCT.dxf");
    path = "kept";
    EXPECT_EQ(MarkFilePath("CMARK_DUCT", path), 0);
    EXPECT_EQ(path, "kept");
    EXPECT_NE(MakerLastError().find("the support drawing of 'CMARK_DUCT' does not exist"),
              std::string::npos);
}

TEST(MakerInstallFolder, ComesFromTheSettingOrTheEnvironment) {
    testsupport::TempDir dir;
    EXPECT_FALSE(MakerSetInstallFolder(dir.path() / "missing"));
    ASSERT_TRUE(MakerSetInstallFolder(dir.path()));
    EXPECT_EQ(MakerInstallFolder(), dir.path());
}

/// Points the settings store at a file of the test.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("ZELKO_SETTINGS", file().c_str(), 1); }
    void TearDown() override { ::unsetenv("ZELKO_SETTINGS"); }
    fs::path file() const { return m_dir.path() / "cfg" / "ZELKOCLD.sqlite"; }
    testsupport::TempDir m_dir;
};

TEST_F(SettingsTest, RemembersIntegersAndTextsPerSection) {
    SettingsStore* store = SettingsInit();
    int value = 7;
    EXPECT_FALSE(SettingsReadInt(store, "LAST_IDX", value));  // no section open yet
    ASSERT_TRUE(SettingsOpenSection(store, "DUCT_SHAPE"));
    EXPECT_FALSE(SettingsReadInt(store, "LAST_IDX", value));
    EXPECT_EQ(value, 7);  // the caller's default stands
    ASSERT_TRUE(SettingsWriteInt(store, "LAST_IDX", 2));
    ASSERT_TRUE(SettingsWriteInt(store, "LAST_IDX", 3));
    ASSERT_TRUE(SettingsWriteInt(store, "ADJUST_TYPE", -1));
    ASSERT_TRUE(SettingsOpenSection(store, "ZelkoWp2SelectTarget3D"));
    ASSERT_TRUE(SettingsWriteInt(store, "LAST_IDX", 9));
    ASSERT_TRUE(SettingsWriteText(store, "Col1Width", "3.75000"));
    SettingsFree(store);

    // A new store object (as the next command makes) finds the values again.
    store = SettingsInit();
    ASSERT_TRUE(SettingsOpenSection(store, "DUCT_SHAPE"));
    ASSERT_TRUE(SettingsReadInt(store, "LAST_IDX", value));
    EXPECT_EQ(value, 3);
    ASSERT_TRUE(SettingsReadInt(store, "ADJUST_TYPE", value));
    EXPECT_EQ(value, -1);
    std::string text;
    EXPECT_FALSE(SettingsReadText(store, "Col1Width", text));  // another section's value
    ASSERT_TRUE(SettingsOpenSection(store, "ZelkoWp2SelectTarget3D"));
    ASSERT_TRUE(SettingsReadInt(store, "LAST_IDX", value));
    EXPECT_EQ(value, 9);
    ASSERT_TRUE(SettingsReadText(store, "Col1Width", text));
    EXPECT_EQ(text, "3.75000");
    ASSERT_TRUE(SettingsReadText(store, "LAST_IDX", text));
    EXPECT_EQ(text, "9");
    // A text that is no integer does not read as one.
    ASSERT_TRUE(SettingsWriteText(store, "EXPLODE", "yes"));
    value = 5;
    EXPECT_FALSE(SettingsReadInt(store, "EXPLODE", value));
    EXPECT_EQ(value, 5);
    SettingsFree(store);
}

TEST_F(SettingsTest, AStoreThatCannotBeOpenedRefusesTheSection) {
    fs::create_directories(file());  // a folder where the file should be
    SettingsStore* store = SettingsInit();
    EXPECT_FALSE(SettingsOpenSection(store, "DUCT_SHAPE"));
    EXPECT_NE(MakerLastError().find("ZELKOCLD"), std::string::npos);
    int value = 1;
    EXPECT_FALSE(SettingsReadInt(store, "LAST_IDX", value));
    EXPECT_FALSE(SettingsWriteInt(store, "LAST_IDX", 2));
    SettingsFree(store);
}

}  // namespace
