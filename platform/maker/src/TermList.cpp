#include "services/termlist.h"

#include <algorithm>
#include <array>
#include <vector>

#include "Store.h"

namespace zelko {

namespace fs = std::filesystem;
using detail::Statement;

namespace {

/// Text fields of a terminal, in the order the load query reads them.
enum TextField {
    kPanelNo,
    kDrawing,
    kTag,
    kTerminalNo,
    kSecondName,
    kPartCode,
    kType,
    kSpec,
    kConnector,
    kUnit,
    kWireDir,
    kTubeDir,
    kTerminalKind,
    kFace,
    kTextFields
};

constexpr std::uint32_t kMissing = UINT32_MAX;

constexpr std::string_view kLoadQuery =
    "SELECT owner_id, kind, order_no, pin, pin_x, pin_y, pin_z, mirrored, mirror_count, "
    "wire_code, tube_code, "
    "panel_no, drawing, tag, terminal_no, second_name, part_code, type, spec, connector, unit, "
    "wire_dir, tube_dir, terminal_kind, face "
    "FROM terminal WHERE list = ? AND revision = ? ORDER BY id";
constexpr int kFirstText = 11;

char16_t CodeOf(const Statement& row, int col) {
    std::string_view text = row.TextView(col);
    return text.empty() ? u' ' : static_cast<char16_t>(static_cast<unsigned char>(text[0]));
}

}  // namespace

struct Term {
    const std::vector<char>* texts = nullptr;
    int ownerId = 0;
    int kind = 0;
    int orderNo = -1;
    int pin = 0;
    double pinX = 0;
    double pinY = 0;
    double pinZ = 0;
    int mirrored = 0;
    int mirrorCount = 0;
    char16_t wireCode = u' ';
    char16_t tubeCode = u' ';
    std::array<std::uint32_t, kTextFields> text{};

