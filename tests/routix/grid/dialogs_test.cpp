// The small dialogs and what they stand on: the dialog templates beside the string tables, the
// host's per-user dialog data, the target selection with its settings and the version gate,
// and the surplus-length dialog's input rule.

#include "messages/dialogs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ListhostSupport.h"
#include "drawings/SelectTargetDlg.h"
#include "frame/EntryPoints.h"
#include "frame/Resources.h"
#include "grid/YocyouDlg.h"
#include "platform/host/HostSession.h"
#include "services/project.h"
#include "support/FileSupport.h"
#include "ui/DialogData.h"

namespace {

namespace fs = std::filesystem;
using hosttest::HostSession;
using messages::DialogTable;
using messages::Language;
using routix::CSelectTargetDlg;
using routix::CYocyouDlg;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

// The per-user stores of a test: dialog data and settings in a temporary folder.
class Stores {
public:
    Stores() {
        setenv("CADHOST_DIALOG_DATA", (m_dir.path() / "DialogData.ini").c_str(), 1);
        setenv("ZELKO_SETTINGS", (m_dir.path() / "ZELKOCLD.sqlite").c_str(), 1);
    }
    ~Stores() {
        unsetenv("CADHOST_DIALOG_DATA");
        unsetenv("ZELKO_SETTINGS");
    }
    const fs::path& dir() const { return m_dir.path(); }

private:
    TempDir m_dir;
};

DialogTable LoadTemplates(Language language) {
    std::string error;
    auto table = DialogTable::Load(ROUTIX_RESOURCES_DIR "/routix", "ROUTIX", language, &error);
    EXPECT_TRUE(table) << error;
    return table ? *table : DialogTable();
}

// --- templates ---------------------------------------------------------------------------------

TEST(DialogTemplates, BothLanguagesHoldTheSameDialogsAndControls) {
    const DialogTable english = LoadTemplates(Language::English);
    const DialogTable japanese = LoadTemplates(Language::Japanese);
    ASSERT_EQ(english.Entries().size(), japanese.Entries().size());
    EXPECT_GE(english.Entries().size(), 2u);
    for (const auto& [id, dialog] : english.Entries()) {
        const messages::DialogTemplate* other = japanese.Find(id);
        ASSERT_NE(other, nullptr) << id;
        EXPECT_FALSE(dialog.title.empty());
        EXPECT_FALSE(other->title.empty());
        ASSERT_EQ(dialog.controls.size(), other->controls.size()) << id;
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            EXPECT_EQ(dialog.controls[i].id, other->controls[i].id) << id;
            EXPECT_EQ(dialog.controls[i].kind, other->controls[i].kind) << id;
            EXPECT_EQ(dialog.controls[i].visible, other->controls[i].visible) << id;
            EXPECT_EQ(dialog.controls[i].group, other->controls[i].group) << id;
            EXPECT_TRUE(ui::ControlKindFromName(dialog.controls[i].kind))
                << dialog.controls[i].kind;
        }
    }
    EXPECT_EQ(english.Find(208)->title, "Specify Surplus Length");
    EXPECT_EQ(japanese.Find(208)->title, "余長入力");
    EXPECT_EQ(japanese.Find(208)->controls[0].text, "余長(mm)");
    EXPECT_EQ(japanese.Find(245)->title, "処理対象を選択");
    EXPECT_EQ(english.Find(245)->title, "Select");
    // The relay-terminal placement and the duct shape: Japanese captions of their own.
    struct Caption {
        int dialog;
        std::size_t control;
        const char* english;
        const char* japanese;
    };
    for (const Caption& c :
         {Caption{216, 0, "Inside Panel", "盤内"}, Caption{216, 1, "On Door", "扉"},
          Caption{216, 2, "Between Panels", "盤間"}, Caption{216, 3, "All Terminals", "すべて"},
          Caption{216, 4, "Place", "配置"}, Caption{250, 1, "Draw", "作図"},
          Caption{250, 2, "Cancel", "キャンセル"}}) {
        ASSERT_NE(english.Find(c.dialog), nullptr) << c.dialog;
        ASSERT_GT(english.Find(c.dialog)->controls.size(), c.control) << c.dialog;
        EXPECT_EQ(english.Find(c.dialog)->controls[c.control].text, c.english) << c.dialog;
        EXPECT_EQ(japanese.Find(c.dialog)->controls[c.control].text, c.japanese) << c.dialog;
    }
    EXPECT_EQ(japanese.Find(216)->title, "中継端子台配置");
    EXPECT_EQ(japanese.Find(250)->title, "ダクト形状作図");
}

