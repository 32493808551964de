#include "printing/ProcessTable.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "XlsxTool.h"
#include "common/text.h"
#include "kablos/support/TestSupport.h"
#include "printing/TablePrint.h"

namespace kablos::printing {
namespace {

using namespace kablos::test;
namespace fs = std::filesystem;

constexpr auto kToday = std::chrono::year{2026} / 3 / 4;
const char* const kColumns = "ABCDEFGHIJ";

const char* const kSetHeader =
    "\"製造番号\"\t\"図番\"\t\"盤Ｎｏ\"\t\"装置ユニット\"\t\"回路区分\"\t\"線種類\"\t\"電線サイズ\""
    "\t\"電線色\"\n";
const char* const kWireHeader =
    "No\t線番\t器具番号(F)\t配置アドレス(F)\t端子No(F)\t圧着(F)\t器具番号(T)\t配置アドレス(T)"
    "\t端子No(T)\t圧着(T)\t端末色\t特殊\t線色\t測長(mm)\n";

// A data set of `count` plain wires numbered from 1, wire mark = prefix + number.
std::string PlainSet(const std::string& drawing, int count, const std::string& prefix) {
    std::string text = std::string(kSetHeader) + "\"M9\"\t\"" + drawing +
                       "\"\t\"P1\"\t\"U1\"\t\"主\"\t\"IV\"\t\"2\"\t\"黒\"\n" + kWireHeader;
    for (int i = 1; i <= count; ++i) {
        std::string n = std::to_string(i);
        text += "\"" + n + "\"\t\"" + prefix + n +
                "\"\t\"CB1\"\t\"A01\"\t\"1\"\t\"R\"\t\"MC1\"\t\"B02\"\t\"2\"\t\"Y\"\t\"白\"\t\"\"\t"
                "\"\"\t\"" +
                std::to_string(100 + i) + "\"\n";
    }
    return text;
}

CastingData Parse(const std::string& text) {
    CastingData data;
    CastingReadResult read = ParseCastingText(text, data);
    EXPECT_TRUE(read.ok) << read.reason << " at line " << read.line;
    return data;
}

CastingData Sample() {
    CastingData data;
    RecordingMessenger messenger;
    EXPECT_TRUE(ReadCastingData(fs::path(KABLOS_SAMPLES_DIR) / "casting.txt", data, messenger));
    return data;
}

// Fills the sample template, saves it and opens the saved workbook again.
class FilledTable {
public:
    explicit FilledTable(const CastingData& data, TableCallbacks callbacks = {}) {
        std::string why;
        std::unique_ptr<Workbook> book = Workbook::Open(SampleTemplate(), &why);
        EXPECT_TRUE(book) << why;
        result = FillProcessTable(*book, data, kToday, callbacks);
        EXPECT_TRUE(book->Save(file(), &why)) << why;
        saved = Workbook::Open(file(), &why);
        EXPECT_TRUE(saved) << why;
    }
    fs::path file() const { return m_dir.path() / "table.xlsx"; }
    int pages() const { return saved->WorksheetCount(); }
    /// A cell of page `page` (from 1).
    std::string Cell(int page, std::string_view reference) const {
        return saved->Text(saved->Worksheets().at(static_cast<std::size_t>(page - 1)),
                           *ParseCellReference(reference));
    }
    /// The ten cells of a row, joined by "|".
    std::string Row(int page, int row) const {
        std::string text;
        for (int c = 0; c < 10; ++c) {
            if (c > 0)
                text += '|';
            text += Cell(page, std::string(1, kColumns[c]) + std::to_string(row));
        }
        return text;
    }

