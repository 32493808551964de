#include "StripEnvEditor.h"

#include <cmath>

#include "common/numbers.h"
#include "common/text.h"

namespace kablos {
namespace {

bool Exists(const IniData& ini, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < ini.StripEnv.size();
}

std::string Trimmed(const std::string& text) {
    return std::string(common::Trim(text));
}

// The unit count of the box: a numeric text truncated toward minus infinity, when above 0.
std::optional<std::string> UnitCount(std::string_view text) {
    std::optional<double> value = common::ParseNumber(text);
    if (!value)
        return std::nullopt;
    const double whole = std::floor(*value);
    if (!(whole > 0) || whole > 2147483647.0)
        return std::nullopt;
    return std::to_string(static_cast<std::int32_t>(whole));
}

}  // namespace

StripEnvEditor::StripEnvEditor(IniData& ini, Messenger& messenger)
    : m_ini(ini), m_messenger(messenger) {}

void StripEnvEditor::Open() {
    m_shown = -1;
    Choose(m_ini.EnvNo);
}

std::vector<std::string> StripEnvEditor::Names() const {
    std::vector<std::string> names;
    for (const StripEnvironment& env : m_ini.StripEnv)
        names.push_back(env.EnvName);
    return names;
}

void StripEnvEditor::Choose(int index) {
    if (Exists(m_ini, m_shown))
        StoreInto(m_shown);
    m_grid.clear();
    if (!Exists(m_ini, index)) {
        cutCntText.clear();
        wtkChecked = false;
        m_shown = -1;
        return;
    }
    const StripEnvironment& env = m_ini.StripEnv[static_cast<std::size_t>(index)];
    for (const StripRow& row : env.Rows) {
        m_grid.appendRow({Trimmed(row.TermType), Trimmed(row.SizeFrom), Trimmed(row.SizeTo),
                          Trimmed(row.StripLen), Trimmed(row.SemiLen)});
    }
    cutCntText = env.CutCnt;
    wtkChecked = env.WtkFlag == 1;
    m_shown = index;
}

void StripEnvEditor::StoreInto(int index) {
    if (!Exists(m_ini, index))
        return;
    StripEnvironment& env = m_ini.StripEnv[static_cast<std::size_t>(index)];
    env.Rows.clear();
    for (int r = 1; r <= m_grid.rows(); ++r) {
        const std::vector<std::string>& cells = m_grid.row(r);
        env.Rows.push_back(StripRow{cells[0], cells[1], cells[2], cells[3], cells[4]});
    }
    if (std::optional<std::string> count = UnitCount(cutCntText)) {
        env.CutCnt = *count;
    } else {
        m_messenger.Warn(kUnitCountRefused);
    }
    env.WtkFlag = wtkChecked ? 1 : 0;
}

bool StripEnvEditor::StoreForOk() {
    if (!Exists(m_ini, m_shown)) {
        m_messenger.Warn(kNoEnvironmentChosen);
        return false;
    }
    m_ini.EnvNo = static_cast<std::int16_t>(m_shown);
    StoreInto(m_shown);
    return true;
}

bool StripEnvEditor::Add(std::string_view name, int listSelected) {
    if (name.empty()) {
        m_messenger.Warn(kNoNewName);
        return false;
    }
    // A fresh environment has unit count 1 and the flag off; it gets one empty row.
    StripEnvironment added = Exists(m_ini, listSelected)
                                 ? m_ini.StripEnv[static_cast<std::size_t>(listSelected)]
                                 : StripEnvironment{{}, "1", 0, {StripRow{}}};
    added.EnvName = FieldText(name);
    m_ini.StripEnv.push_back(std::move(added));
    return true;
}

bool StripEnvEditor::Rename(std::string_view name, int listSelected) {
    if (name.empty() || listSelected < 1 || !Exists(m_ini, listSelected))
        return false;
    m_ini.StripEnv[static_cast<std::size_t>(listSelected)].EnvName = FieldText(name);
    return true;
}

int StripEnvEditor::Delete(int listSelected) {
    const int before = m_shown;
    if (Exists(m_ini, listSelected)) {
        m_ini.StripEnv.erase(m_ini.StripEnv.begin() + listSelected);
        // The shown environment and EnvNo follow their environments.
        if (m_shown == listSelected) {
            m_shown = -1;
        } else if (m_shown > listSelected) {
            --m_shown;
        }
        if (m_ini.EnvNo == listSelected) {
            m_ini.EnvNo = m_ini.StripEnv.empty() ? -1 : 0;
        } else if (m_ini.EnvNo > listSelected) {
            --m_ini.EnvNo;
        }
        if (!Exists(m_ini, m_ini.EnvNo))
            m_ini.EnvNo = -1;
    }
    const int position = Exists(m_ini, before) ? before : (m_ini.StripEnv.empty() ? -1 : 0);
    Choose(position);
    return m_shown;
}

}  // namespace kablos
