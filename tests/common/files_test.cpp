#include "common/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/FileSupport.h"

namespace common {
namespace {

using testsupport::FileSizeLimit;
using testsupport::ListFolder;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(WriteFileAtomically, CreatesAndReplacesFiles) {
    TempDir dir;
    auto path = dir.path() / "KABLOS.ini";
    ASSERT_FALSE(WriteFileAtomically(path, "first\r\n"));
    EXPECT_EQ(ReadBytes(path), "first\r\n");
    ASSERT_FALSE(WriteFileAtomically(path, ""));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(ListFolder(dir.path()), "KABLOS.ini");  // no temporary file left
}

TEST(WriteFileAtomically, KeepsThePermissionsOfTheReplacedFile) {
    TempDir dir;
    auto path = dir.path() / "f";
    WriteBytes(path, "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_FALSE(WriteFileAtomically(path, "new"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(WriteFileAtomically, AFailedWriteLeavesThePreviousFile) {
    TempDir dir;
    auto path = dir.path() / "KABLOS.ini";
    WriteBytes(path, "previous");
    {
        FileSizeLimit limit(100);  // the disk fills up half-way
        std::error_code error = WriteFileAtomically(path, std::string(5000, 'x'));
        EXPECT_TRUE(error);
    }
    EXPECT_EQ(ReadBytes(path), "previous");
    EXPECT_EQ(ListFolder(dir.path()), "KABLOS.ini");
}

TEST(WriteFileAtomically, ReportsAMissingFolder) {
    TempDir dir;
    std::error_code error = WriteFileAtomically(dir.path() / "missing" / "f", "x");
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(Describe(error).empty());
}

TEST(ReadWholeFile, ReadsBytesAndReportsFailures) {
    TempDir dir;
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(dir.path() / "none", bytes), std::errc::no_such_file_or_directory);
    EXPECT_EQ(ReadWholeFile(dir.path(), bytes), std::errc::is_a_directory);
    std::string binary("a\0\r\n\xff", 5);
    WriteBytes(dir.path() / "b", binary);
    ASSERT_FALSE(ReadWholeFile(dir.path() / "b", bytes));
    EXPECT_EQ(bytes, binary);
}

TEST(AppendToFile, AppendsAndCreates) {
    TempDir dir;
    auto path = dir.path() / "LogDebug.txt";
    ASSERT_FALSE(AppendToFile(path, "a\r\n"));
    ASSERT_FALSE(AppendToFile(path, "b\r\n"));
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
}

TEST(ExecutableFolder, IsTheFolderOfThisTest) {
    EXPECT_TRUE(std::filesystem::exists(ExecutableFolder() / "common_tests"));
}

}  // namespace
}  // namespace common