    TableResult result;
    std::unique_ptr<Workbook> saved;

private:
    testsupport::TempDir m_dir;
};

constexpr int kBlock1 = 8;   // first row of the first block in the sample template
constexpr int kBlock2 = 20;  // first row of the second block
const std::string kEmptyRow = "|||||||||";

// Every page of the sample casting data, read back by openpyxl: headers, headings and both
// blocks with the rows that must be empty.
TEST(ProcessTable, SampleDataEveryPage) {
    FilledTable table(Sample());
    ASSERT_EQ(table.result.status, TableResult::Status::Done);
    EXPECT_EQ(table.result.pages, 6);
    XlsxDump dump = DumpWorkbook(table.file());
    ASSERT_EQ(dump.sheets.size(), 6u);

    struct Page {
        std::vector<std::string> header;  // TITELNAME, SNO, BNO, UNITNO, KUBUN, WPI, WSIZE, WCOLOR
        std::vector<std::string> rows;    // first block from row 1; the rest of both blocks empty
    };
    const std::vector<Page> pages = {
        {{"M2301", "D-100", "P1", "U1", "主回路", "IV", "1.25", "黄"},
         {"1|350|A01\nCB1|1|101|B02\nMC1|2|R|R|", "2|350.5|A01\nCB1|3|102|B02\nMC1|4|R|R|",
          "3|1200|B02\nMC1|6|103|C01\nTB1|1|Y|2-4|", "4|800|\n|5|104|C01\nTB1|2|NULL|R|"}},
        {{"M2301", "D-100", "P1", "U1", "制御", "KIV", "2", "赤"},
         {"1|640|C01\nTB1|11|201|D05\nX1|13|1.25-4|Y|", "2|640|C01\nTB1|12|202|D05\nX1|14|R|Y|"}},
        // The twisted-pair wires are held by the set and by its colour subset, which is the
        // set itself here: each is printed twice.
        {{"M2301", "D-101", "P2", "U2", "制御", "KIV", "1.25", "(TW)"},
         {"1|900|E01\nTB2|1|301|F01\nPLC|X0|R|P|", "1|900|E01\nTB2|1|301|F01\nPLC|X0|R|P|",
          "2|900|E01\nTB2|2|302|F01\nPLC|X1|R|P|", "2|900|E01\nTB2|2|302|F01\nPLC|X1|R|P|",
          "3|880|E01\nTB2|3|303|F01\nPLC|X2|R|P|", "4|1500|E01\nTB2|4|304|F02\nAI1|1|R|P|"}},
        {{"M2301", "D-101", "P2", "U2", "制御", "KIV", "1.25", "(SH)"},
         {"4|1500|E01\nTB2|4|304|F02\nAI1|1|R|P|"}},
        {{"M2301", "D-100", "P1", "U1", "渡り", "IV", "1.25", "黄"},
         {"1|ワタリ   |C01\nTB1|1|J1|C01\nTB1|2|M|M|",
          "2|ワタリ   |C01\nTB1|2|J2|C01\nTB1|3|M|M|"}},
        {{"M2301", "D-101", "P2", "U2", "シールド", "KIV", "0.75", "緑"},
         {"1|シールド網|F02\nAI1|E|S1|E01\nTB2|E|R|R|"}},
    };
    const char* headerCells[] = {"B3", "E3", "H3", "B4", "E4", "H4", "B5", "E5"};
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const std::string& sheet = dump.sheets[p];
        int page = static_cast<int>(p) + 1;
        SCOPED_TRACE("page " + std::to_string(page));
        EXPECT_EQ(dump.Value(sheet, "I1"), "P. " + std::to_string(page));
        EXPECT_EQ(dump.Value(sheet, "I2"), "2026-03-04");
        EXPECT_EQ(dump.cells[sheet + "!I2"].flags, "d");
        for (std::size_t h = 0; h < 8; ++h)
            EXPECT_EQ(dump.Value(sheet, headerCells[h]), pages[p].header[h]) << headerCells[h];
        for (int heading : {7, 19}) {
            std::string row = std::to_string(heading);
            EXPECT_EQ(dump.Value(sheet, "C" + row), "From\n配置アドレス\n器具番号");
            EXPECT_EQ(dump.Value(sheet, "F" + row), "To\n配置アドレス\n器具番号");
            EXPECT_EQ(dump.Value(sheet, "H" + row), "From\n端末種別");
            EXPECT_EQ(dump.Value(sheet, "I" + row), "To\n端末種別");
        }
        for (int r = 0; r < 10; ++r) {
            std::string expected = static_cast<std::size_t>(r) < pages[p].rows.size()
                                       ? pages[p].rows[static_cast<std::size_t>(r)]
                                       : kEmptyRow;
            // Both readers see the same cells.
            std::string openpyxlRow;
            for (int c = 0; c < 10; ++c)
                openpyxlRow += (c ? "|" : "") + dump.Value(sheet, std::string(1, kColumns[c]) +
                                                                      std::to_string(kBlock1 + r));
            EXPECT_EQ(openpyxlRow, expected) << "row " << r + 1;
            EXPECT_EQ(table.Row(page, kBlock1 + r), expected) << "row " << r + 1;
            EXPECT_EQ(table.Row(page, kBlock2 + r), kEmptyRow) << "second block row " << r + 1;
        }
    }
    // The kind texts of the special sections shrink to fit without wrapping; lengths wrap.
    EXPECT_EQ(dump.cells[dump.sheets[4] + "!B8"].flags, "s");
    EXPECT_EQ(dump.cells[dump.sheets[5] + "!B8"].flags, "s");
    EXPECT_EQ(dump.cells[dump.sheets[0] + "!B8"].flags, "w");
}

TEST(ProcessTable, LongDataSetsFillBothBlocksThenANewPage) {
    FilledTable table(
        Parse(PlainSet("A", 25, "a") + PlainSet("B", 20, "b") + PlainSet("C", 1, "c")));
    ASSERT_EQ(table.result.status, TableResult::Status::Done);
    // 25 wires: two pages; exactly 20: one page, no empty one after it.
    ASSERT_EQ(table.pages(), 4);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(table.Cell(1, "E" + std::to_string(kBlock1 + r - 1)), "a" + std::to_string(r));
        EXPECT_EQ(table.Cell(1, "E" + std::to_string(kBlock2 + r - 1)),
                  "a" + std::to_string(r + 10));
        EXPECT_EQ(table.Cell(2, "E" + std::to_string(kBlock1 + r - 1)),
                  r <= 5 ? "a" + std::to_string(r + 20) : "");
        EXPECT_EQ(table.Row(2, kBlock2 + r - 1), kEmptyRow);
        EXPECT_EQ(table.Cell(3, "E" + std::to_string(kBlock1 + r - 1)), "b" + std::to_string(r));
        EXPECT_EQ(table.Cell(3, "E" + std::to_string(kBlock2 + r - 1)),
                  "b" + std::to_string(r + 10));
        EXPECT_EQ(table.Row(4, kBlock2 + r - 1), kEmptyRow);
    }
    EXPECT_EQ(table.Row(1, kBlock1 + 9), "10|110|A01\nCB1|1|a10|B02\nMC1|2|R|Y|白");
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(table.Cell(page, "I1"), "P. " + std::to_string(page));
    EXPECT_EQ(table.Cell(2, "E3"), "A");
    EXPECT_EQ(table.Cell(3, "E3"), "B");
    EXPECT_EQ(table.Cell(4, "E8"), "c1");
    EXPECT_EQ(table.Row(4, kBlock1 + 1), kEmptyRow);
}

