#include "printing/Workbook.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "XlsxTool.h"
#include "kablos/support/TestSupport.h"

namespace kablos::printing {
namespace {

using namespace kablos::test;
namespace fs = std::filesystem;

CellAddress At(std::string_view reference) {
    std::optional<CellAddress> address = ParseCellReference(reference);
    EXPECT_TRUE(address) << reference;
    return address.value_or(CellAddress{});
}

std::unique_ptr<Workbook> OpenOrFail(const std::filesystem::path& path) {
    std::string why;
    std::unique_ptr<Workbook> book = Workbook::Open(path, &why);
    EXPECT_TRUE(book) << why;
    return book;
}

TEST(Workbook, CellReferences) {
    struct Case {
        std::string_view text;
        std::optional<CellAddress> address;
    } cases[] = {
        {"A1", CellAddress{1, 1}},
        {"$B$3", CellAddress{3, 2}},
        {"Z9", CellAddress{9, 26}},
        {"AA10", CellAddress{10, 27}},
        {"XFD1048576", CellAddress{1048576, 16384}},
        {"XFE1", std::nullopt},
        {"A0", std::nullopt},
        {"A01", std::nullopt},
        {"1A", std::nullopt},
        {"A1048577", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseCellReference(c.text), c.address) << c.text;
        if (c.address) {
            EXPECT_EQ(CellReference(*c.address),
                      std::string(c.text.starts_with('$') ? "B3" : c.text));
        }
    }
    EXPECT_EQ(SerialDate(std::chrono::year{2026} / 3 / 4), 46085);
    EXPECT_EQ(SerialDate(std::chrono::year{1900} / 3 / 1), 61);  // the spreadsheet's count
}

TEST(Workbook, SampleTemplateIsWhatItsToolMakes) {
    testsupport::TempDir dir;
    fs::path made = dir.path() / "made.xlsx";
    std::string command =
        "/usr/bin/python3 '" + std::string(TEMPLATE_TOOL_PATH) + "' '" + made.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(PackageParts(made), PackageParts(SampleTemplate()))
        << "samples/processing-table.xlsx is out of date: run tools/xlsx-template/make_template.py";
}

TEST(Workbook, KeepsEveryPartItDoesNotChange) {
    testsupport::TempDir dir;
    std::string original = ReadBytes(SampleTemplate());
    auto book = OpenOrFail(SampleTemplate());
    ASSERT_TRUE(book);
    SheetId sheet = book->Worksheet("sheet1").value();  // names compare without case
    ASSERT_TRUE(book->SetText(sheet, At("B3"), "M-1"));
    ASSERT_TRUE(book->Save(dir.path() / "out.xlsx", nullptr));
    EXPECT_EQ(ReadBytes(SampleTemplate()), original);

    std::map<std::string, std::string> before = PackageParts(SampleTemplate());
    std::map<std::string, std::string> after = PackageParts(dir.path() / "out.xlsx");
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, hash] : before) {
        if (name == "xl/worksheets/sheet1.xml")
            EXPECT_NE(after[name], hash);
        else
            EXPECT_EQ(after[name], hash) << name;
    }
}

