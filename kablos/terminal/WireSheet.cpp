#include "WireSheet.h"

#include <algorithm>

namespace kablos {

WireSheet::WireSheet(std::string caption) : m_caption(std::move(caption)) {
    m_timer3.setInterval(3000);
    QObject::connect(&m_timer3, &QTimer::timeout, [this] {
        if (m_onTimer3)
            m_onTimer3();
    });
}

void WireSheet::Load(const OpenedSet& set) {
    m_grid = set.grid;
    m_done = set.procEndFlg;
    m_wireSize = set.wireSize;
    m_cursor = set.cursor;
    m_selection.reset();
    m_top = 0;
}

void WireSheet::ShowJob(bool running) {
    m_jobShown = running;
    if (running)
        ++m_jobsShown;
}

std::string WireSheet::WireCell(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= m_grid.rows.size())
        return {};
    const std::vector<std::string>& cells = m_grid.rows[static_cast<std::size_t>(row)];
    return column >= 0 && static_cast<std::size_t>(column) < cells.size()
               ? cells[static_cast<std::size_t>(column)]
               : std::string();
}

void WireSheet::MarkWireDone(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_done.size())
        return;
    m_done[static_cast<std::size_t>(row)] = 1;
    m_grid.green[static_cast<std::size_t>(row)] = true;
}

int WireSheet::LastVisibleWireRow() const {
    const int last = WireRowCount() - 1;
    return m_visibleRows <= 0 ? last : std::min(last, m_top + m_visibleRows - 1);
}

void WireSheet::SelectWireRow(int row) {
    m_cursor = row;
    m_selection = Selection{row, 1, WireColumnCount() - 1};
}

void WireSheet::SetTimer3(bool on) {
    if (on) {
        m_timer3.start();
    } else {
        m_timer3.stop();
    }
}

}  // namespace kablos
