#pragma once

// The printing tests' independent reader: xlsx_tool.py beside this file, run with Debian's
// python3-openpyxl through /usr/bin/python3.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kablos::test {

/// Runs xlsx_tool.py with `arguments`; its standard output, or a test failure and an empty
/// text when it exits with an error.
std::string RunXlsxTool(const std::vector<std::string>& arguments);

struct DumpedCell {
    std::string value;  ///< line feeds as "\n"
    std::string flags;  ///< d date, s shrink-to-fit, w wrap
    bool operator==(const DumpedCell&) const = default;
};

/// A workbook as openpyxl reads it.
struct XlsxDump {
    std::vector<std::string> sheets;
    std::map<std::string, std::string> printAreas;  ///< by sheet
    std::map<std::string, DumpedCell> cells;        ///< by "title!A1"
    std::map<std::string, std::string> names;
    /// The value of a cell, empty when it is blank.
    std::string Value(const std::string& sheet, const std::string& cell) const;
};

XlsxDump DumpWorkbook(const std::filesystem::path& path);

/// "name<TAB>sha1" per part, by name.
std::map<std::string, std::string> PackageParts(const std::filesystem::path& path);

/// The sample template of the repository.
std::filesystem::path SampleTemplate();

}  // namespace kablos::test
