#include "ArxTestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>

namespace arxtest {
namespace {

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string FormatNumber(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", value);
    return buf;
}

}  // namespace

Output Ezdxf(const std::vector<std::string>& arguments) {
    std::string command = "/usr/bin/python3 " + Quote(ARX_EZDXF_HELPER);
    for (const std::string& a : arguments)
        command += " " + Quote(a);
    command += " 2>&1";
    Output out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.text.append(buffer.data(), n);
    int status = ::pclose(pipe);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

void MakeFixture(const std::string& name, const std::filesystem::path& path) {
    Output out = Ezdxf({"make", name, path.string()});
    ASSERT_EQ(out.status, 0) << "ezdxf could not write fixture " << name << ":\n" << out.text;
}

std::string Audit(const std::filesystem::path& path) {
    Output out = Ezdxf({"audit", path.string()});
    EXPECT_EQ(out.status, 0) << out.text;
    return out.text;
}

std::string Query(const std::filesystem::path& path, const std::string& what) {
    Output out = Ezdxf({"query", path.string(), what});
    EXPECT_EQ(out.status, 0) << out.text;
    return out.text;
}

std::string Dump(const std::filesystem::path& path) {
    Output out = Ezdxf({"dump", path.string()});
    EXPECT_EQ(out.status, 0) << out.text;
    return out.text;
}

std::unique_ptr<AcDbDatabase> Read(const std::filesystem::path& path) {
    auto db = std::make_unique<AcDbDatabase>(false, true);
    Acad::ErrorStatus es = db->readDwgFile(path.c_str());
    EXPECT_EQ(es, Acad::eOk) << db->lastError();
    return db;
}

std::unique_ptr<AcDbDatabase> ReadText(const std::string& text) {
    auto db = std::make_unique<AcDbDatabase>(false, true);
    Acad::ErrorStatus es = db->readDxfText(text, "test.dxf");
    EXPECT_EQ(es, Acad::eOk) << db->lastError();
    return db;
}

std::vector<AcDbObjectId> ModelSpace(AcDbDatabase& db) {
    std::vector<AcDbObjectId> ids;
    Opened<AcDbBlockTableRecord> ms(db.modelSpaceId(), AcDb::kForRead);
    if (!ms)
        return ids;
    AcDbBlockTableRecordIterator* it = nullptr;
    ms->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getEntityId(id);
        ids.push_back(id);
    }
    delete it;
    return ids;
}

AcDbObjectId NthOfType(AcDbDatabase& db, std::string_view dxfType, int index) {
    for (const AcDbObjectId& id : ModelSpace(db))
        if (id.dxfType() == dxfType && index-- == 0)
            return id;
    return {};
}

std::string XData(const AcDbObject* object, const char* app) {
    resbuf* chain = object->xData(app);
    std::ostringstream out;
    for (resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
        if (rb != chain)
            out << ' ';
        out << rb->restype << ':';
        switch (acutResbufKind(rb->restype)) {
            case AcRbKind::String:
                out << rb->resval.rstring;
                break;
            case AcRbKind::Real:
                out << FormatNumber(rb->resval.rreal);
                break;
            case AcRbKind::Point:
                out << FormatNumber(rb->resval.rpoint[0]) << ','
                    << FormatNumber(rb->resval.rpoint[1]) << ','
                    << FormatNumber(rb->resval.rpoint[2]);
                break;
            case AcRbKind::Short:
                out << rb->resval.rint;
                break;
            case AcRbKind::Long:
                out << rb->resval.rlong;
                break;
            default:
                out << '?';
        }
    }
    acutRelRb(chain);
    return out.str();
}

void RegisterApp(AcDbDatabase& db, const char* name) {
    AcDbRegAppTable* table = nullptr;
    ASSERT_EQ(db.getRegAppTable(table, AcDb::kForWrite), Acad::eOk);
    if (!table->has(name)) {
        auto* record = new AcDbRegAppTableRecord;
        record->setName(name);
        ASSERT_EQ(table->add(record), Acad::eOk);
        record->close();
    }
    table->close();
}

}  // namespace arxtest