TEST(ProcessTable, MixedColourDataSetShowsSpecialCodeAndLineColour) {
    // A set without a colour column is mixed-colour ("-"); its coloured wire also makes a
    // twisted-pair subset, which is not mixed-colour.
    std::string text =
        "\"製造番号\"\t\"図番\"\t\"盤Ｎｏ\"\t\"装置ユニット\"\t\"回路区分\"\t\"線種類\"\t\"電線サイ"
        "ズ\"\n"
        "\"M1\"\t\"D1\"\t\"P1\"\t\"U1\"\t\"主\"\t\"IV\"\t\"2\"\n" +
        std::string(kWireHeader) +
        "\"1\"\t\"11\"\t\"CB1\"\t\"A01\"\t\"1\"\t\"R\"\t\"MC1\"\t\"B02\"\t\"2\"\t\"P\"\t\"\"\t\"TW1"
        "\"\t\"白\"\t\"500\"\n"
        "\"2\"\t\"12\"\t\"CB1\"\t\"A01\"\t\"3\"\t\"\"\t\"MC1\"\t\"B02\"\t\"4\"\t\"Y\"\t\"\"\t\"\"\t"
        "\"\"\t\"600\"\n";
    CastingData data = Parse(text);
    ASSERT_EQ(data.sets.size(), 2u);
    ASSERT_EQ(data.sets[0].ColorLabel, "-");
    FilledTable table(data);
    ASSERT_EQ(table.pages(), 2);
    EXPECT_EQ(table.Cell(1, "E5"), "-");
    for (const char* heading : {"H7", "H19"})
        EXPECT_EQ(table.Cell(1, heading), "From\n端末種別\n特殊");
    for (const char* heading : {"I7", "I19"})
        EXPECT_EQ(table.Cell(1, heading), "To\n端末種別\n線色");
    EXPECT_EQ(table.Row(1, 8), "1|500|A01\nCB1|1|11|B02\nMC1|2|R\nTW1|P\n白|");
    EXPECT_EQ(table.Row(1, 9), "2|600|A01\nCB1|3|12|B02\nMC1|4|NULL\n|Y\n|");
    EXPECT_EQ(table.Cell(2, "E5"), "(TW)");
    EXPECT_EQ(table.Cell(2, "H7"), "From\n端末種別");
    EXPECT_EQ(table.Cell(2, "I19"), "To\n端末種別");
    EXPECT_EQ(table.Row(2, 8), "1|500|A01\nCB1|1|11|B02\nMC1|2|R|P|");
}