TEST(Workbook, ReadsSharedStringsAndWritesBesideThem) {
    testsupport::TempDir dir;
    RunXlsxTool({"shared", (dir.path() / "shared.xlsx").string()});
    auto book = OpenOrFail(dir.path() / "shared.xlsx");
    ASSERT_TRUE(book);
    std::optional<NamedCell> head = book->ResolveName("head");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->address, At("B2"));
    EXPECT_EQ(book->Text(head->sheet, At("B2")), "From\n配置アドレス");
    EXPECT_EQ(book->Text(head->sheet, At("D2")), "電線処理表");  // runs joined, no phonetic guide
    EXPECT_EQ(book->Text(head->sheet, At("A5")), "42");

    // New cells go in row and column order between the existing ones; formats are added.
    ASSERT_TRUE(book->SetText(head->sheet, At("C2"), " two\nlines "));
    ASSERT_TRUE(book->SetText(head->sheet, At("A2"), "first"));
    ASSERT_TRUE(book->SetText(head->sheet, At("E3"), std::string("bell\x07")));
    ASSERT_TRUE(book->SetDate(head->sheet, At("A4"), std::chrono::year{2026} / 3 / 4));
    ASSERT_TRUE(book->SetText(head->sheet, At("A5"), ""));
    ASSERT_TRUE(book->SetWrapText(head->sheet, At("D2"), false));
    ASSERT_TRUE(book->SetShrinkToFit(head->sheet, At("D2"), true));
    ASSERT_TRUE(book->Save(dir.path() / "out.xlsx", nullptr));

    XlsxDump dump = DumpWorkbook(dir.path() / "out.xlsx");
    EXPECT_EQ(dump.Value("Sheet1", "B2"), "From\n配置アドレス");
    EXPECT_EQ(dump.Value("Sheet1", "C2"), " two\nlines ");
    EXPECT_EQ(dump.Value("Sheet1", "A2"), "first");
    EXPECT_EQ(dump.Value("Sheet1", "A4"), "2026-03-04");
    EXPECT_EQ(dump.cells["Sheet1!A4"].flags, "d");
    EXPECT_EQ(dump.Value("Sheet1", "A5"), "");
    EXPECT_EQ(dump.cells["Sheet1!D2"].flags, "s");
    auto reread = OpenOrFail(dir.path() / "out.xlsx");
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread->Text(0, At("E3")), "bell\x07");
    EXPECT_EQ(reread->Text(0, At("D2")), "電線処理表");
}

TEST(Workbook, CopiesAndDeletesWorksheets) {
    testsupport::TempDir dir;
    auto book = OpenOrFail(SampleTemplate());
    ASSERT_TRUE(book);
    SheetId sheet = *book->Worksheet("Sheet1");
    ASSERT_TRUE(book->SetText(sheet, At("B3"), "first"));
    std::optional<SheetId> one = book->CopySheetAfter(sheet, sheet);
    ASSERT_TRUE(book->SetText(sheet, At("B3"), "second"));
    std::optional<SheetId> two = book->CopySheetAfter(sheet, *one);
    ASSERT_TRUE(one && two);
    // A copy right after the source moves the sheets behind it along.
    std::optional<SheetId> front = book->CopySheetAfter(*two, sheet);
    ASSERT_TRUE(front);
    EXPECT_EQ(book->SheetName(*front), "Sheet1 (4)");
    EXPECT_EQ(book->WorksheetCount(), 4);
    ASSERT_TRUE(book->DeleteSheet(sheet));
    EXPECT_FALSE(book->Worksheet("Sheet1"));
    EXPECT_FALSE(book->ResolveName("PRINTPAGE"));
    ASSERT_TRUE(book->Save(dir.path() / "out.xlsx", nullptr));

    XlsxDump dump = DumpWorkbook(dir.path() / "out.xlsx");
    ASSERT_EQ(dump.sheets, (std::vector<std::string>{"Sheet1 (4)", "Sheet1 (2)", "Sheet1 (3)"}));
    EXPECT_EQ(dump.Value("Sheet1 (2)", "B3"), "first");
    EXPECT_EQ(dump.Value("Sheet1 (3)", "B3"), "second");
    EXPECT_EQ(dump.Value("Sheet1 (4)", "B3"), "second");
    for (const std::string& name : dump.sheets)
        EXPECT_EQ(dump.printAreas[name], "['$A$1:$J$29']") << name;
    EXPECT_EQ(dump.names["PRINTPAGE"], "#REF!$I$1");

    // The last worksheet stays.
    auto single = OpenOrFail(SampleTemplate());
    EXPECT_FALSE(single->DeleteSheet(*single->Worksheet("Sheet1")));
}

TEST(Workbook, RefusesWhatIsNotAWorkbook) {
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text", "No\tdata\r\n"},
        {"empty", ""},
        {"truncated", ReadBytes(SampleTemplate()).substr(0, 2000)},
    };
    for (const Case& c : cases) {
        WriteBytes(dir.path() / c.name, c.bytes);
        std::string why;
        EXPECT_FALSE(Workbook::Open(dir.path() / c.name, &why)) << c.name;
        EXPECT_NE(why.find("not a workbook"), std::string::npos) << c.name << ": " << why;
    }
    std::string why;
    EXPECT_FALSE(Workbook::Open(dir.path() / "missing.xlsx", &why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace kablos::printing
