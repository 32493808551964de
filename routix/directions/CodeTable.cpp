#include "directions/CodeTable.h"

#include "common/text.h"
#include "frame/MessageIds.h"
#include "frame/Resources.h"

namespace routix {

CodeTable::CodeTable(bool is3D, bool varies) {
    m_entries.push_back({'T', LoadResourceString(IDS_FROM_TOP)});
    m_entries.push_back({'B', LoadResourceString(IDS_FROM_BOTTOM)});
    m_entries.push_back({'L', LoadResourceString(IDS_FROM_LEFT)});
    m_entries.push_back({'R', LoadResourceString(IDS_FROM_RIGHT)});
    if (is3D)
        m_entries.push_back({'N', LoadResourceString(IDS_NEAREST_DUCT)});
    m_emptyIndex = Count();
    m_entries.push_back({'_', LoadResourceString(IDS_EMPTY)});
    if (varies)
        m_entries.push_back({'*', std::string(kVariesLabel)});
}

int CodeTable::VariesIndex() const {
    return m_entries.back().code == '*' ? Count() - 1 : -1;
}

int CodeTable::IndexOf(std::string_view code) const {
    if (code.empty())
        return m_emptyIndex;
    for (int i = 0; i < m_emptyIndex; ++i) {
        if (m_entries[i].code == code[0])
            return i;
    }
    return m_emptyIndex;
}

const std::string& CodeTable::LabelOf(std::string_view code) const {
    return m_entries[IndexOf(code)].label;
}

std::string CodeTable::ComboList() const {
    std::string list;
    for (const Entry& entry : m_entries) {
        if (!list.empty())
            list += '\t';
        list += entry.label;
    }
    return list;
}

std::optional<std::string> CodeTable::CodeOfLabel(std::string_view label) const {
    if (label.starts_with('*'))
        return std::nullopt;
    for (const Entry& entry : m_entries) {
        if (entry.code != '*' && common::EqualsNoCase(entry.label, label))
            return entry.code == '_' ? std::string() : std::string(1, entry.code);
    }
    return std::nullopt;
}

}  // namespace routix
