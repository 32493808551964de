// The drawing-database access layer through the host services and real drawings: the
// wrappers' open and release rules, the layer-state and system-variable helpers, the
// table-entry helpers and queries, and the insertion of a drawing as a block, with the
// drawings written and read back by ezdxf.

#include "dbaccess/DbAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>

#include "dbaccess/ArxBlock.h"
#include "host/Host.h"
#include "services/symbols.h"
#include "support/FileSupport.h"

namespace routix {
namespace {

namespace fs = std::filesystem;

std::string Python(const std::string& arguments) {
    const std::string line = "/usr/bin/python3 '" DBACCESS_DRAWINGS "' " + arguments + " 2>&1";
    std::string out;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << line;
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    EXPECT_EQ(::pclose(pipe), 0) << out;
    return out;
}

/// True when `id` can be opened for write, i.e. nobody holds it open.
bool Closed(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    const Acad::ErrorStatus es = acdbOpenAcDbObject(object, id, AcDb::kForWrite);
    if (es == Acad::eOnLockedLayer) {
        return true;  // refused for its layer only after the open checks: nobody holds it
    }
    if (es != Acad::eOk) {
        return false;
    }
    object->close();
    return true;
}

std::vector<AcDbObjectId> ModelSpace(AcDbDatabase* db) {
    std::vector<AcDbObjectId> ids;
    CRecord<AcDbBlockTableRecord> space;
    EXPECT_EQ(acdbOpenObject(space.ref(), db->modelSpaceId(), AcDb::kForRead), Acad::eOk);
    CRecordIterator it;
    space->newIterator(it.ref());
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        ids.push_back(id);
    }
    return ids;
}

/// A drawing written by ezdxf open as the current document, the console captured.
class DbAccessTest : public ::testing::Test {
protected:
    // ezdxf writes the drawing once; each test opens a fresh copy.
    static void SetUpTestSuite() {
        s_template = new testsupport::TempDir;
        Python("source '" + (s_template->path() / "source.dxf").string() + "'");
    }
    static void TearDownTestSuite() {
        delete s_template;
        s_template = nullptr;
    }
    void SetUp() override {
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(&m_console);
        fs::copy_file(s_template->path() / "source.dxf", source());
        fs::copy_file(s_template->path() / "source.dxf", closedCopy());
        ASSERT_EQ(host::Host::Instance().OpenDocument(source().string()), Acad::eOk);
        m_db = CurrentDatabase();
        ASSERT_NE(m_db, nullptr);
    }
    void TearDown() override {
        host::Host::Instance().Reset();
        host::Host::Instance().SetConsole(nullptr);
    }
    /// The drawing open as the current document (its lock held).
    fs::path source() const { return m_dir.path() / "source.dxf"; }
    /// The same drawing under another name, open nowhere.
    fs::path closedCopy() const { return m_dir.path() / "source-copy.dxf"; }

