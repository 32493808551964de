#include "BkFiles.h"

#include <array>
#include <system_error>

#include "common/codepage.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"

namespace tervo {

namespace fs = std::filesystem;
using zelko::BackDevice;
using zelko::BackWireEnd;

namespace {

constexpr unsigned kAll = 0xFFFF;

template <typename Record>
struct Column {
    const char* header;
    unsigned mask;
    std::string (*value)(const Record&);
};

const std::array<Column<BackDevice>, 7> kDeviceColumns{{
    {"面", kFlagPlate, [](const BackDevice& d) { return d.plate; }},
    {"配置アドレス", kAll, [](const BackDevice& d) { return AddressText(d); }},
    {"装置ユニット", kAll, [](const BackDevice& d) { return d.unit; }},
    {"器具番号", kAll, [](const BackDevice& d) { return d.tag; }},
    {"部品コード", kAll, [](const BackDevice& d) { return d.partCode; }},
    {"定格", kAll, [](const BackDevice& d) { return d.rating; }},
    {"型式", kAll, [](const BackDevice& d) { return d.model; }},
}};

const std::array<Column<BackWireEnd>, 14> kWireEndColumns{{
    {"端子No", kAll, [](const BackWireEnd& e) { return TerminalText(e); }},
    {"線番", kAll, [](const BackWireEnd& e) { return e.wireNo; }},
    {"器具番号１", kAll, [](const BackWireEnd& e) { return e.side[0].tag; }},
    {"器具番号２", kAll, [](const BackWireEnd& e) { return e.side[1].tag; }},
    {"行先１", kAll, [](const BackWireEnd& e) { return DestinationText(e, 0); }},
    {"行先２", kAll, [](const BackWireEnd& e) { return DestinationText(e, 1); }},
    {"線種１", kFlagWireKind, [](const BackWireEnd& e) { return e.side[0].wireKind; }},
    {"線種２", kFlagWireKind, [](const BackWireEnd& e) { return e.side[1].wireKind; }},
    {"電線サイズ１", kAll, [](const BackWireEnd& e) { return e.side[0].wireSize; }},
    {"電線サイズ２", kAll, [](const BackWireEnd& e) { return e.side[1].wireSize; }},
    {"電線色１", kAll, [](const BackWireEnd& e) { return e.side[0].wireColor; }},
    {"電線色２", kAll, [](const BackWireEnd& e) { return e.side[1].wireColor; }},
    {"特殊１", kAll, [](const BackWireEnd& e) { return e.side[0].special; }},
    {"特殊２", kAll, [](const BackWireEnd& e) { return e.side[1].special; }},
}};

/// A value in double quotes. A quote inside is doubled and a tab or line break becomes a
/// blank, so that every line keeps its columns.
void AppendQuoted(std::string& out, std::string_view value) {
    out += '"';
    for (char c : value) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\t' || c == '\r' || c == '\n') {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
}

template <typename Record, std::size_t N>
void AppendHeader(std::string& out, const std::array<Column<Record>, N>& columns, unsigned flags) {
    bool first = true;
    for (const auto& column : columns) {
        if ((column.mask & flags) != 0) {
            if (!first) {
                out += '\t';
            }
            out += column.header;
            first = false;
        }
    }
    out += common::kLineEnd;
}

template <typename Record, std::size_t N>
void AppendValues(std::string& out, const std::array<Column<Record>, N>& columns,
                  const Record& record, unsigned flags) {
    bool first = true;
    for (const auto& column : columns) {
        if ((column.mask & flags) != 0) {
            if (!first) {
                out += '\t';
            }
            AppendQuoted(out, column.value(record));
            first = false;
        }
    }
    out += common::kLineEnd;
}

std::string Connection(std::string_view tag, std::string_view terminal) {
    return tag.empty() ? std::string(terminal) : std::string(tag) + ":" + std::string(terminal);
}

std::string NumberText(std::string_view text) {
    return std::to_string(static_cast<long long>(common::LeadingNumber(text)));
}

}  // namespace

std::string BkFileName(std::string_view panelNo, std::string_view suffix) {
    return "BK_" + std::string(panelNo) + std::string(suffix) + ".txt";
}

std::string AddressText(const BackDevice& device) {
    return device.addressPrefix + device.addressNo;
}

std::string TerminalText(const BackWireEnd& end) {
    return Connection(end.connectorTag, end.terminalNo);
}

std::string DestinationText(const BackWireEnd& end, int side) {
    const zelko::BackWireSide& s = end.side[side];
    if (s.tag.empty() && s.terminal.empty() && s.destNo.empty()) {
        return "-";
    }
    if (!s.destNo.empty()) {
        // A numbered destination (relay terminal): between panels it names the panel too.
        if (common::EqualsNoCase(end.routeKind, "BANKAN")) {
            return s.panelNo + s.destPrefix + NumberText(s.destNo) + "-" + s.terminal;
        }
        return s.destPrefix + NumberText(s.destNo) + "-" + s.terminal;
    }
    return Connection(s.tag, s.terminal);
}

std::string PanelText(const ListPanel& panel, unsigned flags) {
    std::string out;
    for (const auto& device : panel.devices) {
        AppendHeader(out, kDeviceColumns, flags);
        AppendValues(out, kDeviceColumns, *device.device, flags);
        AppendHeader(out, kWireEndColumns, flags);
        for (const BackWireEnd* end : device.ends) {
            AppendValues(out, kWireEndColumns, *end, flags);
        }
        out += common::kLineEnd;
    }
    return out;
}

bool PrepareOutputFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    auto fail = [&](const fs::path& path) {
        error = "'" + path.string() + "': " + common::Describe(ec);
        return false;
    };
    if (!fs::is_directory(folder, ec) && !fs::create_directories(folder, ec)) {
        return fail(folder);
    }
    const fs::path old = folder / "OLD";
    if (fs::is_directory(old, ec)) {
        for (fs::directory_iterator it(old, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_directory(ec) && !fs::remove(it->path(), ec)) {
                return fail(it->path());
            }
        }
        if (ec) {
            return fail(old);
        }
    } else if (!fs::create_directory(old, ec)) {
        if (!ec) {
            ec = std::make_error_code(std::errc::not_a_directory);
        }
        return fail(old);
    }
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) {
            continue;
        }
        fs::rename(it->path(), old / it->path().filename(), ec);
        if (ec) {
            return fail(it->path());
        }
    }
    if (ec) {
        return fail(folder);
    }
    return true;
}

bool WriteBkFiles(const fs::path& folder, const BackList& list, std::string_view suffix,
                  unsigned flags, const WriteEvents& events, std::string& error) {
    const std::size_t count = list.panels.size();
    for (std::size_t i = 0; i < count; ++i) {
        const ListPanel& panel = list.panels[i];
        if (events.progress) {
            events.progress(static_cast<int>((i + 1) * 100 / count));
        }
        if (!panel.listed) {
            continue;
        }
        const std::string name = BkFileName(panel.panelNo, suffix);
        const fs::path path = folder / name;
        std::error_code ec;
        if (fs::symlink_status(path, ec).type() != fs::file_type::not_found) {
            fs::remove(path, ec);
            if (ec) {
                if (events.undeletable) {
                    events.undeletable(name);
                }
                error = name + ": " + common::Describe(ec);
                return false;
            }
        }
        const std::string text = PanelText(panel, flags);
        if (text.empty()) {
            continue;  // a panel without devices leaves no file
        }
        if (auto written = common::WriteFileAtomically(path, common::ToCodePage(text))) {
            error = name + ": " + common::Describe(written);
            return false;
        }
    }
    return true;
}

}  // namespace tervo
