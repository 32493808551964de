#include "common/LogFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "support/FileSupport.h"

namespace {

using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

struct Event {
    std::string what;
    std::string path;
    int error = 0;
    bool operator==(const Event&) const = default;
};

class RecordingReporter : public CLogReporter {
public:
    void TempFolderError() override { events.push_back({"temp", "", 0}); }
    void CannotOpen(const std::string& path, int lastError) override {
        events.push_back({"open", path, lastError});
    }
    void WriteFailed(Step step, Output output, const std::string& path, int lastError) override {
        std::string what = step == Step::SeekEnd ? "seek" : step == Step::Write ? "write" : "flush";
        what += output == Output::Formatted ? "/formatted" : "/plain";
        events.push_back({what, path, lastError});
    }
    std::vector<Event> events;
};

// Points the temporary folder at a test folder while it lives.
class TempFolder {
public:
    explicit TempFolder(const std::filesystem::path& folder) {
        if (const char* old = std::getenv("TMPDIR"))
            m_old = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TempFolder() {
        if (m_old.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", m_old.c_str(), 1);
    }

private:
    std::string m_old;
};

TEST(CLog, ConstructionDeletesTheFileInTheTemporaryFolderEvenWhenNothingIsWritten) {
    TempDir dir;
    TempFolder tmp(dir.path());
    WriteBytes(dir.path() / "key.txt", "old contents");
    RecordingReporter reporter;
    {
        CLog log("key.txt", reporter);
        EXPECT_EQ(log.Path(), (dir.path() / "key.txt").string());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "key.txt"));
    EXPECT_TRUE(reporter.events.empty());
}

TEST(CLog, AnUnusableTemporaryFolderIsReportedAndLeavesThePathEmpty) {
    TempDir dir;
    TempFolder tmp(dir.path() / "missing");
    RecordingReporter reporter;
    CLog log("key.txt", reporter);
    EXPECT_EQ(log.Path(), "");
    EXPECT_EQ(reporter.events, (std::vector<Event>{{"temp", "", 0}}));
    // Writing then fails to open the empty path, once per call, and nothing is created.
    log.OutPlain("row\r\n");
    ASSERT_EQ(reporter.events.size(), 2u);
    EXPECT_EQ(reporter.events[1].what, "open");
}

TEST(CLog, PlainOutputKeepsPercentAndFormattedOutputInterpretsIt) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("rows.txt", reporter);
    log.OutPlain("A%dB%%\r\n");
    log.Out("A%dB%%\r\n", 7);
    log.Out("%s\t%s\r\n", "X-1", "50%");
    EXPECT_EQ(ReadBytes(log.Path()), "A%dB%%\r\nA7B%\r\nX-1\t50%\r\n");
    EXPECT_FALSE(log.IsOpen());  // opened and closed per write
    EXPECT_TRUE(reporter.events.empty());
}

TEST(CLog, TextIsWrittenInTheCodePageWithReplacementCharacters) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("cp.txt", reporter);
    log.OutPlain("端子é\r\n");
    log.Out("%s€\r\n", "盤");
    // CP932: 端 = 92 5B, 子 = 8E 71, 盤 = 94 D5; é and € have no code and become "?".
    EXPECT_EQ(ReadBytes(log.Path()), "\x92\x5B\x8E\x71?\r\n\x94\xD5?\r\n");
}

TEST(CLog, OpenKeepsTheContentsAppendsAndHoldsTheHandleUntilClose) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("unused.txt", reporter);
    const auto path = dir.path() / "param.txt";
    WriteBytes(path, "first\r\n");
    ASSERT_TRUE(log.Open(path));
    EXPECT_EQ(log.Path(), path.string());
    log.Out("%d\r\n", 2);
    log.OutPlain("3\r\n");
    EXPECT_TRUE(log.IsOpen());
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadBytes(path), "first\r\n2\r\n3\r\n");
}

TEST(CLog, AFileThatCannotBeOpenedIsReportedWithItsPathAndError) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("x.txt", reporter);
    const auto path = dir.path() / "no-such-folder" / "x.txt";
    EXPECT_FALSE(log.Open(path));
    EXPECT_FALSE(log.IsOpen());
    log.Out("%s", "lost");
    EXPECT_EQ(reporter.events, (std::vector<Event>{{"open", path.string(), ENOENT},
                                                   {"open", path.string(), ENOENT}}));
}

TEST(CLog, AFailedWriteIsReportedClosesTheHandleAndTheNextCallTriesAgain) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("x.txt", reporter);
    const auto path = dir.path() / "big.txt";
    ASSERT_TRUE(log.Open(path));
    {
        testsupport::FileSizeLimit limit(8);
        log.OutPlain("0123456789\r\n");
        EXPECT_FALSE(log.IsOpen());
        log.Out("%s", "more");  // opens anew; the file is at the limit already
    }
    log.Out("%s", "ok");
    EXPECT_EQ(reporter.events, (std::vector<Event>{{"write/plain", path.string(), EFBIG},
                                                   {"write/formatted", path.string(), EFBIG}}));
    EXPECT_EQ(ReadBytes(path), "01234567ok");
}

TEST(CLog, TimestampedLinesBeginWithTheLocalTime) {
    TempDir dir;
    TempFolder tmp(dir.path());
    const char* oldTz = std::getenv("TZ");
    const std::string savedTz = oldTz != nullptr ? oldTz : "";
    setenv("TZ", "UTC", 1);
    tzset();
    RecordingReporter reporter;
    // 2026-12-10 03:04:05 UTC
    const auto when = std::chrono::system_clock::from_time_t(1796871845);
    CLog log("t.txt", reporter, [when] { return when; });
    EXPECT_FALSE(log.Timestamped());
    log.SetTimestamped(true);
    log.Out("%s\r\n", "begin");
    log.OutPlain("plain\r\n");
    EXPECT_EQ(ReadBytes(log.Path()), "[2026/12/10-03:04:05] begin\r\nplain\r\n");
    if (oldTz != nullptr)
        setenv("TZ", savedTz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(CLog, FormattedOutputStopsAt1023Characters) {
    TempDir dir;
    TempFolder tmp(dir.path());
    RecordingReporter reporter;
    CLog log("long.txt", reporter);
    const std::string many(1100, 'x');
    log.Out("%s", many.c_str());
    log.OutPlain(many);
    EXPECT_EQ(ReadBytes(log.Path()), std::string(1023, 'x') + many);
}

}  // namespace