    static inline testsupport::TempDir* s_template = nullptr;
    testsupport::TempDir m_dir;
    std::ostringstream m_console;
    AcDbDatabase* m_db = nullptr;
};

TEST_F(DbAccessTest, BlockReferenceOpenedTwiceKeepsTheFirst) {
    AcDbObjectId first, second;
    ASSERT_FALSE(EnsureLayerFrozen("0", false));  // layer 0 exists: nothing added
    for (const AcGePoint3d at : {AcGePoint3d(1, 1, 0), AcGePoint3d(2, 2, 0)}) {
        CBlockTable table(nullptr);
        AcDbObjectId space;
        table->getAt(ACDB_MODEL_SPACE, space);
        CRecord<AcDbBlockTableRecord> ms;
        ASSERT_EQ(acdbOpenObject(ms.ref(), space, AcDb::kForWrite), Acad::eOk);
        auto* ref = new AcDbBlockReference(at, space);
        ASSERT_EQ(ms->appendAcDbEntity(first.isNull() ? first : second, ref), Acad::eOk);
        ref->close();
    }
    {
        CBlockRefEnt ref;
        EXPECT_TRUE(ref.open(first, AcDb::kForRead));
        EXPECT_FALSE(ref.open(second, AcDb::kForRead));
        ASSERT_TRUE(ref.isValid());
        EXPECT_EQ(ref->objectId(), first);
        EXPECT_TRUE(Closed(second));
    }
    EXPECT_TRUE(Closed(first));
}

TEST_F(DbAccessTest, WrappersLeaveNothingOpenOnEveryPath) {
    const std::vector<AcDbObjectId> entities = ModelSpace(m_db);
    ASSERT_EQ(entities.size(), 3u);  // line, circle, line
    {
        CPolyLineEnt polyline;  // a line is no polyline: false, and it is still closed after
        EXPECT_FALSE(polyline.open(entities[0], AcDb::kForRead));
        EXPECT_FALSE(polyline.isValid());
        CTextEnt text;
        EXPECT_FALSE(text.open(AcDbObjectId(), AcDb::kForRead));
        EXPECT_EQ(text.status(), Acad::eNullObjectId);
        CEntity any;
        EXPECT_TRUE(any.open(entities[1], AcDb::kForWrite));
        EXPECT_TRUE(any.open(entities[2], AcDb::kForRead));  // the first is closed first
        EXPECT_TRUE(Closed(entities[1]));
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, entities[0]), Acad::eOk);
        CEntity byName;
        EXPECT_TRUE(byName.open(name, AcDb::kForRead));
    }
    for (AcDbObjectId id : entities) {
        EXPECT_TRUE(Closed(id));
    }
    {
        CBlockTable reader(m_db);
        ASSERT_TRUE(reader.isOpened());
        CBlockTable writer(m_db, AcDb::kForWrite);  // refused while read
        EXPECT_FALSE(writer.isOpened());
        EXPECT_EQ(writer.status(), Acad::eWasOpenedForRead);
    }
    EXPECT_TRUE(Closed(m_db->blockTableId()));
}

/// Sets OSMODE the way a command does and leaves through an error path.
bool CommandThatFails() {
    CAutoVar osmode;
    if (!osmode.Set("OSMODE", 0)) {
        return true;
    }
    resbuf now{};
    acedGetVar("OSMODE", &now);
    EXPECT_EQ(now.resval.rint, 0);
    return false;  // the error path
}

TEST_F(DbAccessTest, AutoVarRestoresTheUsersValueOnAnErrorPath) {
    resbuf value{};
    value.restype = RTSHORT;
    value.resval.rint = 37;
    ASSERT_EQ(acedSetVar("OSMODE", &value), RTNORM);
    EXPECT_FALSE(CommandThatFails());
    resbuf after{};
    ASSERT_EQ(acedGetVar("OSMODE", &after), RTNORM);
    EXPECT_EQ(after.resval.rint, 37);

    CAutoVar unknown;
    EXPECT_FALSE(unknown.Set("NO_SUCH_VARIABLE", 1));
}

TEST_F(DbAccessTest, LayerStatesReleaseAndRestore) {
    std::vector<CLayerState> states;
    ASSERT_TRUE(CollectLayerStates(nullptr, states));
    EXPECT_TRUE(IsLayerFrozen(states, "frozenlayer"));
    EXPECT_FALSE(IsLayerLocked(states, "FROZENLAYER"));
    EXPECT_TRUE(IsLayerLocked(states, "LockedLayer"));
    EXPECT_FALSE(IsLayerFrozen(states, "NOSUCHLAYER"));

    auto flags = [&] {
        std::vector<std::string> text;
        std::vector<CLayerState> now;
        CollectLayerStates(m_db, now);
        for (const CLayerState& l : now) {
            text.push_back(l.m_name + ":" + (l.m_bOff ? "o" : "") + (l.m_bFrozen ? "f" : "") +
                           (l.m_bLocked ? "l" : ""));
        }
        return text;
    };
    const std::vector<std::string> before = flags();
    EXPECT_NE(std::find(before.begin(), before.end(), "OFFLAYER:o"), before.end());
    ASSERT_TRUE(ReleaseAllLayers(states));
    for (const std::string& layer : flags()) {
        EXPECT_TRUE(layer.ends_with(":")) << layer;
    }
    ASSERT_TRUE(RestoreLayerStates(states));
    EXPECT_EQ(flags(), before);
}

