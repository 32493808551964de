#include "BkFiles.h"

#include <array>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "common/codepage.h"
#include "common/files.h"
#include "common/numbers.h"
#include "common/text.h"
#include "services/backwiringpanels.h"
#include "services/maker.h"

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

/// A value in double quotes. The readers of BK files strip the outer quotes only, so the value
/// is written as it is (a quote inside stays one quote); a tab or line break becomes a blank,
/// so that every line keeps its columns.
void AppendQuoted(std::string& out, std::string_view value) {
    out += '"';
    for (char c : value) {
        if (c == '\t' || c == '\r' || c == '\n') {
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

/// "%d" of a number text: the value of its leading digits ("007" is "7").
std::string NumberText(std::string_view text) {
    return std::to_string(common::LeadingInteger(text));
}

}  // namespace

std::string BkFileName(std::string_view panelNo, std::string_view suffix) {
    return "BK_" + std::string(panelNo) + std::string(suffix) + ".txt";
}

bool PanelFileNamesOk(std::string_view panelNo, std::string& error) {
    // The longest name of the panel's files is the one of a difference file.
    constexpr std::size_t kNameMax = 255;
    const char* why = nullptr;
    if (panelNo.find('/') != std::string_view::npos) {
        why = "it holds \"/\"";
    } else if (panelNo.find('\0') != std::string_view::npos) {
        why = "it holds a NUL character";
    } else if (panelNo == "." || panelNo == "..") {
        why = "\".\" and \"..\" name folders";
    } else if (BkFileName(panelNo, kSuffixAdded).size() > kNameMax) {
        why = "its file names would be longer than 255 bytes";
    }
    if (why == nullptr) {
        return true;
    }
    std::string shown;
    for (char c : panelNo) {
        shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    }
    error = "The panel number \"" + shown + "\" cannot name a BK file: " + why +
            ". Nothing was written; correct the panel number or choose the other panels.";
    return false;
}

bool ChosenPanels(const zelko::WpData* plan, const PanelChoice& choice,
                  std::vector<ListPanel>& panels, std::string& error) {
    if (!ListPanels(plan, choice, panels, error)) {
        return false;
    }
    for (const auto& panel : panels) {
        if (panel.listed && !PanelFileNamesOk(panel.panelNo, error)) {
            return false;
        }
    }
    return true;
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

bool WritePanelFile(const fs::path& folder, const ListPanel& panel, std::string_view suffix,
                    unsigned flags, const WriteEvents& events, std::string& error) {
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
        return true;  // a panel without devices leaves no file
    }
    if (auto written = common::WriteFileAtomically(path, common::ToCodePage(text))) {
        error = name + ": " + common::Describe(written);
        return false;
    }
    return true;
}

namespace {

/// Panel numbers as the store orders and groups them (its NOCASE collation): ASCII letters
/// folded to lower case, then byte order.
std::string PanelKey(std::string_view panelNo) {
    std::string key(panelNo);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

/// One revision read panel by panel, a panel ahead.
class Revision {
public:
    Revision(const zelko::WpData* plan, int revision)
        : m_panels(zelko::BackWiringOpenPanels(plan, revision)) {
        Next();
    }
    ~Revision() { zelko::BackWiringPanelsFree(m_panels); }
    Revision(const Revision&) = delete;
    Revision& operator=(const Revision&) = delete;

    bool failed() const { return m_panels == nullptr || zelko::BackWiringPanelsFailed(m_panels); }
    bool AtPanel() const { return m_at; }
    const std::string& Key() const { return m_key; }
    /// The data of the current panel when its key is `key` (else empty data), moving on.
    std::shared_ptr<zelko::BackWiring> Take(const std::string& key) {
        auto taken = std::make_shared<zelko::BackWiring>();
        if (m_at && m_key == key) {
            taken = std::move(m_wiring);
            Next();
        }
        return taken;
    }

private:
    void Next() {
        m_wiring = std::make_shared<zelko::BackWiring>();
        std::string panelNo;
        m_at = m_panels != nullptr && zelko::BackWiringNextPanel(m_panels, panelNo, *m_wiring);
        m_key = m_at ? PanelKey(panelNo) : std::string();
    }

    zelko::BackWiringPanels* m_panels;
    std::shared_ptr<zelko::BackWiring> m_wiring;
    bool m_at = false;
    std::string m_key;
};

bool LookUpTypes(zelko::BackWiring& wiring, const TerminalTypeLookup& lookup) {
    for (auto& end : wiring.wireEnds) {
        if (end.terminalType.empty() && lookup && !lookup(end)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool WriteBackLists(const zelko::WpData* plan, const ListRun& run, std::string& error) {
    std::vector<ListPanel> panels;
    if (!ChosenPanels(plan, run.choice, panels, error)) {
        return false;
    }
    std::map<std::string, std::size_t> listed;  // by key, first panel of a number
    for (std::size_t p = 0; p < panels.size(); ++p) {
        if (panels[p].listed) {
            listed.emplace(PanelKey(panels[p].panelNo), p);
        }
    }
    const std::vector<const char*> suffixes =
        run.differences ? std::vector{kSuffixFull, kSuffixAdded, kSuffixRemoved}
                        : std::vector{kSuffixFull};

    // Writes the files of one panel from its data of both revisions.
    auto writePanel = [&](const ListPanel& panel, std::shared_ptr<zelko::BackWiring> now,
                          std::shared_ptr<zelko::BackWiring> before) {
        if (!LookUpTypes(*now, run.lookup) || (before && !LookUpTypes(*before, run.lookup))) {
            error.clear();  // the lookup has reported why
            return false;
        }
        const std::vector<ListPanel> one{ListPanel{panel.panelNo, panel.index, true, {}}};
        BackList current;
        BuildBackList(std::move(now), one, current);
        if (!WritePanelFile(run.folder, current.panels[0], kSuffixFull, run.flags, run.events,
                            error)) {
            return false;
        }
        if (!run.differences) {
            return true;
        }
        BackList previous;
        BuildBackList(std::move(before), one, previous);
        BackList added;
        BackList removed;
        DiffBackLists(current, previous, added, removed, run.diff);
        return WritePanelFile(run.folder, added.panels[0], kSuffixAdded, run.flags, run.events,
                              error) &&
               WritePanelFile(run.folder, removed.panels[0], kSuffixRemoved, run.flags, run.events,
                              error);
    };

    std::size_t done = 0;
    auto progress = [&] {
        ++done;
        if (run.events.progress) {
            run.events.progress(static_cast<int>(done * 100 / listed.size()));
        }
    };

    Revision now(plan, zelko::kRevisionCurrent);
    std::optional<Revision> before;
    if (run.differences) {
        before.emplace(plan, zelko::kRevisionPrevious);
    }
    auto readFailed = [&] {
        if (now.failed() || (before && before->failed())) {
            error = zelko::MakerLastError();
            return true;
        }
        return false;
    };
    std::set<std::size_t> written;
    while (!readFailed() && (now.AtPanel() || (before && before->AtPanel()))) {
        // The next panel number of either revision, in the store's order.
        std::string key = now.AtPanel() ? now.Key() : before->Key();
        if (before && before->AtPanel() && (!now.AtPanel() || before->Key() < key)) {
            key = before->Key();
        }
        auto dataNow = now.Take(key);
        auto dataBefore = before ? before->Take(key) : nullptr;
        auto found = listed.find(key);
        if (found == listed.end() || !written.insert(found->second).second) {
            continue;  // not chosen, or not in the plan
        }
        if (!writePanel(panels[found->second], std::move(dataNow), std::move(dataBefore))) {
            return false;
        }
        progress();
    }
    if (readFailed()) {
        return false;
    }
    // Chosen panels without any data: nothing to write, but a file of their name goes.
    for (const auto& [key, index] : listed) {
        if (written.contains(index)) {
            continue;
        }
        const ListPanel empty{panels[index].panelNo, panels[index].index, true, {}};
        for (const char* suffix : suffixes) {
            if (!WritePanelFile(run.folder, empty, suffix, run.flags, run.events, error)) {
                return false;
            }
        }
        progress();
    }
    return true;
}

}  // namespace tervo
