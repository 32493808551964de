#include "services/wim.h"

#include <charconv>
#include <vector>

#include "Store.h"
#include "common/text.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

struct WimDb : detail::Handle {
    detail::Connection db;
};

struct WimRecords : detail::Handle {
    std::unique_ptr<Statement> query;
    std::vector<WimVariant> row;
    bool eof = true;
};

namespace {

constexpr std::string_view kWho = "ZELKOWMM";

void ReadRow(WimRecords& records) {
    records.eof = !records.query->Step();
    records.row.clear();
    if (records.eof) {
        return;
    }
    const Statement& q = *records.query;
    for (int col = 0; col < q.Columns(); ++col) {
        switch (q.Type(col)) {
            case SQLITE_INTEGER:
                records.row.emplace_back(q.Int(col));
                break;
            case SQLITE_FLOAT:
                records.row.emplace_back(q.Real(col));
                break;
            case SQLITE_NULL:
                records.row.emplace_back(std::monostate{});
                break;
            default:
                records.row.emplace_back(q.Text(col));
                break;
        }
    }
}

}  // namespace

fs::path WimFileOfFolder(const fs::path& folder) {
    fs::path clean(detail::PathText(folder));
    return clean / (clean.filename().string() + ".mdb");
}

std::string WimVariantText(const WimVariant& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    if (const auto* real = std::get_if<double>(&value)) {
        char buffer[64];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, *real);
        return std::string(buffer, result.ptr);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return std::string(common::Trim(*text));
    }
    return {};
}

WimDb* WimOpen(const fs::path& file, int mode) {
    if (mode != 0) {
        detail::SetLastError("ZELKOWMM: unknown open mode " + std::to_string(mode));
        return nullptr;
    }
    auto db = detail::OpenReadOnly(kWho, file);
    if (!db) {
        return nullptr;
    }
    auto* wim = new WimDb();
    wim->db = std::move(db);
    return wim;
}

void WimClose(WimDb* db) {
    delete db;
}

WimRecords* WimExecute(WimDb* db, std::string_view query,
                       std::initializer_list<std::string_view> values) {
    if (db == nullptr) {
        return nullptr;
    }
    auto statement = std::make_unique<Statement>(db->db.get(), query, kWho);
    if (!statement->ok()) {
        return nullptr;
    }
    if (statement->ParameterCount() != static_cast<int>(values.size())) {
        detail::SetLastError("ZELKOWMM: the query takes " +
                             std::to_string(statement->ParameterCount()) + " values, " +
                             std::to_string(values.size()) + " given");
        return nullptr;
    }
    int index = 1;
    for (auto value : values) {
        statement->Bind(index++, value);
    }
    auto* records = new WimRecords();
    records->query = std::move(statement);
    ReadRow(*records);
    if (records->query->failed()) {
        delete records;
        return nullptr;
    }
    return records;
}

bool WimEof(const WimRecords* records) {
    return records == nullptr || records->eof;
}

void WimMoveNext(WimRecords* records) {
    if (records != nullptr && !records->eof) {
        ReadRow(*records);
    }
}

WimVariant WimField(const WimRecords* records, int n) {
    if (records == nullptr || records->eof || n < 0 || n >= static_cast<int>(records->row.size())) {
        return {};
    }
    return records->row[static_cast<std::size_t>(n)];
}

void WimRecordsFree(WimRecords* records) {
    delete records;
}

}  // namespace zelko