TEST_F(DbAccessTest, TableEntriesAreAddedOnce) {
    EXPECT_TRUE(
        EnsureLayer("DUCT", [](AcDbLayerTableRecord* layer) { layer->setColor(AcCmColor(40)); }));
    EXPECT_FALSE(EnsureLayer("duct", nullptr));
    EXPECT_TRUE(EnsureLayerFrozen("PINOFF", true));
    EXPECT_TRUE(EnsureRegApp("ZELKO_DUCT"));
    EXPECT_TRUE(EnsureRegApp("ZELKO_DUCT"));
    std::vector<CLayerState> states;
    CollectLayerStates(m_db, states);
    EXPECT_TRUE(IsLayerFrozen(states, "PINOFF"));
    CLayerTable layers(m_db);
    CRecord<AcDbLayerTableRecord> duct;
    ASSERT_EQ(layers->getAt("DUCT", duct.ref(), AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(duct->color().colorIndex(), 40);
    CRegAppTable apps(m_db);
    EXPECT_TRUE(apps->has("ZELKO_DUCT"));
}

TEST_F(DbAccessTest, QueriesAnswerOrPrintTheConvention) {
    const std::vector<AcDbObjectId> entities = ModelSpace(m_db);
    ACHAR handle[17] = {};
    ASSERT_TRUE(HandleTextOf(entities[0], handle));
    AcDbHandle expected = entities[0].handle();
    EXPECT_EQ(std::string(handle), expected.text());
    EXPECT_FALSE(HandleTextOf(AcDbObjectId(), handle));
    EXPECT_NE(m_console.str().find("\ne:\\repos\\trunk\\src\\zelk\\routix\\Sokucyou.cpp("),
              std::string::npos)
        << m_console.str();
    EXPECT_NE(m_console.str().find("): acdbOpenObject error(eNullObjectId)"), std::string::npos)
        << m_console.str();

    CEntity line;
    ASSERT_TRUE(line.open(entities[0], AcDb::kForRead));
    ACHAR* layer = LayerNameOf(line.entity());
    EXPECT_STREQ(layer, "OFFLAYER");
    acutDelString(layer);
    EXPECT_TRUE(FileOrFolderExists(source().c_str()));
    EXPECT_TRUE(FileOrFolderExists(m_dir.path().c_str()));
    EXPECT_FALSE(FileOrFolderExists((m_dir.path() / "none.dxf").c_str()));
}

/// The insertion of drawings written by ezdxf with the options of each case.
TEST_F(DbAccessTest, InsertedDrawingLandsByTheExtentsOfWhatIsVisible) {
    const struct {
        const char* options;
        const char* expected;  // layer x y, then the layers of the block's entities
        const char* why;
    } cases[] = {
        {"", "0 90 80 OFFLAYER", "frozen and locked content erased, the off layer kept"},
        {"huge", "0 90 80 0 OFFLAYER", "a line 200000 wide does not move the point"},
        {"dimscale=10", "0 99 98 OFFLAYER", "the box is divided by the dimension scale"},
        {"empty", "0 100 100 0", "nothing measurable: inserted at the point unchanged"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const fs::path drawing = m_dir.path() / ("drawing" + std::to_string(n++) + ".dxf");
        Python("source '" + drawing.string() + "' " + c.options);
        AcDbDatabase target;
        CArxBlock inserter;
        AcDbObjectId ref;
        ASSERT_TRUE(inserter.InsertDwgAsBlock(ref, AcGePoint3d(100, 100, 0), "*U", drawing.c_str(),
                                              &target))
            << c.why << m_console.str();
        EXPECT_TRUE(Closed(ref)) << c.why;
        const fs::path saved = m_dir.path() / "target.dxf";
        ASSERT_EQ(target.saveAs(saved.c_str()), Acad::eOk);
        EXPECT_EQ(Python("inserts '" + saved.string() + "'"), std::string(c.expected) + "\n")
            << c.why;
    }
}

TEST_F(DbAccessTest, FailedInsertionsPrintAndLeaveTheTargetUsable) {
    AcDbDatabase target;
    CArxBlock inserter;
    AcDbObjectId ref;
    // A drawing that cannot be read is named, by the name the caller gives when it has one.
    const fs::path missing = m_dir.path() / "missing.dxf";
    EXPECT_FALSE(
        inserter.InsertDwgAsBlock(ref, AcGePoint3d(0, 0, 0), "*U", missing.c_str(), &target));
    EXPECT_TRUE(ref.isNull());
    EXPECT_NE(m_console.str().find("\\ArxBlock.cpp("), std::string::npos) << m_console.str();
    EXPECT_NE(m_console.str().find("): readDwgFile error (FileName=" + missing.string() + "|es="),
              std::string::npos)
        << m_console.str();
    m_console.str("");
    EXPECT_FALSE(inserter.InsertDwgAsBlock(ref, AcGePoint3d(0, 0, 0), "*U", missing.c_str(),
                                           &target, "/panels/P01.dwg"));
    EXPECT_NE(m_console.str().find("): readDwgFile error (FileName=/panels/P01.dwg|es="),
              std::string::npos)
        << m_console.str();
    // A block name the target refuses.
    EXPECT_FALSE(
        inserter.InsertDwgAsBlock(ref, AcGePoint3d(0, 0, 0), "", closedCopy().c_str(), &target));
    EXPECT_NE(m_console.str().find("\\ArxBlock.cpp("), std::string::npos) << m_console.str();
    EXPECT_NE(m_console.str().find("): insert error"), std::string::npos) << m_console.str();
    EXPECT_TRUE(Closed(target.blockTableId()));
    EXPECT_TRUE(Closed(target.modelSpaceId()));
    // The drawing open in the editor is in use: it is read in shared-read mode and refused.
    m_console.str("");
    EXPECT_FALSE(
        inserter.InsertDwgAsBlock(ref, AcGePoint3d(0, 0, 0), "*U", source().c_str(), &target));
    EXPECT_NE(m_console.str().find("): readDwgFile error (FileName=" + source().string() + "|es="),
              std::string::npos)
        << m_console.str();
    EXPECT_TRUE(
        inserter.InsertDwgAsBlock(ref, AcGePoint3d(0, 0, 0), "*U", closedCopy().c_str(), &target));
}

/// Answers selections from a list and notes SNAPMODE at each question.
class Answers : public host::AnswerSource {
public:
    explicit Answers(std::vector<std::string> answers) : m_answers(std::move(answers)) {}
    std::optional<std::string> Next(const host::Request& request) override {
        resbuf snap{};
        acedGetVar("SNAPMODE", &snap);
        m_snapWhileAsked.push_back(snap.resval.rint);
        m_prompts.push_back(request.prompt);
        if (m_next >= m_answers.size()) {
            return std::nullopt;
        }
        return m_answers[m_next++];
    }
    std::vector<int> m_snapWhileAsked;
    std::vector<std::string> m_prompts;

private:
    std::vector<std::string> m_answers;
    std::size_t m_next = 0;
};

TEST_F(DbAccessTest, SelectionsTurnSnapOffAndFreeTheirSets) {
    resbuf snap{};
    snap.restype = RTSHORT;
    snap.resval.rint = 1;
    ASSERT_EQ(acedSetVar("SNAPMODE", &snap), RTNORM);
    // Two block references beside the drawing's lines and circle.
    AcDbObjectId block;
    ASSERT_NE(zelko::SymLoadBlockFile(m_db, "SOURCE", closedCopy().string(), block), 0);
    AcDbObjectId ref;
    ASSERT_NE(zelko::SymInsertBlock(ref, AcGePoint3d(0, 0, 0), block, m_db, "0"), 0);
    ASSERT_NE(zelko::SymInsertBlock(ref, AcGePoint3d(9, 9, 0), block, m_db, "0"), 0);

    Answers answers({"ALL", "ALL"});
    host::Host::Instance().SetAnswers(&answers);
    {
        CSelection selection;
        ASSERT_TRUE(SelectBlockReferences("\nSelect symbols: ", selection));
        EXPECT_EQ(selection.length(), 2);
        EXPECT_EQ(selection.at(1), ref);
        EXPECT_TRUE(selection.at(2).isNull());
        CSelection any;  // every kind of entity
        ASSERT_TRUE(SelectWithPrompt("\nSelect a symbol: ", any));
        EXPECT_EQ(any.length(), 5);
        CSelection cancelled;  // no answer left
        EXPECT_FALSE(SelectWithPrompt("\nSelect a symbol: ", cancelled));
        EXPECT_EQ(cancelled.length(), 0);
        EXPECT_EQ(host::Host::Instance().OpenSelectionSetCount(), 2u);
    }
    host::Host::Instance().SetAnswers(nullptr);
    EXPECT_EQ(host::Host::Instance().OpenSelectionSetCount(), 0u);
    EXPECT_EQ(answers.m_snapWhileAsked, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(answers.m_prompts.front(), "\nSelect symbols: ");
    resbuf after{};
    acedGetVar("SNAPMODE", &after);
    EXPECT_EQ(after.resval.rint, 1);

    host::Host::Instance().PickFirst() = {ref};
    CSelection implied;
    ASSERT_TRUE(SelectImplied(implied));
    EXPECT_EQ(implied.at(0), ref);
}

TEST_F(DbAccessTest, HostCommandRunsFromItsArgumentChain) {
    const std::vector<AcDbObjectId> entities = ModelSpace(m_db);
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, entities[0]), Acad::eOk);
    {
        CadCommand erase(acutBuildList(RTSTR, "_.ERASE", RTENAME, name, RTSTR, "", 0));
        ASSERT_TRUE(erase.isValid());
        EXPECT_EQ(erase.run(), RTNORM);
    }
    EXPECT_TRUE(entities[0].isErased());
    CadCommand unknown(acutBuildList(RTSTR, "NOSUCHCOMMAND", 0));
    EXPECT_NE(unknown.run(), RTNORM);
}

TEST_F(DbAccessTest, ExtendedDataReadIsReleased) {
    const std::vector<AcDbObjectId> entities = ModelSpace(m_db);
    ASSERT_TRUE(EnsureRegApp("ZELKO_DUCT"));
    CEntity line;
    ASSERT_TRUE(line.open(entities[0], AcDb::kForWrite));
    resbuf* data = acutBuildList(1001, "ZELKO_DUCT", 1000, "CP", 1070, 40, 0);
    ASSERT_EQ(line.entity()->setXData(data), Acad::eOk);
    acutRelRb(data);
    CDxf dxf;
    ASSERT_TRUE(dxf.read(line.entity(), "ZELKO_DUCT"));
    ASSERT_NE(dxf.first(1000), nullptr);
    EXPECT_STREQ(dxf.first(1000)->resval.rstring, "CP");
    EXPECT_EQ(dxf.first(1070)->resval.rint, 40);
    EXPECT_EQ(dxf.first(1040), nullptr);
    EXPECT_FALSE(dxf.read(line.entity(), "ORVAZelko_WpDir"));
}

}  // namespace
}  // namespace routix
