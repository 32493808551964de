#include "TervoSupport.h"

#include <algorithm>

namespace tervotest {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

namespace {
std::string Unquoted(const std::string& field) {
    return field.size() >= 2 && field.front() == '"' && field.back() == '"'
               ? field.substr(1, field.size() - 2)
               : field;
}
}  // namespace

std::string Summary(const std::filesystem::path& file) {
    const auto lines = BkLines(file);
    std::string summary;
    std::size_t i = 0;
    while (i < lines.size()) {
        // Device header, device values, wire-end header, wire lines, empty line.
        const auto header = Fields(lines.at(i));
        const auto values = Fields(lines.at(i + 1));
        const auto tagAt = std::find(header.begin(), header.end(), "器具番号") - header.begin();
        summary += (summary.empty() ? "" : "; ") +
                   Unquoted(values.at(static_cast<std::size_t>(tagAt))) + ":";
        i += 3;
        bool first = true;
        for (; i < lines.size() && !lines[i].empty(); ++i) {
            const auto wire = Fields(lines[i]);
            summary +=
                std::string(first ? " " : ", ") + Unquoted(wire.at(0)) + "|" + Unquoted(wire.at(1));
            first = false;
        }
        ++i;  // the empty line
    }
    return summary;
}

}  // namespace tervotest
