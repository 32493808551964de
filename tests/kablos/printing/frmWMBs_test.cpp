// The print dialog and the progress window, offscreen.

#include "printing/frmWMBs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "kablos/support/TestSupport.h"
#include "printing/frmPrint.h"

namespace kablos::printing {
namespace {

using namespace kablos::test;
namespace fs = std::filesystem;

fs::path SampleTemplate() {
    return fs::path(KABLOS_SAMPLES_DIR) / "processing-table.xlsx";
}

CastingData Sample() {
    CastingData data;
    RecordingMessenger messenger;
    EXPECT_TRUE(ReadCastingData(fs::path(KABLOS_SAMPLES_DIR) / "casting.txt", data, messenger));
    return data;
}

TEST(PrintDialog, RefusesBadEntriesAndStaysOpen) {
    CastingData data = Sample();
    struct Case {
        bool ranges;
        const char* pages;
        const char* copies;
        std::string_view message;
    } cases[] = {
        {true, "", "1", kNoPageRange},
        {true, "x", "1", kBadPageRange},
        {true, "-2", "1", kBadPageRange},
        {false, "x", "", kNoCopies},  // the page text does not count with all pages
        {false, "", "two", kBadCopies},
        {true, "1,3-4", "", kNoCopies},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pages) + " / " + c.copies);
        RecordingMessenger messenger;
        frmWMBs dialog(SampleTemplate(), data, messenger, "office");
        bool chooserAsked = false;
        dialog.setFileChooser([&](OutputKind) {
            chooserAsked = true;
            return fs::path();
        });
        dialog.show();
        dialog.pageOption(c.ranges ? 1 : 0)->click();
        EXPECT_EQ(dialog.pageText()->isEnabled(), c.ranges);
        dialog.pageText()->setText(QString::fromUtf8(c.pages));
        dialog.copysText()->setText(QString::fromUtf8(c.copies));
        dialog.findChild<QPushButton*>("CmdOK")->click();
        ASSERT_EQ(messenger.shown.size(), 1u);
        EXPECT_EQ(messenger.shown[0].text, c.message);
        EXPECT_EQ(messenger.shown[0].icon, MsgIcon::Information);
        EXPECT_EQ(messenger.shown[0].caption, "処理表印刷設定");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(chooserAsked);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
}

TEST(PrintDialog, WithoutAPrinterOnlyFilesAreOffered) {
    CastingData data = Sample();
    RecordingMessenger messenger;
    frmWMBs dialog(SampleTemplate(), data, messenger, "");
    EXPECT_FALSE(dialog.outputOption(OutputKind::Printer)->isEnabled());
    EXPECT_TRUE(dialog.outputOption(OutputKind::Pdf)->isChecked());

    // With no wire loaded, the progress window's caption says so and nothing is asked.
    CastingData empty;
    frmWMBs none(SampleTemplate(), empty, messenger, "office");
    none.findChild<QPushButton*>("CmdOK")->click();
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "キャスティングデータを読み込んでください｡ ");
    EXPECT_EQ(messenger.shown[0].caption, "処理表印刷");
}

TEST(PrintDialog, CancelInTheProgressWindowLeavesNothing) {
    testsupport::TempDir dir;
    CastingData data = Sample();
    RecordingMessenger messenger;
    frmWMBs dialog(SampleTemplate(), data, messenger, "");
    dialog.outputOption(OutputKind::Workbook)->click();
    dialog.setFileChooser([&](OutputKind) { return dir.path() / "table.xlsx"; });
    QString progressSeen;
    // Runs in the first round of events the build lets through.
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<frmPrint*>(widget);
                progress && progress->isVisible()) {
                progressSeen = progress->progress();
                progress->cancelButton()->click();
            }
        }
    });
    dialog.show();
    dialog.findChild<QPushButton*>("CmdOK")->click();
    EXPECT_EQ(progressSeen, QStringLiteral("電線処理表データ作成中(1/6)"));
    EXPECT_EQ(dialog.outcome().status, PrintOutcome::Status::Cancelled);
    EXPECT_TRUE(messenger.shown.empty());
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "");
    EXPECT_FALSE(dialog.isVisible());
}

TEST(PrintDialog, KeepsTheTableAsAPdf) {
    if (FindOffice().empty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    testsupport::TempDir dir;
    CastingData data = Sample();
    RecordingMessenger messenger;
    frmWMBs dialog(SampleTemplate(), data, messenger, "");
    fs::path pdf = dir.path() / "電線処理表.pdf";
    dialog.setFileChooser([&](OutputKind kind) {
        EXPECT_EQ(kind, OutputKind::Pdf);
        return pdf;
    });
    dialog.show();
    dialog.findChild<QPushButton*>("CmdOK")->click();
    EXPECT_EQ(dialog.outcome().status, PrintOutcome::Status::Done) << dialog.outcome().why;
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messenger.shown.empty());
    std::string bytes = ReadBytes(pdf);
    ASSERT_TRUE(bytes.starts_with("%PDF-"));
    // One PDF page per table page.
    std::size_t pages = 0;
    for (std::size_t at = bytes.find("/Type/Page"); at != std::string::npos;
         at = bytes.find("/Type/Page", at + 1))
        pages += bytes.compare(at, 11, "/Type/Pages") != 0 ? 1 : 0;
    EXPECT_EQ(pages, 6u);
    EXPECT_EQ(testsupport::ListFolder(dir.path()), "電線処理表.pdf");
}

}  // namespace
}  // namespace kablos::printing

int main(int argc, char** argv) {
    // Window tests never need a display (test discovery runs this too).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
