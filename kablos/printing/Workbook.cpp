#include "Workbook.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/files.h"
#include "common/text.h"

namespace kablos::printing {
namespace {

constexpr std::string_view kContentTypes = "[Content_Types].xml";
constexpr std::string_view kRelWorksheet =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr std::string_view kRelSuffixOfficeDocument = "/officeDocument";
constexpr std::string_view kRelSuffixStyles = "/styles";
constexpr std::string_view kRelSuffixSharedStrings = "/sharedStrings";
constexpr std::string_view kRelSuffixCalcChain = "/calcChain";
constexpr unsigned kXmlParse =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;
constexpr unsigned kXmlFormat = pugi::format_raw | pugi::format_no_declaration;
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

std::string_view Local(const char* name) {
    std::string_view text(name);
    std::size_t colon = text.find(':');
    return colon == std::string_view::npos ? text : text.substr(colon + 1);
}

std::string_view Prefix(pugi::xml_node node) {
    std::string_view text(node.name());
    std::size_t colon = text.find(':');
    return colon == std::string_view::npos ? std::string_view() : text.substr(0, colon + 1);
}

// A child element's qualified name in the parent's namespace prefix.
std::string Qualified(pugi::xml_node parent, std::string_view local) {
    return std::string(Prefix(parent)) + std::string(local);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
    for (pugi::xml_node child : parent.children()) {
        if (child.type() == pugi::node_element && Local(child.name()) == local)
            return child;
    }
    return {};
}

// The attribute whose local name is `local`, whatever its prefix ("r:id").
pugi::xml_attribute PrefixedAttribute(pugi::xml_node node, std::string_view local) {
    for (pugi::xml_attribute attribute : node.attributes()) {
        std::string_view name(attribute.name());
        std::size_t colon = name.find(':');
        if (colon != std::string_view::npos && name.substr(colon + 1) == local &&
            name.substr(0, colon) != "xmlns")
            return attribute;
    }
    return {};
}

std::string Folder(std::string_view partName) {
    std::size_t slash = partName.rfind('/');
    return slash == std::string_view::npos ? std::string()
                                           : std::string(partName.substr(0, slash + 1));
}

std::string RelsPartOf(std::string_view partName) {
    std::size_t slash = partName.rfind('/');
    std::string_view file = slash == std::string_view::npos ? partName : partName.substr(slash + 1);
    return Folder(partName) + "_rels/" + std::string(file) + ".rels";
}

// The part a relationship target names, from the folder of the part the relationships belong
// to; "/" starts at the package root; "." and ".." are resolved.
std::string ResolveTarget(std::string_view sourceFolder, std::string_view target) {
    std::string joined = target.starts_with('/') ? std::string(target.substr(1))
                                                 : std::string(sourceFolder) + std::string(target);
    std::vector<std::string_view> kept;
    for (std::string_view piece : common::Split(joined, '/')) {
        if (piece.empty() || piece == ".")
            continue;
        if (piece == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(piece);
    }
    std::string result;
    for (std::string_view piece : kept) {
        if (!result.empty())
            result += '/';
        result += piece;
    }
    return result;
}

int ToInt(std::string_view text, int fallback = -1) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// The column of the letters at the start of a reference ("AB12" is 28), and where they end.
int ColumnOf(std::string_view reference, std::size_t* end = nullptr) {
    int column = 0;
    std::size_t i = 0;
    for (; i < reference.size(); ++i) {
        char ch = reference[i];
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z')
            break;
        column = column * 26 + (ch - 'A' + 1);
        if (column > kMaxColumns)
            return 0;
    }
    if (end)
        *end = i;
    return column;
}

bool IsXmlCharacter(unsigned char ch) {
    return ch >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r';
}

// Control characters XML cannot carry are written as the spreadsheet writes them: "_x0001_".
std::string EscapeControls(std::string_view text) {
    if (std::all_of(text.begin(), text.end(),
                    [](char ch) { return IsXmlCharacter(static_cast<unsigned char>(ch)); }))
        return std::string(text);
    std::string out;
    for (char ch : text) {
        auto byte = static_cast<unsigned char>(ch);
        if (IsXmlCharacter(byte)) {
            out += ch;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "_x00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
            out += '_';
        }
    }
    return out;
}

std::string UnescapeControls(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_' && i + 6 < text.size() + 0 && text.substr(i, 2) == "_x" &&
            text[i + 6] == '_') {
            unsigned value = 0;
            auto [end, error] =
                std::from_chars(text.data() + i + 2, text.data() + i + 6, value, 16);
            if (error == std::errc() && end == text.data() + i + 6 && value < 0x80) {
                out += static_cast<char>(value);
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The text of a string item: its runs, without the phonetic guides.
std::string StringItemText(pugi::xml_node item) {
    std::string text;
    for (pugi::xml_node child : item.children()) {
        std::string_view name = Local(child.name());
        if (name == "t")
            text += child.text().get();
        else if (name == "r")
            text += Child(child, "t").text().get();
    }
    return UnescapeControls(text);
}

bool IsBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

// A format code shows a date when it has a day, month or year outside quotes and brackets.
bool IsDateFormatCode(std::string_view code) {
    bool quoted = false;
    int bracket = 0;
    for (std::size_t i = 0; i < code.size(); ++i) {
        char ch = code[i];
        if (ch == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (ch == '\\')
            ++i;
        else if (ch == '[')
            ++bracket;
        else if (ch == ']')
            bracket = std::max(0, bracket - 1);
        else if (bracket == 0 && (ch == 'y' || ch == 'Y' || ch == 'd' || ch == 'D'))
            return true;
    }
    return false;
}

// Sheet names in references are quoted with doubled quotes.
std::string QuotedSheetName(std::string_view name) {
    std::string out = "'";
    for (char ch : name) {
        out += ch;
        if (ch == '\'')
            out += '\'';
    }
    return out + "'";
}

// Replaces every reference to sheet `from` ("Sheet1!", "'Sheet1'!") in a name's formula.
std::string ReplaceSheetReference(std::string_view formula, std::string_view from,
                                  std::string_view to) {
    std::string quoted = QuotedSheetName(from) + "!";
    std::string plain = std::string(from) + "!";
    std::string out;
    std::size_t i = 0;
    while (i < formula.size()) {
        std::string_view rest = formula.substr(i);
        bool boundary = i == 0 || std::strchr("=,(:+-*/ ", formula[i - 1]) != nullptr;
        if (rest.size() >= quoted.size() &&
            common::EqualsNoCase(rest.substr(0, quoted.size()), quoted)) {
            out += to;
            i += quoted.size();
        } else if (boundary && rest.size() >= plain.size() &&
                   common::EqualsNoCase(rest.substr(0, plain.size()), plain)) {
            out += to;
            i += plain.size();
        } else {
            out += formula[i++];
        }
    }
    return out;
}

struct StringWriter : pugi::xml_writer {
    std::string result;
    void write(const void* data, std::size_t size) override {
        result.append(static_cast<const char*>(data), size);
    }
};

std::string Serialise(const pugi::xml_document& doc, std::size_t expected = 0) {
    StringWriter writer;
    writer.result.reserve(expected);
    doc.save(writer, "", kXmlFormat, pugi::encoding_utf8);
    return std::move(writer.result);
}

struct ZipArchive {
    zip_t* archive = nullptr;
    ~ZipArchive() {
        if (archive)
            zip_discard(archive);
    }
};

}  // namespace

struct Workbook::XmlPart {
    pugi::xml_document doc;
    bool dirty = false;
};

std::string CellReference(CellAddress address) {
    if (address.row < 1 || address.row > kMaxRows || address.column < 1 ||
        address.column > kMaxColumns)
        return {};
    std::string letters;
    for (int column = address.column; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters + std::to_string(address.row);
}

std::optional<CellAddress> ParseCellReference(std::string_view reference) {
    if (reference.starts_with('$'))
        reference.remove_prefix(1);
    std::size_t end = 0;
    int column = ColumnOf(reference, &end);
    if (column == 0 || end == 0)
        return std::nullopt;
    reference.remove_prefix(end);
    if (reference.starts_with('$'))
        reference.remove_prefix(1);
    if (reference.empty() || reference.front() == '0' ||
        !std::all_of(reference.begin(), reference.end(),
                     [](char ch) { return ch >= '0' && ch <= '9'; }))
        return std::nullopt;
    int row = ToInt(reference);
    if (row < 1 || row > kMaxRows)
        return std::nullopt;
    return CellAddress{row, column};
}

double SerialDate(std::chrono::year_month_day date) {
    using namespace std::chrono;
    auto days = sys_days(date) - sys_days(year{1899} / December / 30);
    return static_cast<double>(days.count());
}

Workbook::Workbook() = default;
Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::Open(const std::filesystem::path& path, std::string* why) {
    std::string bytes;
    if (std::error_code error = common::ReadWholeFile(path, bytes)) {
        if (why)
            *why = path.string() + ": " + common::Describe(error);
        return nullptr;
    }
    return FromBytes(std::move(bytes), why);
}

std::unique_ptr<Workbook> Workbook::FromBytes(std::string bytes, std::string* why) {
    std::unique_ptr<Workbook> book(new Workbook);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    ZipArchive zip;
    if (source)
        zip.archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip.archive) {
        if (why)
            *why = std::string("not a workbook (") + zip_error_strerror(&error) + ")";
        zip_error_fini(&error);
        if (source)
            zip_source_free(source);
        return nullptr;
    }
    zip_error_fini(&error);
    zip_int64_t count = zip_get_num_entries(zip.archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_file_t* file = nullptr;
        if (zip_stat_index(zip.archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE) ||
            !(file = zip_fopen_index(zip.archive, static_cast<zip_uint64_t>(i), 0))) {
            if (why)
                *why = "not a workbook (unreadable entry)";
            return nullptr;
        }
        std::string content(stat.size, '\0');
        zip_int64_t read = zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
            if (why)
                *why = std::string("not a workbook (damaged entry ") + stat.name + ")";
            return nullptr;
        }
        book->AddPart(stat.name, std::move(content));
    }
    if (!book->Load(why))
        return nullptr;
    return book;
}

void Workbook::AddPart(std::string name, std::string bytes) {
    m_partIndex[name] = m_parts.size();
    m_parts.push_back(Part{std::move(name), std::move(bytes), false});
}

Workbook::Part* Workbook::FindPart(std::string_view name) {
    auto found = m_partIndex.find(std::string(name));
    if (found == m_partIndex.end() || m_parts[found->second].removed)
        return nullptr;
    return &m_parts[found->second];
}

const Workbook::Part* Workbook::FindPart(std::string_view name) const {
    return const_cast<Workbook*>(this)->FindPart(name);
}

Workbook::XmlPart& Workbook::Xml(const std::string& partName) {
    auto& slot = m_xml[partName];
    if (!slot) {
        slot = std::make_unique<XmlPart>();
        if (const Part* part = FindPart(partName))
            slot->doc.load_buffer(part->bytes.data(), part->bytes.size(), kXmlParse);
    }
    return *slot;
}

bool Workbook::Load(std::string* why) {
    auto fail = [why](std::string reason) {
        if (why)
            *why = "not a workbook (" + reason + ")";
        return false;
    };
    if (!FindPart(kContentTypes) || !FindPart("_rels/.rels"))
        return fail("no package parts");
    if (!Xml(std::string(kContentTypes)).doc.document_element())
        return fail("damaged content types");
    for (pugi::xml_node rel : Xml("_rels/.rels").doc.document_element().children()) {
        if (std::string_view(rel.attribute("Type").value()).ends_with(kRelSuffixOfficeDocument))
            m_workbookPart = ResolveTarget("", rel.attribute("Target").value());
    }
    if (m_workbookPart.empty() || !FindPart(m_workbookPart))
        return fail("no workbook part");
    pugi::xml_node workbook = Xml(m_workbookPart).doc.document_element();
    if (Local(workbook.name()) != "workbook")
        return fail("no workbook part");

    m_workbookRels = RelsPartOf(m_workbookPart);
    std::map<std::string, std::string> targets;
    const std::string folder = Folder(m_workbookPart);
    for (pugi::xml_node rel : Xml(m_workbookRels).doc.document_element().children()) {
        std::string id = rel.attribute("Id").value();
        std::string_view type = rel.attribute("Type").value();
        std::string target = ResolveTarget(folder, rel.attribute("Target").value());
        targets[id] = target;
        if (type.ends_with(kRelSuffixStyles))
            m_stylesPart = target;
        if (id.starts_with("rId"))
            m_nextRelId = std::max(m_nextRelId, ToInt(std::string_view(id).substr(3), 0) + 1);
    }

    pugi::xml_node sheets = Child(workbook, "sheets");
    for (pugi::xml_node sheet : sheets.children()) {
        if (Local(sheet.name()) != "sheet")
            continue;
        Sheet entry;
        entry.entry = sheet;
        entry.name = sheet.attribute("name").value();
        entry.relId = PrefixedAttribute(sheet, "id").value();
        auto target = targets.find(entry.relId);
        if (entry.name.empty() || target == targets.end() || !FindPart(target->second))
            return fail("worksheet without its part: " + entry.name);
        entry.partName = target->second;
        m_nextSheetId = std::max(m_nextSheetId, sheet.attribute("sheetId").as_int() + 1);
        std::string_view file =
            std::string_view(entry.partName).substr(Folder(entry.partName).size());
        if (file.starts_with("sheet") && file.ends_with(".xml"))
            m_nextSheetNumber =
                std::max(m_nextSheetNumber, ToInt(file.substr(5, file.size() - 9), 0) + 1);
        m_upperNames.insert(common::ToUpper(entry.name));
        m_order.push_back(static_cast<SheetId>(m_sheets.size()));
        m_sheets.push_back(std::move(entry));
    }
    if (m_order.empty())
        return fail("no worksheet");
    for (pugi::xml_node name : Child(workbook, "definedNames").children()) {
        pugi::xml_attribute local = name.attribute("localSheetId");
        if (!local)
            continue;
        int position = local.as_int(-1);
        if (position >= 0 && position < WorksheetCount())
            m_sheets[static_cast<std::size_t>(m_order[static_cast<std::size_t>(position)])]
                .localNames.push_back(name);
    }
    return true;
}

std::optional<SheetId> Workbook::Worksheet(std::string_view name) const {
    for (SheetId id : m_order) {
        const Sheet& sheet = m_sheets[static_cast<std::size_t>(id)];
        if (common::EqualsNoCase(sheet.name, name))
            return id;
    }
    return std::nullopt;
}

std::string Workbook::SheetName(SheetId sheet) const {
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= m_sheets.size())
        return {};
    return m_sheets[static_cast<std::size_t>(sheet)].name;
}

int Workbook::SheetPosition(SheetId sheet) const {
    auto found = std::find(m_order.begin(), m_order.end(), sheet);
    return found == m_order.end() ? -1 : static_cast<int>(found - m_order.begin());
}

namespace {

// The cell of a defined name's formula ("Sheet1!$B$3", "'Sheet 1'!B3:B3"): the sheet's name and
// the address; nothing for anything but a single cell.
std::optional<std::pair<std::string, CellAddress>> SingleCell(std::string_view formula) {
    formula = common::Trim(formula);
    if (formula.starts_with('='))
        formula.remove_prefix(1);
    std::size_t bang = formula.rfind('!');
    if (bang == std::string_view::npos)
        return std::nullopt;
    std::string sheetName(formula.substr(0, bang));
    if (sheetName.size() >= 2 && sheetName.front() == '\'' && sheetName.back() == '\'') {
        std::string unquoted;
        for (std::size_t i = 1; i + 1 < sheetName.size(); ++i) {
            unquoted += sheetName[i];
            if (sheetName[i] == '\'' && sheetName[i + 1] == '\'')
                ++i;
        }
        sheetName = unquoted;
    }
    std::string_view range = formula.substr(bang + 1);
    std::size_t colon = range.find(':');
    std::optional<CellAddress> first = ParseCellReference(range.substr(0, colon));
    if (!first ||
        (colon != std::string_view::npos && ParseCellReference(range.substr(colon + 1)) != first))
        return std::nullopt;
    return std::make_pair(std::move(sheetName), *first);
}

}  // namespace

std::optional<NamedCell> Workbook::ResolveName(std::string_view name,
                                               std::optional<SheetId> scope) const {
    auto& self = const_cast<Workbook&>(*this);
    pugi::xml_node workbook = self.Xml(m_workbookPart).doc.document_element();
    const int scopePosition = scope ? SheetPosition(*scope) : -1;
    // A name of the worksheet itself comes before a workbook name of the same spelling, as the
    // spreadsheet resolves a name on a worksheet.
    pugi::xml_node local;
    pugi::xml_node global;
    for (pugi::xml_node defined : Child(workbook, "definedNames").children()) {
        if (!common::EqualsNoCase(defined.attribute("name").value(), name))
            continue;
        pugi::xml_attribute sheetId = defined.attribute("localSheetId");
        if (!sheetId) {
            if (!global)
                global = defined;
        } else if (scopePosition >= 0 && sheetId.as_int(-1) == scopePosition && !local) {
            local = defined;
        }
    }
    pugi::xml_node defined = local ? local : global;
    if (!defined)
        return std::nullopt;
    auto cell = SingleCell(defined.text().get());
    if (!cell)
        return std::nullopt;
    std::optional<SheetId> sheet = Worksheet(cell->first);
    if (!sheet)
        return std::nullopt;
    return NamedCell{*sheet, cell->second};
}

pugi::xml_document* Workbook::SheetDoc(SheetId id) {
    if (id < 0 || static_cast<std::size_t>(id) >= m_sheets.size())
        return nullptr;
    Sheet& sheet = m_sheets[static_cast<std::size_t>(id)];
    if (sheet.deleted)
        return nullptr;
    if (sheet.doc)
        return sheet.doc.get();
    const Part* part = FindPart(sheet.partName);
    auto doc = std::make_unique<pugi::xml_document>();
    if (!part || !doc->load_buffer(part->bytes.data(), part->bytes.size(), kXmlParse))
        return nullptr;
    pugi::xml_node root = doc->document_element();
    pugi::xml_node data = Child(root, "sheetData");
    if (Local(root.name()) != "worksheet" || !data)
        return nullptr;
    sheet.sheetData = data;
    int implicit = 0;
    for (pugi::xml_node row : data.children()) {
        if (Local(row.name()) != "row")
            continue;
        int number = row.attribute("r").as_int(implicit + 1);
        sheet.rows[number] = row;
        implicit = number;
    }
    sheet.doc = std::move(doc);
    return sheet.doc.get();
}

pugi::xml_node Workbook::Cell(SheetId id, CellAddress address, bool create) {
    std::string reference = CellReference(address);
    if (reference.empty() || !SheetDoc(id))
        return {};
    Sheet& sheet = m_sheets[static_cast<std::size_t>(id)];
    const std::uint64_t key = (static_cast<std::uint64_t>(address.row) << 16) |
                              static_cast<std::uint64_t>(address.column);
    if (auto known = sheet.cells.find(key); known != sheet.cells.end())
        return known->second;
    pugi::xml_node row;
    if (auto found = sheet.rows.find(address.row); found != sheet.rows.end()) {
        row = found->second;
    } else {
        if (!create)
            return {};
        auto next = sheet.rows.upper_bound(address.row);
        std::string name = Qualified(sheet.sheetData, "row");
        row = next == sheet.rows.end()
                  ? sheet.sheetData.append_child(name.c_str())
                  : sheet.sheetData.insert_child_before(name.c_str(), next->second);
        row.append_attribute("r") = address.row;
        sheet.rows[address.row] = row;
    }
    int implicit = 0;
    pugi::xml_node before;
    for (pugi::xml_node cell : row.children()) {
        if (Local(cell.name()) != "c")
            continue;
        pugi::xml_attribute r = cell.attribute("r");
        int column = r ? ColumnOf(r.value()) : implicit + 1;
        implicit = column;
        if (column == address.column) {
            sheet.cells.emplace(key, cell);
            return cell;
        }
        if (column > address.column) {
            before = cell;
            break;
        }
    }
    if (!create)
        return {};
    std::string name = Qualified(row, "c");
    pugi::xml_node cell =
        before ? row.insert_child_before(name.c_str(), before) : row.append_child(name.c_str());
    cell.append_attribute("r") = reference.c_str();
    // A new cell takes the format of its row, else of its column, as the spreadsheet does.
    int style = -1;
    if (row.attribute("customFormat").as_bool())
        style = row.attribute("s").as_int(-1);
    if (style < 0) {
        for (pugi::xml_node col : Child(sheet.doc->document_element(), "cols").children()) {
            if (col.attribute("min").as_int() <= address.column &&
                address.column <= col.attribute("max").as_int() && col.attribute("style")) {
                style = col.attribute("style").as_int(-1);
                break;
            }
        }
    }
    if (style > 0)
        cell.append_attribute("s") = style;
    sheet.cells.emplace(key, cell);
    return cell;
}

bool Workbook::SetText(SheetId sheet, CellAddress address, std::string_view text) {
    pugi::xml_node cell = Cell(sheet, address, true);
    if (!cell)
        return false;
    m_sheets[static_cast<std::size_t>(sheet)].dirty = true;
    bool plain = std::all_of(text.begin(), text.end(), [](char ch) {
        return IsXmlCharacter(static_cast<unsigned char>(ch));
    });
    // A cell that holds an inline string already only gets its new text.
    pugi::xml_node first = cell.first_child();
    if (!text.empty() && plain && first && first == cell.last_child() &&
        std::string_view(cell.attribute("t").value()) == "inlineStr") {
        pugi::xml_node t = first.first_child();
        if (t && t == first.last_child() && Local(t.name()) == "t" && Local(first.name()) == "is" &&
            t.attribute("xml:space"))
            return t.text().set(text.data(), text.size());
    }
    cell.remove_children();
    cell.remove_attribute("t");
    if (text.empty())
        return true;
    cell.append_attribute("t") = "inlineStr";
    pugi::xml_node is = cell.append_child(Qualified(cell, "is").c_str());
    pugi::xml_node t = is.append_child(Qualified(cell, "t").c_str());
    t.append_attribute("xml:space") = "preserve";
    if (plain)
        return t.text().set(text.data(), text.size());
    std::string escaped = EscapeControls(text);
    return t.text().set(escaped.data(), escaped.size());
}

bool Workbook::SetDate(SheetId sheet, CellAddress address, std::chrono::year_month_day date) {
    if (!date.ok())
        return false;
    pugi::xml_node cell = Cell(sheet, address, true);
    if (!cell)
        return false;
    m_sheets[static_cast<std::size_t>(sheet)].dirty = true;
    cell.remove_children();
    cell.remove_attribute("t");
    cell.append_child(Qualified(cell, "v").c_str())
        .text()
        .set(std::to_string(static_cast<long>(SerialDate(date))).c_str());
    return ChangeStyle(sheet, address, StyleChange::Date);
}

bool Workbook::SetWrapText(SheetId sheet, CellAddress address, bool on) {
    return ChangeStyle(sheet, address, on ? StyleChange::WrapOn : StyleChange::WrapOff);
}

bool Workbook::SetShrinkToFit(SheetId sheet, CellAddress address, bool on) {
    return ChangeStyle(sheet, address, on ? StyleChange::ShrinkOn : StyleChange::ShrinkOff);
}

bool Workbook::ChangeStyle(SheetId sheet, CellAddress address, StyleChange change) {
    pugi::xml_node cell = Cell(sheet, address, true);
    if (!cell)
        return false;
    int style = cell.attribute("s").as_int(0);
    std::optional<int> derived = DeriveStyle(style, change);
    if (!derived)
        return false;
    if (*derived != style) {
        pugi::xml_attribute s = cell.attribute("s");
        if (!s)
            s = cell.append_attribute("s");
        s = *derived;
    }
    m_sheets[static_cast<std::size_t>(sheet)].dirty = true;
    return true;
}

// The cell format `style` with one change, added to the styles once per format and change.
// A workbook without a styles part, or a cell format that does not exist, cannot be changed.
std::optional<int> Workbook::DeriveStyle(int style, StyleChange change) {
    if (auto known = m_derivedStyles.find({style, change}); known != m_derivedStyles.end())
        return known->second;
    if (m_stylesPart.empty() || !FindPart(m_stylesPart))
        return std::nullopt;
    XmlPart& styles = Xml(m_stylesPart);
    pugi::xml_node root = styles.doc.document_element();
    pugi::xml_node cellXfs = Child(root, "cellXfs");
    pugi::xml_node xf;
    int index = 0;
    for (pugi::xml_node child : cellXfs.children()) {
        if (Local(child.name()) != "xf")
            continue;
        if (index++ == style) {
            xf = child;
            break;
        }
    }
    if (!xf)
        return std::nullopt;

    std::optional<int> result;
    if (change == StyleChange::Date) {
        int format = xf.attribute("numFmtId").as_int(0);
        bool isDate = IsBuiltInDateFormat(format);
        for (pugi::xml_node numFmt : Child(root, "numFmts").children()) {
            if (numFmt.attribute("numFmtId").as_int(-1) == format)
                isDate = IsDateFormatCode(numFmt.attribute("formatCode").value());
        }
        if (isDate)
            result = style;
    } else {
        const char* attribute = change == StyleChange::WrapOn || change == StyleChange::WrapOff
                                    ? "wrapText"
                                    : "shrinkToFit";
        bool on = change == StyleChange::WrapOn || change == StyleChange::ShrinkOn;
        if (Child(xf, "alignment").attribute(attribute).as_bool() == on)
            result = style;
    }
    if (!result) {
        int count = 0;
        for (pugi::xml_node child : cellXfs.children())
            count += Local(child.name()) == "xf" ? 1 : 0;
        pugi::xml_node copy = cellXfs.append_copy(xf);
        if (change == StyleChange::Date) {
            copy.remove_attribute("numFmtId");
            copy.append_attribute("numFmtId") = 14;
            copy.remove_attribute("applyNumberFormat");
            copy.append_attribute("applyNumberFormat") = 1;
        } else {
            pugi::xml_node alignment = Child(copy, "alignment");
            if (!alignment)
                alignment = copy.prepend_child(Qualified(copy, "alignment").c_str());
            const char* attribute = change == StyleChange::WrapOn || change == StyleChange::WrapOff
                                        ? "wrapText"
                                        : "shrinkToFit";
            bool on = change == StyleChange::WrapOn || change == StyleChange::ShrinkOn;
            alignment.remove_attribute(attribute);
            alignment.append_attribute(attribute) = on ? 1 : 0;
            copy.remove_attribute("applyAlignment");
            copy.append_attribute("applyAlignment") = 1;
        }
        pugi::xml_attribute countAttribute = cellXfs.attribute("count");
        if (countAttribute)
            countAttribute = count + 1;
        styles.dirty = true;
        result = count;
    }
    m_derivedStyles[{style, change}] = *result;
    return result;
}

std::optional<SheetId> Workbook::CopySheetAfter(SheetId source, SheetId after) {
    int afterPosition = SheetPosition(after);
    pugi::xml_document* doc = SheetDoc(source);
    if (afterPosition < 0 || !doc)
        return std::nullopt;
    struct {
        std::string name, partName, relId;
    } const src = {m_sheets[static_cast<std::size_t>(source)].name,
                   m_sheets[static_cast<std::size_t>(source)].partName,
                   m_sheets[static_cast<std::size_t>(source)].relId};
    std::vector<pugi::xml_node> srcLocalNames =
        m_sheets[static_cast<std::size_t>(source)].localNames;

    // The copy's XML: the source as it is now, not selected (the workbook keeps one selected
    // tab).
    std::vector<pugi::xml_node> selected;
    for (pugi::xml_node view : Child(doc->document_element(), "sheetViews").children()) {
        if (view.attribute("tabSelected").as_bool())
            selected.push_back(view);
    }
    for (pugi::xml_node view : selected)
        view.attribute("tabSelected").set_value("0");
    // A copy is about as long as the previous one: one allocation, no regrowth.
    std::string copyXml = Serialise(*doc, m_lastCopySize + m_lastCopySize / 8);
    m_lastCopySize = copyXml.size();
    for (pugi::xml_node view : selected)
        view.attribute("tabSelected").set_value("1");

    // Excel's name for a copy: the name without a former copy number, then " (n)".
    std::string stem = src.name;
    if (stem.ends_with(')')) {
        std::size_t open = stem.rfind(" (");
        if (open != std::string::npos &&
            ToInt(std::string_view(stem).substr(open + 2, stem.size() - open - 3), 0) > 0)
            stem.resize(open);
    }
    std::string name;
    int& counter = m_copyCounters.try_emplace(common::ToUpper(stem), 2).first->second;
    do {
        std::string suffix = " (" + std::to_string(counter++) + ")";
        std::string base = stem;
        while (base.size() + suffix.size() > 31 && !base.empty()) {
            base.pop_back();
            while (!base.empty() && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80)
                base.pop_back();
            if (!base.empty() && static_cast<unsigned char>(base.back()) >= 0xC0)
                base.pop_back();
        }
        name = base + suffix;
    } while (m_upperNames.contains(common::ToUpper(name)));

    // The part, its relationships, its content type.
    std::string folder = Folder(src.partName);
    std::string partName;
    do {
        partName = folder + "sheet" + std::to_string(m_nextSheetNumber++) + ".xml";
    } while (m_partIndex.contains(partName));
    AddPart(partName, std::move(copyXml));
    if (const Part* rels = FindPart(RelsPartOf(src.partName)))
        AddPart(RelsPartOf(partName), std::string(rels->bytes));
    XmlPart& types = Xml(std::string(kContentTypes));
    pugi::xml_node& sourceType = m_sheets[static_cast<std::size_t>(source)].typeOverride;
    if (!sourceType) {
        const std::string sourcePartName = "/" + src.partName;
        for (pugi::xml_node override : types.doc.document_element().children()) {
            if (sourcePartName == override.attribute("PartName").value())
                sourceType = override;
        }
    }
    pugi::xml_node copyType;
    if (sourceType) {
        copyType = types.doc.document_element().append_copy(sourceType);
        copyType.attribute("PartName").set_value(("/" + partName).c_str());
        types.dirty = true;
    }
    // Above every "rIdN" of the workbook's relationships, so never one of them.
    std::string relId = "rId" + std::to_string(m_nextRelId++);
    XmlPart& rels = Xml(m_workbookRels);
    pugi::xml_node relationship = rels.doc.document_element().append_child(
        Qualified(rels.doc.document_element(), "Relationship").c_str());
    relationship.append_attribute("Type") = std::string(kRelWorksheet).c_str();
    std::string workbookFolder = Folder(m_workbookPart);
    std::string target = partName.starts_with(workbookFolder)
                             ? partName.substr(workbookFolder.size())
                             : "/" + partName;
    relationship.append_attribute("Target") = target.c_str();
    relationship.append_attribute("Id") = relId.c_str();
    rels.dirty = true;

    // The sheet entry of the workbook, right after `after`.
    XmlPart& book = Xml(m_workbookPart);
    pugi::xml_node sheets = Child(book.doc.document_element(), "sheets");
    pugi::xml_node entry =
        sheets.insert_copy_after(m_sheets[static_cast<std::size_t>(source)].entry,
                                 m_sheets[static_cast<std::size_t>(after)].entry);
    entry.attribute("name").set_value(name.c_str());
    entry.attribute("sheetId").set_value(m_nextSheetId++);
    PrefixedAttribute(entry, "id").set_value(relId.c_str());
    book.dirty = true;

    SheetId copy = static_cast<SheetId>(m_sheets.size());
    Sheet added;
    added.entry = entry;
    added.typeOverride = copyType;
    added.name = name;
    added.partName = partName;
    added.relId = relId;
    m_sheets.push_back(std::move(added));
    m_upperNames.insert(common::ToUpper(name));
    int position = afterPosition + 1;
    m_order.insert(m_order.begin() + position, copy);

    // Sheet-level names travel with the copy; the ones of the sheets behind it move along.
    pugi::xml_node definedNames = Child(book.doc.document_element(), "definedNames");
    std::string quotedName = QuotedSheetName(name) + "!";
    for (pugi::xml_node local : srcLocalNames) {
        pugi::xml_node named = definedNames.append_copy(local);
        named.text().set(ReplaceSheetReference(local.text().get(), src.name, quotedName).c_str());
        m_sheets[static_cast<std::size_t>(copy)].localNames.push_back(named);
    }
    for (std::size_t i = static_cast<std::size_t>(position); i < m_order.size(); ++i) {
        for (pugi::xml_node local : m_sheets[static_cast<std::size_t>(m_order[i])].localNames)
            local.attribute("localSheetId").set_value(static_cast<int>(i));
    }
    return copy;
}

bool Workbook::DeleteSheet(SheetId id) {
    int position = SheetPosition(id);
    if (position < 0 || WorksheetCount() < 2)
        return false;
    Sheet& sheet = m_sheets[static_cast<std::size_t>(id)];

    XmlPart& book = Xml(m_workbookPart);
    pugi::xml_node workbook = book.doc.document_element();
    Child(workbook, "sheets").remove_child(sheet.entry);
    pugi::xml_node definedNames = Child(workbook, "definedNames");
    for (pugi::xml_node local : sheet.localNames)
        definedNames.remove_child(local);
    sheet.localNames.clear();
    for (pugi::xml_node defined : definedNames.children()) {
        if (!defined.attribute("localSheetId"))
            defined.text().set(
                ReplaceSheetReference(defined.text().get(), sheet.name, "#REF!").c_str());
    }
    if (pugi::xml_node views = Child(workbook, "bookViews")) {
        for (pugi::xml_node view : views.children()) {
            for (const char* attribute : {"activeTab", "firstSheet"}) {
                pugi::xml_attribute tab = view.attribute(attribute);
                if (tab && tab.as_int() > position)
                    tab.set_value(tab.as_int() - 1);
                else if (tab && tab.as_int() >= WorksheetCount() - 1)
                    tab.set_value(0);
            }
        }
    }

    // The relationship, the content type and the part itself; the calculation chain, which
    // counts on the sheets it names, goes too.
    XmlPart& rels = Xml(m_workbookRels);
    std::vector<pugi::xml_node> dropRels;
    std::vector<std::string> dropParts = {sheet.partName, RelsPartOf(sheet.partName)};
    for (pugi::xml_node rel : rels.doc.document_element().children()) {
        std::string_view type = rel.attribute("Type").value();
        if (std::string_view(rel.attribute("Id").value()) == sheet.relId) {
            dropRels.push_back(rel);
        } else if (type.ends_with(kRelSuffixCalcChain)) {
            dropRels.push_back(rel);
            dropParts.push_back(
                ResolveTarget(Folder(m_workbookPart), rel.attribute("Target").value()));
        }
    }
    for (pugi::xml_node rel : dropRels)
        rels.doc.document_element().remove_child(rel);
    rels.dirty = true;
    XmlPart& types = Xml(std::string(kContentTypes));
    std::vector<pugi::xml_node> dropTypes;
    for (pugi::xml_node override : types.doc.document_element().children()) {
        std::string_view partName = override.attribute("PartName").value();
        for (const std::string& dropped : dropParts) {
            if (partName == "/" + dropped)
                dropTypes.push_back(override);
        }
    }
    for (pugi::xml_node override : dropTypes)
        types.doc.document_element().remove_child(override);
    types.dirty = true;
    for (const std::string& dropped : dropParts) {
        if (Part* part = FindPart(dropped)) {
            part->removed = true;
            part->bytes.clear();
            part->bytes.shrink_to_fit();
        }
    }
    book.dirty = true;

    m_upperNames.erase(common::ToUpper(sheet.name));
    sheet.deleted = true;
    sheet.doc.reset();
    sheet.rows.clear();
    sheet.cells.clear();
    m_order.erase(m_order.begin() + position);
    for (std::size_t i = static_cast<std::size_t>(position); i < m_order.size(); ++i) {
        for (pugi::xml_node local : m_sheets[static_cast<std::size_t>(m_order[i])].localNames)
            local.attribute("localSheetId").set_value(static_cast<int>(i));
    }
    return true;
}

std::string Workbook::SharedString(std::size_t index) const {
    if (!m_sharedStrings) {
        m_sharedStrings.emplace();
        auto& self = const_cast<Workbook&>(*this);
        std::string partName;
        for (pugi::xml_node rel : self.Xml(m_workbookRels).doc.document_element().children()) {
            if (std::string_view(rel.attribute("Type").value()).ends_with(kRelSuffixSharedStrings))
                partName = ResolveTarget(Folder(m_workbookPart), rel.attribute("Target").value());
        }
        if (const Part* part = FindPart(partName)) {
            pugi::xml_document doc;
            doc.load_buffer(part->bytes.data(), part->bytes.size(), kXmlParse);
            for (pugi::xml_node item : doc.document_element().children()) {
                if (Local(item.name()) == "si")
                    m_sharedStrings->push_back(StringItemText(item));
            }
        }
    }
    return index < m_sharedStrings->size() ? (*m_sharedStrings)[index] : std::string();
}

std::string Workbook::Text(SheetId sheet, CellAddress address) const {
    auto& self = const_cast<Workbook&>(*this);
    pugi::xml_node cell = self.Cell(sheet, address, false);
    if (!cell)
        return {};
    std::string_view type = cell.attribute("t").value();
    if (type == "s")
        return SharedString(static_cast<std::size_t>(Child(cell, "v").text().as_ullong()));
    if (type == "inlineStr")
        return StringItemText(Child(cell, "is"));
    return UnescapeControls(Child(cell, "v").text().get());
}

void Workbook::SerialiseDirty() {
    for (auto& [partName, xml] : m_xml) {
        if (!xml->dirty)
            continue;
        if (Part* part = FindPart(partName)) {
            part->bytes = Serialise(xml->doc);
        }
        xml->dirty = false;
    }
    for (Sheet& sheet : m_sheets) {
        if (sheet.deleted || !sheet.dirty || !sheet.doc)
            continue;
        if (Part* part = FindPart(sheet.partName)) {
            part->bytes = Serialise(*sheet.doc);
        }
        sheet.dirty = false;
    }
}

std::optional<std::string> Workbook::ToBytes(std::string* why) {
    SerialiseDirty();
    zip_error_t error;
    zip_error_init(&error);
    auto fail = [&](const char* what) -> std::optional<std::string> {
        if (why)
            *why = std::string(what) + ": " + zip_error_strerror(&error);
        zip_error_fini(&error);
        return std::nullopt;
    };
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        return fail("zip buffer");
    zip_source_keep(buffer);
    ZipArchive zip;
    zip.archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!zip.archive) {
        zip_source_free(buffer);
        zip_source_free(buffer);
        return fail("zip archive");
    }
    for (const Part& part : m_parts) {
        if (part.removed)
            continue;
        zip_int64_t index = -1;
        if (part.name.ends_with('/')) {
            index = zip_dir_add(zip.archive, part.name.c_str(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t* content =
                zip_source_buffer(zip.archive, part.bytes.data(), part.bytes.size(), 0);
            if (content) {
                index = zip_file_add(zip.archive, part.name.c_str(), content, ZIP_FL_ENC_UTF_8);
                if (index < 0)
                    zip_source_free(content);
                else
                    // Fast deflate: a table of thousands of pages is written in a moment.
                    zip_set_file_compression(zip.archive, static_cast<zip_uint64_t>(index),
                                             ZIP_CM_DEFLATE, 1);
            }
        }
        if (index < 0) {
            zip_error_set(&error, zip_error_code_zip(zip_get_error(zip.archive)), 0);
            zip_source_free(buffer);
            return fail(("zip entry " + part.name).c_str());
        }
    }
    if (zip_close(zip.archive) != 0) {
        zip_error_set(&error, zip_error_code_zip(zip_get_error(zip.archive)), 0);
        zip_source_free(buffer);
        return fail("zip write");
    }
    zip.archive = nullptr;
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            zip_int64_t read =
                zip_source_read(buffer, bytes.data(), static_cast<zip_uint64_t>(size));
            if (read != size)
                bytes.clear();
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (bytes.empty())
        return fail("zip read back");
    zip_error_fini(&error);
    return bytes;
}

bool Workbook::Save(const std::filesystem::path& path, std::string* why) {
    std::optional<std::string> bytes = ToBytes(why);
    if (!bytes)
        return false;
    if (std::error_code error = common::WriteFileAtomically(path, *bytes)) {
        if (why)
            *why = path.string() + ": " + common::Describe(error);
        return false;
    }
    return true;
}

}  // namespace kablos::printing
