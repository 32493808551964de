#pragma once

// File helpers shared by every test program.

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

/// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::filesystem::path& path);
/// Writes `bytes` to `path`, creating its folders.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
/// The names in `folder`, sorted.
std::string ListFolder(const std::filesystem::path& folder);

/// Limits the size of files this process writes while it lives, so that a write fails half-way
/// (EFBIG), as on a full disk; works for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long m_old;
};

}  // namespace testsupport