TEST(DialogTemplates, MalformedTemplatesNameTheLine) {
    struct Case {
        const char* text;
        const char* error;
    } const cases[] = {
        {"DIALOG\t1\tA\nbutton\t1\tOK\n", "t.txt:2: the dialog 1 has no END"},
        {"button\t1\tOK\n", "t.txt:1: a control outside a dialog: \"button\t1\tOK\""},
        {"DIALOG\tx\tA\n", "t.txt:1: expected DIALOG, a tab, the dialog id, a tab and the title"},
        {"DIALOG\t1\tA\nslider\t3\t\nEND\n", "t.txt:2: unknown control kind \"slider\""},
        {"DIALOG\t1\tA\nedit\t\t\nEND\n", "t.txt:2: the control id \"\" is not a number"},
        {"DIALOG\t1\tA\nedit\t3\t\nedit\t3\t\nEND\n",
         "t.txt:3: the control 3 of dialog 1 is given twice"},
        {"DIALOG\t1\tA\nedit\t3\t\tbig\nEND\n", "t.txt:2: unknown option \"big\" of control 3"},
        {"DIALOG\t1\tA\nstatic\t\tC:\\zelk\nEND\n", "t.txt:2: unknown escape \"\\z\""},
        {"DIALOG\t1\tA\nEND\nDIALOG\t1\tB\nEND\n", "t.txt:3: the dialog 1 is given twice"},
        {"END\n", "t.txt:1: END without its DIALOG line"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(DialogTable::Parse(c.text, "t.txt", &error)) << c.text;
        EXPECT_TRUE(error.starts_with(c.error)) << error;
    }
    // Options and statics without an id.
    std::string error;
    const auto table = DialogTable::Parse(
        "DIALOG\t7\tT\\tab\nstatic\t\tone\nstatic\t\ttwo\ngrid\t9\t\tsize=300x120,disabled\n"
        "radio\t4\tA\tgroup=2,hidden\nEND\n",
        "t.txt", &error);
    ASSERT_TRUE(table) << error;
    const auto& controls = table->Find(7)->controls;
    EXPECT_EQ(table->Find(7)->title, "T\tab");
    EXPECT_EQ(controls[0].id, -1);
    EXPECT_EQ(controls[1].id, -2);
    EXPECT_EQ(std::pair(controls[2].width, controls[2].height), std::pair(300, 120));
    EXPECT_FALSE(controls[2].enabled);
    EXPECT_EQ(controls[3].group, 2);
    EXPECT_FALSE(controls[3].visible);
}

// --- dialog data -------------------------------------------------------------------------------

TEST(DialogData, KeptPerDialogAndNeverOverwrittenWhenDamaged) {
    Stores stores;
    const fs::path file = stores.dir() / "DialogData.ini";
    EXPECT_EQ(ui::DialogDataLocation(), file);
    std::string value = "kept";
    std::string error;
    EXPECT_FALSE(ui::GetDialogData("A::B", "Size", value, &error));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(error, "");
    EXPECT_TRUE(ui::SetDialogData("A::B", "Size", "10,20\nback\\slash", &error)) << error;
    EXPECT_TRUE(ui::SetDialogData("C", "Size", "3", &error)) << error;
    EXPECT_EQ(ReadBytes(file), "[A::B]\nSize=10,20\\nback\\\\slash\n[C]\nSize=3\n");
    EXPECT_TRUE(ui::GetDialogData("A::B", "Size", value));
    EXPECT_EQ(value, "10,20\nback\\slash");
    EXPECT_FALSE(ui::SetDialogData("A", "x=y", "1", &error));
    // A damaged store is said and left as it is.
    WriteBytes(file, "[A]\nno value line\n");
    EXPECT_FALSE(ui::SetDialogData("A", "Size", "1", &error));
    EXPECT_EQ(error, file.string() + ":2: the dialog data is damaged: \"no value line\"");
    EXPECT_EQ(ReadBytes(file), "[A]\nno value line\n");
    // One that cannot be read or written (a folder in its place).
    fs::remove(file);
    fs::create_directories(file);
    EXPECT_FALSE(ui::GetDialogData("A", "Size", value, &error));
    EXPECT_TRUE(error.starts_with(file.string() + ": the dialog data cannot be read")) << error;
    EXPECT_FALSE(ui::SetDialogData("A", "Size", "1", &error));
}

// --- the surplus-length dialog -----------------------------------------------------------------

TEST(YocyouDlg, DigitsWithAtMostOneMinusSign) {
    for (const char* valid : {"", "12", "-12", "12-", "1-2", "-", "007"})
        EXPECT_TRUE(CYocyouDlg::IsValidValue(valid)) << valid;
    for (const char* invalid : {"12a", "--1", "-1-", "1.5", " 1", "１"})
        EXPECT_FALSE(CYocyouDlg::IsValidValue(invalid)) << invalid;
}

TEST(YocyouDlg, TypingALetterBeepsAndLeavesTheLastValidText) {
    Stores stores;
    ASSERT_TRUE(ui::SetDialogData(CYocyouDlg::kDialogName, CYocyouDlg::kDefaultValue, "30"));
    HostSession session({"type 205 12a", "OK"});
    CYocyouDlg dialog;
    dialog.m_strTitle = "Specify Surplus Length";
    dialog.m_strValue = "30";
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    EXPECT_EQ(dialog.m_strValue, "12");
    const std::string console = session.TakeConsole();
    EXPECT_NE(console.find("*** dialog 208 \"Specify Surplus Length\" ***\n"
                           "[-1] static \"Surplus Length (mm)\"\n[205] combo \"30\" *0:30\n"),
              std::string::npos)
        << console;
    EXPECT_NE(console.find("\a\n(beep)"), std::string::npos);
    std::string stored;
    EXPECT_TRUE(ui::GetDialogData(CYocyouDlg::kDialogName, CYocyouDlg::kDefaultValue, stored));
    EXPECT_EQ(stored, "12");
}

TEST(YocyouDlg, ASecondMinusIsRefusedAndAnEmptyValueKeepsTheDefault) {
    Stores stores;
    ASSERT_TRUE(ui::SetDialogData(CYocyouDlg::kDialogName, CYocyouDlg::kDefaultValue, "30"));
    {
        HostSession session({"type 205 -5-", "OK"});
        CYocyouDlg dialog;
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_strValue, "-5");
    }
    {
        HostSession session({"text 205", "OK"});
        CYocyouDlg dialog;
        dialog.m_strValue = "30";  // the list item is selected at first
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_strValue, "");
    }
    std::string stored;
    EXPECT_TRUE(ui::GetDialogData(CYocyouDlg::kDialogName, CYocyouDlg::kDefaultValue, stored));
    EXPECT_EQ(stored, "-5");
    // Cancel stores nothing.
    HostSession session({"text 205 77", "CANCEL"});
    CYocyouDlg dialog;
    EXPECT_EQ(dialog.DoModal(), ui::kIdCancel);
    EXPECT_TRUE(ui::GetDialogData(CYocyouDlg::kDialogName, CYocyouDlg::kDefaultValue, stored));
    EXPECT_EQ(stored, "-5");
}

