#pragma once

// Projects for the maker tests: the generator's sample project and small stores written from
// SQL in the test, both as real SQLite files in a temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "SampleProject.h"
#include "support/FileSupport.h"

namespace makertest {

/// Runs `sql` on the SQLite file `file` (created when missing); fails the test on an error.
void RunSql(const std::filesystem::path& file, std::string_view sql);

/// A project folder with an empty store of the current layout (plus `sql`).
std::filesystem::path MakeProject(const std::filesystem::path& folder, std::string_view sql = {});

/// The sample project and installation in a temporary folder; the installation is made the
/// maker's and the project is closed again when the test ends.
class SampleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path project() const { return m_dir.path() / "SAMPLE"; }
    std::filesystem::path install() const { return m_dir.path() / "zelko"; }
    const std::filesystem::path& dir() const { return m_dir.path(); }

    sampleproject::Options m_options;

private:
    testsupport::TempDir m_dir;
};

}  // namespace makertest
