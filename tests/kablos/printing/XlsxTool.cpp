#include "XlsxTool.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <sstream>

#include "common/text.h"

namespace kablos::test {
namespace {

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char ch : text) {
        if (ch == '\'')
            out += "'\\''";
        else
            out += ch;
    }
    return out + "'";
}

}  // namespace

std::string RunXlsxTool(const std::vector<std::string>& arguments) {
    std::string command = "/usr/bin/python3 " + Quote(XLSX_TOOL_PATH);
    for (const std::string& argument : arguments)
        command += " " + Quote(argument);
    command += " 2>&1";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return {};
    }
    std::array<char, 65536> buffer;
    std::size_t read = 0;
    while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), read);
    int status = pclose(pipe);
    if (status != 0) {
        ADD_FAILURE() << command << " failed:\n" << out;
        return {};
    }
    return out;
}

std::string XlsxDump::Value(const std::string& sheet, const std::string& cell) const {
    auto found = cells.find(sheet + "!" + cell);
    return found == cells.end() ? std::string() : found->second.value;
}

XlsxDump DumpWorkbook(const std::filesystem::path& path) {
    XlsxDump dump;
    std::string out = RunXlsxTool({"dump", path.string()});
    for (std::string_view line : common::SplitLines(out)) {
        std::vector<std::string_view> fields = common::Split(line, '\t');
        if (fields[0] == "sheet" && fields.size() == 3) {
            dump.sheets.emplace_back(fields[1]);
            dump.printAreas[std::string(fields[1])] = fields[2];
        } else if (fields[0] == "cell" && fields.size() == 5) {
            std::string value;
            for (std::size_t i = 0; i < fields[3].size(); ++i) {
                if (fields[3][i] == '\\' && i + 1 < fields[3].size()) {
                    value += fields[3][i + 1] == 'n' ? '\n' : fields[3][i + 1];
                    ++i;
                } else {
                    value += fields[3][i];
                }
            }
            dump.cells[std::string(fields[1]) + "!" + std::string(fields[2])] = {
                value, std::string(fields[4])};
        } else if (fields[0] == "name" && fields.size() == 3) {
            dump.names[std::string(fields[1])] = fields[2];
        }
    }
    return dump;
}

std::map<std::string, std::string> PackageParts(const std::filesystem::path& path) {
    std::map<std::string, std::string> parts;
    std::string out = RunXlsxTool({"parts", path.string()});
    for (std::string_view line : common::SplitLines(out)) {
        std::vector<std::string_view> fields = common::Split(line, '\t');
        if (fields.size() == 2)
            parts[std::string(fields[0])] = fields[1];
    }
    return parts;
}

std::filesystem::path SampleTemplate() {
    return std::filesystem::path(KABLOS_SAMPLES_DIR) / "processing-table.xlsx";
}

}  // namespace kablos::test