// --- the target selection ----------------------------------------------------------------------

TEST(SelectTargetDlg, TheTwoModesRememberTheirChoicesSeparately) {
    Stores stores;
    {
        HostSession session({"select 205 1", "OK"});
        CSelectTargetDlg dialog(false, 0);
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_nOption, CSelectTargetDlg::kAreaTerminals);
        EXPECT_NE(session.TakeConsole().find("*** dialog 245 \"Select\" ***\n"
                                             "[205] combo \"All Terminals\" *0:All Terminals "
                                             "1:Select the area\n"),
                  std::string::npos);
    }
    {
        HostSession session({"OK"});
        CSelectTargetDlg dialog(true, 0);
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_nOption, CSelectTargetDlg::kAllTerminals);
    }
    HostSession session({"OK"});
    CSelectTargetDlg dialog(false, 0);
    ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
    EXPECT_EQ(dialog.m_nOption, CSelectTargetDlg::kAreaTerminals);
    EXPECT_EQ(dialog.GetDlgItem(205)->selection, 1);  // preselected from the 2D memory
}

// With "TargetOption" 1 stored but no plate entry, the first entry is preselected; with a
// plate to select (3D), the plate entry is shown and chosen.
TEST(SelectTargetDlg, ThePlateEntryOnlyIn3DWithAPlate) {
    Stores stores;
    {
        HostSession session({"OK"});
        CSelectTargetDlg dialog(true, CSelectTargetDlg::kPlateTerminals);
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_nOption, CSelectTargetDlg::kAllTerminals);
    }
    const auto saved = routix::g_plateSelection;
    routix::g_plateSelection = [] { return std::optional<std::string>("P01_FRONT"); };
    {
        HostSession session({"select 205 1", "OK"});
        CSelectTargetDlg dialog(true, 0);
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.m_nOption, CSelectTargetDlg::kPlateTerminals);
        EXPECT_NE(session.TakeConsole().find(
                      "0:All Terminals 1:Terminals in the selected Plate 2:Select the area"),
                  std::string::npos);
    }
    {
        HostSession session({"OK"});
        CSelectTargetDlg dialog(false, 0);  // 2D: never the plate entry
        ASSERT_EQ(dialog.DoModal(), ui::kIdOk);
        EXPECT_EQ(dialog.GetDlgItem(205)->items.size(), 2u);
    }
    routix::g_plateSelection = saved;
}