TEST(ProcessTable, AddressColumnsFollowTheFirstWireRecord) {
    struct Case {
        const char* name;
        const char* first;  // 器具番号(F), 配置アドレス(F), 器具番号(T), 配置アドレス(T)
        const char* heading;  // FROMADR heading; the TOADR heading follows the From end as well
        const char* toHeading;
        const char* fromCell;  // the second wire's From and To cells
        const char* toCell;
    } cases[] = {
        {"both", "\"CB1\"\t\"A01\"\t\"MC1\"\t\"B02\"", "From\n配置アドレス\n器具番号",
         "To\n配置アドレス\n器具番号", "A09\nCB9", "B09\nMC9"},
        {"address only", "\"\"\t\"A01\"\t\"MC1\"\t\"\"", "From\n配置アドレス", "To\n配置アドレス",
         "A09", "MC9"},
        {"device only", "\"CB1\"\t\"\"\t\"\"\t\"B02\"", "From\n器具番号", "To\n器具番号", "CB9",
         "B09"},
        // Neither: the headings keep the template's text and the From column stays empty.
        {"neither", "\"\"\t\"\"\t\"MC1\"\t\"B02\"", "From\n配置アドレス", "To\n配置アドレス", "",
         "B09\nMC9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string fields = c.first;
        std::vector<std::string_view> f = common::Split(fields, '\t');
        std::string text = std::string(kSetHeader) +
                           "\"M1\"\t\"D1\"\t\"P1\"\t\"U1\"\t\"主\"\t\"IV\"\t\"2\"\t\"黒\"\n" +
                           kWireHeader + "\"1\"\t\"11\"\t" + std::string(f[0]) + "\t" +
                           std::string(f[1]) + "\t\"1\"\t\"R\"\t" + std::string(f[2]) + "\t" +
                           std::string(f[3]) +
                           "\t\"2\"\t\"R\"\t\"\"\t\"\"\t\"\"\t\"100\"\n"
                           "\"2\"\t\"12\"\t\"CB9\"\t\"A09\"\t\"1\"\t\"R\"\t\"MC9\"\t\"B09\"\t\"2\""
                           "\t\"R\"\t\"\"\t\"\"\t\"\"\t\"100\"\n";
        FilledTable table(Parse(text));
        ASSERT_EQ(table.pages(), 1);
        for (const char* cell : {"C7", "C19"})
            EXPECT_EQ(table.Cell(1, cell), c.heading);
        for (const char* cell : {"F7", "F19"})
            EXPECT_EQ(table.Cell(1, cell), c.toHeading);
        EXPECT_EQ(table.Cell(1, "C9"), c.fromCell);
        EXPECT_EQ(table.Cell(1, "F9"), c.toCell);
    }
}

TEST(ProcessTable, CancelStopsAtTheNextDataSetOrPage) {
    CastingData data = Parse(PlainSet("A", 25, "a") + PlainSet("B", 2, "b"));
    struct Case {
        int trueFrom;  // the cancel check that first answers yes
        int checks;    // how many checks ran
    } cases[] = {{1, 1}, {2, 2}, {3, 3}};
    // Checks: data set A, A's new page, data set B.
    for (const Case& c : cases) {
        int checks = 0;
        TableCallbacks callbacks;
        callbacks.cancelled = [&] { return ++checks >= c.trueFrom; };
        FilledTable table(data, callbacks);
        EXPECT_EQ(table.result.status, TableResult::Status::Cancelled) << c.trueFrom;
        EXPECT_EQ(checks, c.checks);
        EXPECT_TRUE(table.saved->Worksheet("Sheet1")) << "the template sheet is not deleted";
    }
}

class TablePrintTest : public ::testing::Test {
protected:
    PrintOutcome Print(const fs::path& templatePath, TableCallbacks callbacks = {},
                       OutputKind kind = OutputKind::Workbook) {
        OutputRequest request;
        request.kind = kind;
        request.file = kind == OutputKind::Pdf ? output("out.pdf") : output();
        return PrintProcessTable(templatePath, m_data, request, callbacks, messenger);
    }
    fs::path output(const char* name = "out.xlsx") const { return dir.path() / name; }
    fs::path Variant(const std::string& operation, const std::string& argument) {
        fs::path path = dir.path() / (operation + "-" + argument + ".xlsx");
        RunXlsxTool({"variant", SampleTemplate().string(), path.string(), operation, argument});
        return path;
    }

    testsupport::TempDir dir;
    RecordingMessenger messenger;
    CastingData m_data = Sample();
};

TEST_F(TablePrintTest, DamagedTemplatesNameWhatIsMissingAndLeaveNothing) {
    struct Case {
        const char* operation;
        const char* argument;
        const char* missing;
    } cases[] = {
        {"rename", "Page", "Sheet1"},
        {"drop", "WCOLOR", "WCOLOR"},
        // The second block's last column is first addressed when the rows are cleared.
        {"drop", "CAP2", "CAP2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        fs::path damaged = Variant(c.operation, c.argument);
        std::string before = ReadBytes(damaged);
        messenger.shown.clear();
        PrintOutcome outcome = Print(damaged);
        EXPECT_EQ(outcome.status, PrintOutcome::Status::Failed);
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text,
                  "処理表印刷に失敗しました。(" + std::string(c.missing) + ")");
        EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Warning);
        EXPECT_FALSE(fs::exists(output()));
        EXPECT_EQ(ReadBytes(damaged), before);
    }
}