    const char* Text(TextField field) const {
        const auto offset = text[field];
        return offset == kMissing ? nullptr : texts->data() + offset;
    }
};

struct TermItems : detail::Handle {
    std::vector<const Term*> items;
};

struct TermList : detail::Handle {
    TermListKind kind = TermListKind::Components;
    fs::path project;
    bool open = false;
    bool loaded = false;
    std::vector<char> texts;  // every text of the loaded terminals, each ended by a 0
    std::vector<Term> terms;
};

TermList* TermListInit(TermListKind kind) {
    auto* list = new TermList();
    list->kind = kind;
    return list;
}

void TermListFree(TermList* list) {
    delete list;
}

bool TermListOpen(TermList* list, std::string_view folder) {
    if (list == nullptr) {
        return false;
    }
    TermListClose(list);
    fs::path project = detail::ProjectOfFolder(folder);
    if (project.empty()) {
        return false;
    }
    list->project = project;
    list->open = true;
    return true;
}

bool TermListLoad(TermList* list, int variant) {
    if (list == nullptr || !list->open) {
        detail::SetLastError("ZELKOWPU: the terminal list is not open");
        return false;
    }
    auto db = detail::OpenProjectStore(list->project);
    if (!db) {
        return false;
    }
    Statement query(db.get(), kLoadQuery, "ZELKOWPU");
    if (!query.ok()) {
        return false;
    }
    query.Bind(1, static_cast<std::int64_t>(list->kind));
    query.Bind(2, std::int64_t{variant});
    std::vector<char> texts;
    std::vector<Term> terms;
    Statement count(db.get(), "SELECT count(*) FROM terminal WHERE list = ? AND revision = ?",
                    "ZELKOWPU");
    count.Bind(1, static_cast<std::int64_t>(list->kind));
    count.Bind(2, std::int64_t{variant});
    if (count.Step()) {
        const auto expected = static_cast<std::size_t>(count.Int(0));
        terms.reserve(expected);
        texts.reserve(expected * 96);
    }
    while (query.Step()) {
        Term term;
        term.ownerId = static_cast<int>(query.Int(0));
        term.kind = static_cast<int>(query.Int(1));
        term.orderNo = static_cast<int>(query.Int(2));
        term.pin = static_cast<int>(query.Int(3));
        term.pinX = query.Real(4);
        term.pinY = query.Real(5);
        term.pinZ = query.Real(6);
        term.mirrored = static_cast<int>(query.Int(7));
        term.mirrorCount = static_cast<int>(query.Int(8));
        term.wireCode = CodeOf(query, 9);
        term.tubeCode = CodeOf(query, 10);
        for (int field = 0; field < kTextFields; ++field) {
            const char* data = nullptr;
            std::string_view value = query.TextView(kFirstText + field, data);
            if (data == nullptr) {  // NULL: missing
                term.text[static_cast<std::size_t>(field)] = kMissing;
                continue;
            }
            term.text[static_cast<std::size_t>(field)] = static_cast<std::uint32_t>(texts.size());
            texts.insert(texts.end(), value.begin(), value.end());
            texts.push_back('\0');
        }
        terms.push_back(term);
    }
    if (query.failed()) {
        return false;
    }
    if (terms.empty()) {
        detail::SetLastError("ZELKOWPU: the wiring plan holds no terminal of this list (variant " +
                             std::to_string(variant) + ")");
        return false;
    }
    list->texts = std::move(texts);
    list->terms = std::move(terms);
    for (auto& term : list->terms) {
        term.texts = &list->texts;
    }
    list->loaded = true;
    return true;
}

void TermListClose(TermList* list) {
    if (list == nullptr) {
        return;
    }
    list->open = false;
    list->loaded = false;
    list->terms.clear();
    list->texts.clear();
}

TermItems* TermListItems(TermList* list) {
    if (list == nullptr || !list->loaded) {
        return nullptr;
    }
    auto* items = new TermItems();
    items->items.reserve(list->terms.size());
    for (const auto& term : list->terms) {
        items->items.push_back(&term);
    }
    return items;
}

void TermItemsFree(TermItems* items) {
    delete items;
}

void TermItemsFilter(TermItems* items, const std::function<bool(const Term*)>& keep) {
    if (items == nullptr) {
        return;
    }
    std::erase_if(items->items, [&](const Term* term) { return !keep(term); });
}

void TermItemsSort(TermItems* items, const std::function<int(const Term*, const Term*)>& compare) {
    if (items == nullptr) {
        return;
    }
    std::stable_sort(items->items.begin(), items->items.end(),
                     [&](const Term* a, const Term* b) { return compare(a, b) < 0; });
}

int TermItemsCount(const TermItems* items) {
    return items != nullptr ? static_cast<int>(items->items.size()) : 0;
}

const Term* TermItemsAt(const TermItems* items, int index) {
    if (items == nullptr || index < 0 || index >= static_cast<int>(items->items.size())) {
        return nullptr;
    }
    return items->items[static_cast<std::size_t>(index)];
}

int TermPanelOrPlateId(const Term* term) {
    return term != nullptr ? term->ownerId : 0;
}
int TermKindCode(const Term* term) {
    return term != nullptr ? term->kind : 0;
}
int TermOrderNo(const Term* term) {
    return term != nullptr ? term->orderNo : 0;
}
const char* TermPanelNo(const Term* term) {
    return term != nullptr ? term->Text(kPanelNo) : nullptr;
}
const char* TermDrawingName(const Term* term) {
    return term != nullptr ? term->Text(kDrawing) : nullptr;
}
const char* TermComponentTag(const Term* term) {
    return term != nullptr ? term->Text(kTag) : nullptr;
}
const char* TermTerminalNo(const Term* term) {
    return term != nullptr ? term->Text(kTerminalNo) : nullptr;
}
const char* TermSecondName(const Term* term) {
    return term != nullptr ? term->Text(kSecondName) : nullptr;
}
const char* TermPartCode(const Term* term) {
    return term != nullptr ? term->Text(kPartCode) : nullptr;
}
const char* TermType(const Term* term) {
    return term != nullptr ? term->Text(kType) : nullptr;
}
const char* TermSpec(const Term* term) {
    return term != nullptr ? term->Text(kSpec) : nullptr;
}
const char* TermConnectorTag(const Term* term) {
    return term != nullptr ? term->Text(kConnector) : nullptr;
}
const char* TermUnit(const Term* term) {
    return term != nullptr ? term->Text(kUnit) : nullptr;
}
int TermDefaultPin(const Term* term) {
    return term != nullptr ? term->pin : 0;
}
void TermPinOffset(const Term* term, double& x, double& y, double& z) {
    x = term != nullptr ? term->pinX : 0.0;
    y = term != nullptr ? term->pinY : 0.0;
    z = term != nullptr ? term->pinZ : 0.0;
}
const char* TermWireDirText(const Term* term) {
    return term != nullptr ? term->Text(kWireDir) : nullptr;
}
const char* TermTubeDirText(const Term* term) {
    return term != nullptr ? term->Text(kTubeDir) : nullptr;
}
char16_t TermWireDirCode(const Term* term) {
    return term != nullptr ? term->wireCode : u' ';
}
char16_t TermTubeDirCode(const Term* term) {
    return term != nullptr ? term->tubeCode : u' ';
}
int TermMirrored(const Term* term) {
    return term != nullptr ? term->mirrored : 0;
}
int TermMirrorCount(const Term* term) {
    return term != nullptr ? term->mirrorCount : 0;
}
const char* TermKindText(const Term* term) {
    return term != nullptr ? term->Text(kTerminalKind) : nullptr;
}
const char* TermFaceText(const Term* term) {
    return term != nullptr ? term->Text(kFace) : nullptr;
}

}  // namespace zelko
