#pragma once

// Drawings in use. A session that has a drawing open keeps a lock file beside it, as the CAD
// host does: "<drawing name without extension>.dwl" in the drawing's folder, holding an
// exclusive advisory lock (flock) for as long as the drawing is open, with a line naming the
// holder (user, machine, process). A drawing is in use while some open file holds that lock;
// a lock file left behind by a session that ended (nobody holds its lock) does not count.
// The lock belongs to the open file, so a second holder in the same process (another
// document, a test) is refused as another session would be.
//
// AcDbDatabase::readDwgFile honours it: kForReadAndReadShare and kForReadAndWriteNoShare
// refuse a drawing in use (eFileSharingViolation); kForReadAndAllShare reads the saved file
// anyway; kTryForReadShare reads either way. cadhost holds the lock of every document it
// opens (platform/host/README.md).

#include <filesystem>
#include <string>

namespace arx {

/// The lock file of a drawing: "<folder>/<stem>.dwl".
std::filesystem::path DrawingLockPath(const std::filesystem::path& drawing);

/// True when another open file holds the lock of `drawing` (its holder line in `holder` when
/// given).
bool DrawingInUse(const std::filesystem::path& drawing, std::string* holder = nullptr);

/// The lock of one drawing, held from Acquire until Release or destruction; the lock file is
/// removed when released.
class DrawingLock {
public:
    DrawingLock() = default;
    ~DrawingLock() { Release(); }
    DrawingLock(const DrawingLock&) = delete;
    DrawingLock& operator=(const DrawingLock&) = delete;
    DrawingLock(DrawingLock&& other) noexcept;
    DrawingLock& operator=(DrawingLock&& other) noexcept;

    /// Takes the lock of `drawing`. False, holding nothing, when another holds it or the lock
    /// file cannot be made (a read-only folder); `error` then says why.
    bool Acquire(const std::filesystem::path& drawing, std::string* error = nullptr);
    void Release();
    bool Held() const { return m_fd >= 0; }
    const std::filesystem::path& Path() const { return m_path; }

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};

}  // namespace arx