TEST_F(TablePrintTest, NamesOfTheWorksheetAreFoundAsWorkbookNamesAre) {
    // The same template with its names scoped to Sheet1 fills the same cells.
    ASSERT_EQ(Print(SampleTemplate()).status, PrintOutcome::Status::Done);
    const XlsxDump expected = DumpWorkbook(output());
    fs::remove(output());
    const fs::path local = Variant("local", "all");
    std::string why;
    auto book = Workbook::Open(local, &why);
    ASSERT_TRUE(book) << why;
    const SheetId sheet1 = book->Worksheet("Sheet1").value_or(-1);
    EXPECT_FALSE(book->ResolveName("SNO"));  // no longer a workbook name
    ASSERT_TRUE(book->ResolveName("SNO", sheet1));
    EXPECT_EQ(CellReference(book->ResolveName("SNO", sheet1)->address), "E3");
    PrintOutcome outcome = Print(local);
    ASSERT_EQ(outcome.status, PrintOutcome::Status::Done) << outcome.why;
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(DumpWorkbook(output()).cells, expected.cells);
}

TEST_F(TablePrintTest, TemplateThatIsNotAWorkbookEndsWithoutAMessage) {
    fs::path text = dir.path() / "template.xlsx";
    WriteBytes(text, "not a workbook\r\n");
    EXPECT_EQ(Print(text).status, PrintOutcome::Status::Failed);
    EXPECT_EQ(Print(dir.path() / "missing.xlsx").status, PrintOutcome::Status::Failed);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_EQ(ReadBytes(text), "not a workbook\r\n");
}

