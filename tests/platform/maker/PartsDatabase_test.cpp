#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MakerFixture.h"
#include "maker/schema.h"
#include "services/bom.h"
#include "services/maker.h"
#include "services/wim.h"

namespace {

namespace fs = std::filesystem;
using makertest::SampleTest;
using namespace zelko;

/// The values of column `name` of every row of the query.
std::vector<std::string> Column(BomDb* db, const BomTable* table, std::string_view field,
                                std::string_view value, std::string_view name) {
    std::vector<std::string> values;
    BomRows* rows = BomQuery(db, table, field, value);
    EXPECT_NE(rows, nullptr) << MakerLastError();
    while (BomRowsNext(rows)) {
        std::string text;
        EXPECT_TRUE(BomRowsText(rows, name, text));
        values.push_back(text);
    }
    BomRowsFree(rows);
    return values;
}

/// Every row of a wiring-database query, field 0 as the callers read it.
std::vector<std::string> Wim(WimDb* db, std::string_view query,
                             std::initializer_list<std::string_view> values) {
    std::vector<std::string> texts;
    WimRecords* records = WimExecute(db, query, values);
    if (records == nullptr) {
        texts.push_back("<failed>");
        return texts;
    }
    for (; !WimEof(records); WimMoveNext(records)) {
        texts.push_back(WimVariantText(WimField(records, 0)));
    }
    WimRecordsFree(records);
    return texts;
}

TEST_F(SampleTest, DefaultPartsDatabaseGivesSymbolsAndTerminalKinds) {
    BomDb* db = BomOpenDefault();
    ASSERT_NE(db, nullptr) << MakerLastError();
    const BomTable* parts = BomFindTable(db, BomRole::Parts);
    const BomTable* terminals = BomFindTable(db, BomRole::Terminals);
    ASSERT_NE(parts, nullptr);
    ASSERT_NE(terminals, nullptr);

    // Columns by name, without regard to case; the field name as the table spells it.
    const BomColumn* code = BomFindColumn(parts, "CODE");
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(BomFieldName(code), "code");
    EXPECT_EQ(BomFieldName(BomFindColumn(parts, "bom3dsym")), "BOM3DSYM");
    EXPECT_EQ(BomFindColumn(parts, "bompinval"), nullptr);

    EXPECT_EQ(Column(db, parts, BomFieldName(code), "TB-10", "bombsym"),
              std::vector<std::string>{"'TB-10.DWG'"});
    EXPECT_EQ(Column(db, parts, "code", "tb-10", "BOM3DSYM"),
              std::vector<std::string>{"TB10_3D"});  // part codes ignore case
    EXPECT_TRUE(Column(db, parts, "code", "NO-SUCH-PART", "bombsym").empty());
    EXPECT_EQ(Column(db, terminals, "code", "MC-9", "bompinval"),
              (std::vector<std::string>{"A1", "A2", "1", "2", "13", "14"}));
    EXPECT_EQ(Column(db, terminals, "code", "MC-9", "bomkind6"),
              (std::vector<std::string>{"COIL", "COIL", "CONV", "CONV", "CONV", "CONV"}));

    // A field that is no column of the table, and reading before the first step.
    EXPECT_EQ(BomQuery(db, parts, "nosuchfield", "x"), nullptr);
    EXPECT_NE(MakerLastError().find("no field 'nosuchfield'"), std::string::npos);
    BomRows* rows = BomQuery(db, parts, "code", "TB-10");
    std::string text;
    EXPECT_FALSE(BomRowsText(rows, "code", text));
    ASSERT_TRUE(BomRowsNext(rows));
    EXPECT_FALSE(BomRowsText(rows, "nosuchcolumn", text));
    EXPECT_FALSE(BomRowsNext(rows));
    BomRowsFree(rows);
    BomClose(db);
}

TEST(BomDb, QuotesInValuesAreDataNeverSql) {
    testsupport::TempDir dir;
    const fs::path file = dir.path() / "PARTS.mdb";
    makertest::RunSql(file, PartsDatabaseSchema());
    makertest::RunSql(file, R"(
        INSERT INTO bom (code, bombsym) VALUES ('O''RING-1', 'ORING'), ('TB-10', 'TB');
        INSERT INTO pin (code, bompinval, bompinno) VALUES ('O''RING-1', 'A''1', 1),
            ('O''RING-1', 'B', 2), ('TB-10', '1', 1);
    )");
    BomDb* db = BomOpenFile(file);
    ASSERT_NE(db, nullptr) << MakerLastError();
    const BomTable* parts = BomFindTable(db, BomRole::Parts);
    EXPECT_EQ(Column(db, parts, "code", "O'RING-1", "bombsym"), std::vector<std::string>{"ORING"});
    // Pasted into "%s = '%s'" these would match every part, or break the query.
    EXPECT_TRUE(Column(db, parts, "code", "x' OR '1'='1", "bombsym").empty());
    EXPECT_TRUE(Column(db, parts, "code", "'", "bombsym").empty());
    BomClose(db);

    WimDb* wim = WimOpen(file, 0);
    ASSERT_NE(wim, nullptr);
    EXPECT_EQ(Wim(wim, kWimPinValuesOfPart, {"O'RING-1"}), (std::vector<std::string>{"A'1", "B"}));
    EXPECT_EQ(Wim(wim, kWimPinNoOfTerminal, {"O'RING-1", "A'1"}), std::vector<std::string>{"1"});
    EXPECT_TRUE(Wim(wim, kWimPinRowsOfPart, {"TB-10' OR ''='"}).empty());
    EXPECT_EQ(Wim(wim, kWimPinRowsOfPart, {}), std::vector<std::string>{"<failed>"});
    EXPECT_NE(MakerLastError().find("takes 1 values, 0 given"), std::string::npos);
    // The file is opened for reading: a query cannot change it.
    EXPECT_EQ(Wim(wim, "delete from pin", {}), std::vector<std::string>{"<failed>"});
    WimClose(wim);
}

TEST(BomDb, FindsTablesByTheirRoles) {
    testsupport::TempDir dir;
    const fs::path file = dir.path() / "own.sqlite";
    makertest::RunSql(file, R"(
        CREATE TABLE bom_role (role TEXT PRIMARY KEY, table_name TEXT NOT NULL);
        INSERT INTO bom_role VALUES ('parts', 'Parts List'), ('terminals', 'Terminals');
        CREATE TABLE "Parts List" (CODE TEXT, BOMBSYM TEXT);
        CREATE TABLE Terminals (Code TEXT, BomPinVal TEXT, BomKind6 TEXT);
        INSERT INTO "Parts List" VALUES ('K1', 'K1.dwg');
        INSERT INTO Terminals VALUES ('K1', '11', 'CONV');
    )");
    BomDb* db = BomOpenFile(file);
    ASSERT_NE(db, nullptr);
    const BomTable* parts = BomFindTable(db, BomRole::Parts);
    const BomTable* terminals = BomFindTable(db, BomRole::Terminals);
    ASSERT_NE(parts, nullptr);
    ASSERT_NE(terminals, nullptr);
    EXPECT_EQ(BomFindTable(db, BomRole::Parts), parts);  // looked up once
    const std::string field = BomFieldName(BomFindColumn(parts, "code"));
    EXPECT_EQ(field, "CODE");
    EXPECT_EQ(Column(db, parts, field, "K1", "bombsym"), std::vector<std::string>{"K1.dwg"});
    EXPECT_EQ(Column(db, terminals, "code", "K1", "bomkind6"), std::vector<std::string>{"CONV"});
    BomClose(db);

    // Without the role table the default names hold; a database without them has no table.
    const fs::path empty = dir.path() / "empty.sqlite";
    makertest::RunSql(empty, "CREATE TABLE other (x)");
    db = BomOpenFile(empty);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(BomFindTable(db, BomRole::Terminals), nullptr);
    EXPECT_NE(MakerLastError().find("has no table 'pin'"), std::string::npos);
    BomClose(db);
}

TEST(BomDb, MissingOrCorruptFilesGiveNoDatabaseAndAClearReason) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir.path() / "text.mdb", "Standard Jet DB\r\n");
    testsupport::WriteBytes(dir.path() / "zero.mdb", std::string(8192, '\0'));
    fs::create_directories(dir.path() / "folder.mdb");
    struct {
        const char* name;
        const char* reason;
    } const cases[] = {
        {"missing.mdb", "does not exist"},
        {"text.mdb", "is not a database"},
        {"folder.mdb", "does not exist"},
        {"zero.mdb", "is not a database"},
    };
    for (const auto& c : cases) {
        const fs::path file = dir.path() / c.name;
        EXPECT_EQ(BomOpenFile(file), nullptr) << c.name;
        EXPECT_NE(MakerLastError().find("ZELKOBOM: '" + file.string() + "' " + c.reason),
                  std::string::npos)
            << MakerLastError();
        EXPECT_EQ(WimOpen(file, 0), nullptr) << c.name;
        EXPECT_NE(MakerLastError().find("ZELKOWMM: '" + file.string() + "' " + c.reason),
                  std::string::npos)
            << MakerLastError();
    }
    EXPECT_EQ(WimOpen(dir.path() / "none.mdb", 1), nullptr);  // only mode 0 exists

    // An installation without its default parts database.
    ASSERT_TRUE(MakerSetInstallFolder(dir.path()));
    EXPECT_EQ(BomOpenDefault(), nullptr);
    EXPECT_NE(MakerLastError().find((dir.path() / "BOM" / "ZELKOBOM.sqlite").string() +
                                    "' does not exist"),
              std::string::npos)
        << MakerLastError();
}

