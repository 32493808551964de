// Drawings in use: the lock file beside a drawing and the share modes of readDwgFile.

#include <gtest/gtest.h>

#include "arx/DrawingLock.h"
#include "arx/acdb.h"
#include "support/FileSupport.h"

namespace {

namespace fs = std::filesystem;

fs::path SavedDrawing(const testsupport::TempDir& dir, const char* name) {
    AcDbDatabase db;
    const fs::path path = dir.path() / name;
    EXPECT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    return path;
}

Acad::ErrorStatus Read(const fs::path& path, AcDbDatabase::OpenMode mode,
                       std::string* error = nullptr) {
    AcDbDatabase db(false, true);
    const Acad::ErrorStatus es = db.readDwgFile(path.c_str(), mode);
    if (error != nullptr)
        *error = db.lastError();
    return es;
}

TEST(DrawingLock, TheShareModesHonourADrawingInUse) {
    testsupport::TempDir dir;
    const fs::path drawing = SavedDrawing(dir, "LAYOUT_P01.dwg");
    EXPECT_EQ(arx::DrawingLockPath(drawing), dir.path() / "LAYOUT_P01.dwl");
    {
        arx::DrawingLock lock;
        ASSERT_TRUE(lock.Acquire(drawing));
        std::string holder;
        EXPECT_TRUE(arx::DrawingInUse(drawing, &holder));
        EXPECT_NE(holder.find(" pid "), std::string::npos) << holder;
        // A second holder, even in this process, is refused as another session would be.
        arx::DrawingLock second;
        std::string why;
        EXPECT_FALSE(second.Acquire(drawing, &why));
        EXPECT_NE(why.find("is in use"), std::string::npos) << why;

        const struct {
            AcDbDatabase::OpenMode mode;
            Acad::ErrorStatus expected;
        } modes[] = {
            {AcDbDatabase::kForReadAndReadShare, Acad::eFileSharingViolation},
            {AcDbDatabase::kForReadAndWriteNoShare, Acad::eFileSharingViolation},
            {AcDbDatabase::kForReadAndAllShare, Acad::eOk},
            {AcDbDatabase::kTryForReadShare, Acad::eOk},
        };
        for (const auto& m : modes) {
            std::string error;
            EXPECT_EQ(Read(drawing, m.mode, &error), m.expected) << m.mode;
            if (m.expected != Acad::eOk) {
                EXPECT_EQ(error, drawing.string() + ": the drawing is in use by " + holder);
            }
        }
        EXPECT_STREQ(acadErrorStatusText(Acad::eFileSharingViolation), "eFileSharingViolation");
    }
    // Released with its holder: the lock file is gone and every mode reads.
    EXPECT_FALSE(fs::exists(dir.path() / "LAYOUT_P01.dwl"));
    EXPECT_EQ(Read(drawing, AcDbDatabase::kForReadAndReadShare), Acad::eOk);
    // A lock file left by a session that ended is held by nobody.
    testsupport::WriteBytes(dir.path() / "LAYOUT_P01.dwl", "someone@elsewhere pid 1\n");
    EXPECT_FALSE(arx::DrawingInUse(drawing));
    EXPECT_EQ(Read(drawing, AcDbDatabase::kForReadAndReadShare), Acad::eOk);
    // A folder where no lock file can be made.
    arx::DrawingLock none;
    EXPECT_FALSE(none.Acquire(dir.path() / "missing" / "x.dwg"));
    EXPECT_FALSE(none.Held());
}

}  // namespace