TEST_F(TablePrintTest, SavesTheWorkbookAndLeavesTheTemplateAlone) {
    std::string before = ReadBytes(SampleTemplate());
    std::vector<std::string> progress;
    TableCallbacks callbacks;
    callbacks.progress = [&](const std::string& text) { progress.push_back(text); };
    PrintOutcome outcome = Print(SampleTemplate(), callbacks);
    ASSERT_EQ(outcome.status, PrintOutcome::Status::Done) << outcome.why;
    EXPECT_EQ(outcome.pages, 6);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(ReadBytes(SampleTemplate()), before);
    ASSERT_EQ(progress.size(), 7u);
    EXPECT_EQ(progress.front(), "電線処理表データ作成中(1/6)");
    EXPECT_EQ(progress[5], "電線処理表データ作成中(6/6)");
    EXPECT_EQ(progress.back(), "電線処理表データ印刷中");

    // Cancelled: nothing written, nothing said.
    fs::remove(output());
    callbacks.cancelled = [] { return true; };
    EXPECT_EQ(Print(SampleTemplate(), callbacks).status, PrintOutcome::Status::Cancelled);
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_TRUE(messenger.shown.empty());
}

// While it lives, LibreOffice counts as not installed.
class NoOffice {
public:
    NoOffice() {
        if (const char* old = getenv("KABLOS_SOFFICE"))
            m_old = old;
        setenv("KABLOS_SOFFICE", "", 1);
    }
    ~NoOffice() {
        if (m_old)
            setenv("KABLOS_SOFFICE", m_old->c_str(), 1);
        else
            unsetenv("KABLOS_SOFFICE");
    }

private:
    std::optional<std::string> m_old;
};

TEST_F(TablePrintTest, WithoutLibreOfficeSaysWhatCannotBeDone) {
    NoOffice none;
    fs::path xls = dir.path() / "template.xls";
    WriteBytes(xls, ReadBytes(SampleTemplate()));
    EXPECT_EQ(Print(xls).status, PrintOutcome::Status::Failed);
    EXPECT_EQ(Print(SampleTemplate(), {}, OutputKind::Pdf).status, PrintOutcome::Status::Failed);
    ASSERT_EQ(messenger.shown.size(), 2u);
    EXPECT_EQ(messenger.shown[0].text,
              "LibreOfficeがインストールされていないため、.xlsテンプレートを変換できません。(" +
                  xls.string() + ")");
    EXPECT_EQ(messenger.shown[1].text,
              "LibreOfficeがインストールされていないため、PDFを作成できません。");
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "template.xls");
    // The workbook needs no LibreOffice.
    EXPECT_EQ(Print(SampleTemplate()).status, PrintOutcome::Status::Done);
}

TEST_F(TablePrintTest, XlsTemplateIsConvertedFirst) {
    if (FindOffice().empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    fs::path xls = fs::path(KABLOS_SAMPLES_DIR) / "processing-table.xls";
    std::string before = ReadBytes(xls);
    PrintOutcome outcome = Print(xls);
    ASSERT_EQ(outcome.status, PrintOutcome::Status::Done) << outcome.why;
    EXPECT_EQ(outcome.pages, 6);
    EXPECT_EQ(ReadBytes(xls), before);
    // LibreOffice writes its texts as shared strings; the headings it kept are read back.
    XlsxDump dump = DumpWorkbook(output());
    ASSERT_EQ(dump.sheets.size(), 6u);
    EXPECT_EQ(dump.Value(dump.sheets[5], "I1"), "P. 6");
    EXPECT_EQ(dump.Value(dump.sheets[5], "B8"), "シールド網");
    EXPECT_EQ(dump.Value(dump.sheets[5], "A3"), "製造番号");
}

}  // namespace
}  // namespace kablos::printing