TEST_F(SampleTest, WiringDatabaseAnswersTheThreePinQuestions) {
    const fs::path layout = project() / "DWG" / "LAYOUT";
    EXPECT_EQ(WimFileOfFolder(layout), layout / "LAYOUT.mdb");
    EXPECT_EQ(WimFileOfFolder(layout.string() + "/"), layout / "LAYOUT.mdb");

    WimDb* db = WimOpen(WimFileOfFolder(layout), 0);
    ASSERT_NE(db, nullptr) << MakerLastError();
    EXPECT_EQ(Wim(db, kWimPinValuesOfPart, {"MC-9"}),
              (std::vector<std::string>{"A1", "A2", "1", "2", "13", "14"}));
    EXPECT_EQ(Wim(db, kWimPinRowsOfPart, {"RT-2"}).size(), 2u);
    EXPECT_EQ(Wim(db, kWimPinRowsOfPart, {"RT-1"}).size(), 1u);
    EXPECT_TRUE(Wim(db, kWimPinRowsOfPart, {"NO-SUCH"}).empty());
    EXPECT_EQ(Wim(db, kWimPinNoOfTerminal, {"MC-9", "13"}), std::vector<std::string>{"5"});
    EXPECT_EQ(Wim(db, kWimPinNoOfTerminal, {"mc-9", "a2"}), std::vector<std::string>{"2"});
    EXPECT_TRUE(Wim(db, kWimPinNoOfTerminal, {"MC-9", "99"}).empty());
    // A query on a table the file lacks fails; callers count that as no pin rows.
    EXPECT_EQ(Wim(db, "select x from nosuchtable", {}), std::vector<std::string>{"<failed>"});

    // Field access past the row and past the end is empty, not a crash.
    WimRecords* records = WimExecute(db, kWimPinNoOfTerminal, {"MC-9", "13"});
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(std::get<std::int64_t>(WimField(records, 0)), 5);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(WimField(records, 1)));
    WimMoveNext(records);
    EXPECT_TRUE(WimEof(records));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(WimField(records, 0)));
    WimMoveNext(records);
    EXPECT_TRUE(WimEof(records));
    WimRecordsFree(records);
    WimClose(db);
}

TEST(WimVariantText, ConvertsAndTrimsAsTheCallersRead) {
    EXPECT_EQ(WimVariantText(WimVariant{}), "");
    EXPECT_EQ(WimVariantText(WimVariant{std::int64_t{-12}}), "-12");
    EXPECT_EQ(WimVariantText(WimVariant{2.5}), "2.5");
    EXPECT_EQ(WimVariantText(WimVariant{std::string(" \tA1 ")}), "A1");
}

}  // namespace