// The gate is asked once per project: an old project never sees the dialog, a newer one
// opened later in the same process does.
TEST(SelectTargetDlg, TheVersionGateIsKeptPerProject) {
    TempDir dir;
    routix::ResetTargetSelectableCache();
    EXPECT_FALSE(routix::IsTargetSelectable());  // no project
    listhosttest::MakeProject(dir.path() / "old", "15.99", false);
    listhosttest::MakeProject(dir.path() / "new", "16.00", false);
    ASSERT_TRUE(zelko::ProjOpen((dir.path() / "old").string()));
    EXPECT_FALSE(routix::IsTargetSelectable());
    ASSERT_TRUE(zelko::ProjOpen((dir.path() / "new").string()));
    EXPECT_TRUE(routix::IsTargetSelectable());
    // The answer is kept: a changed store is not read again for the same project.
    listhosttest::RunSql(dir.path() / "new" / "ZELKOPRJ.sqlite",
                         "UPDATE project SET value = '1.0' WHERE key = 'data_version'");
    EXPECT_TRUE(routix::IsTargetSelectable());
    ASSERT_TRUE(zelko::ProjOpen((dir.path() / "old").string()));
    EXPECT_FALSE(routix::IsTargetSelectable());
    zelko::ProjClose();
    routix::ResetTargetSelectableCache();
}

TEST(DialogTemplates, ADialogWithoutTemplateIsSaidAndNotShown) {
    HostSession session({"OK"});
    class Missing : public ui::Dialog {
    public:
        Missing() : Dialog(9999, "") {}

    protected:
        bool OnInitDialog() override { return routix::LoadDialogTemplate(*this); }
    } dialog;
    EXPECT_EQ(dialog.DoModal(), ui::kIdCancel);
    EXPECT_NE(session.TakeConsole().find("\nROUTIX: the dialog 9999 has no template."),
              std::string::npos);
}

}  // namespace
