#pragma once

// Helpers of the drawing-database tests: the independent reader and writer (ezdxf, through
// ezdxf_helper.py), drawings read from files or text, and objects opened for a test's scope.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "arx/acdb.h"

namespace arxtest {

struct Output {
    int status = -1;
    std::string text;
};

/// Runs ezdxf_helper.py with `arguments` under /usr/bin/python3; stdout and stderr together.
Output Ezdxf(const std::vector<std::string>& arguments);
/// Writes the ezdxf fixture `name` to `path` (fails the test when ezdxf fails).
void MakeFixture(const std::string& name, const std::filesystem::path& path);
/// The lines ezdxf's audit reports; "errors=0" first when clean.
std::string Audit(const std::filesystem::path& path);
std::string Query(const std::filesystem::path& path, const std::string& what);
std::string Dump(const std::filesystem::path& path);

/// A database read from `path`; the test fails when it cannot be read.
std::unique_ptr<AcDbDatabase> Read(const std::filesystem::path& path);
/// A database read from DXF text.
std::unique_ptr<AcDbDatabase> ReadText(const std::string& text);

/// Every entity id of the model space, in order.
std::vector<AcDbObjectId> ModelSpace(AcDbDatabase& db);

/// The id of the model-space entity of `dxfType` number `index` (0 the first).
AcDbObjectId NthOfType(AcDbDatabase& db, std::string_view dxfType, int index = 0);

/// Opens an object for the scope of a test and closes it at the end.
template <class T>
class Opened {
public:
    Opened(AcDbObjectId id, AcDb::OpenMode mode) { m_status = acdbOpenObject(m_object, id, mode); }
    ~Opened() {
        if (m_object)
            m_object->close();
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    T* operator->() const { return m_object; }
    T* get() const { return m_object; }
    Acad::ErrorStatus status() const { return m_status; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
    Acad::ErrorStatus m_status;
};

/// The extended data of an object as "code:value" items separated by blanks.
std::string XData(const AcDbObject* object, const char* app = nullptr);

/// Adds a registered application to a database.
void RegisterApp(AcDbDatabase& db, const char* name);

}  // namespace arxtest
