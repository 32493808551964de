#pragma once

// The wire grid and the window state as the processing job sees them, without a window: the
// unattended batch run and the tests drive the job through it. A sheet shows `visibleRows` rows
// at a time (0: all), so the scrolling rule works as in the window.

#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ProcessingJob.h"
#include "WireLists.h"

namespace kablos {

class WireSheet : public JobView {
public:
    explicit WireSheet(std::string caption = {});

    /// Shows an opened set: its wire grid, done marks and cursor.
    void Load(const OpenedSet& set);

    bool done(int row) const {
        return static_cast<std::size_t>(row) < m_done.size() &&
               m_done[static_cast<std::size_t>(row)];
    }
    const std::vector<std::int16_t>& procEndFlg() const { return m_done; }
    const TextGrid& grid() const { return m_grid; }
    /// The selection NextLine made: row, first and last column; nothing before any.
    struct Selection {
        int row;
        int firstColumn;
        int lastColumn;
    };
    std::optional<Selection> selection() const { return m_selection; }
    bool timer3Active() const { return m_timer3.isActive(); }
    /// The code the job ended the program with; -1 while it has not.
    int endedWith() const { return m_endedWith; }
    int jobsShown() const { return m_jobsShown; }

    void setVisibleRows(int rows) { m_visibleRows = rows; }
    /// Runs at every Timer3 tick (the job's Timer3Tick).
    void setTimer3Tick(std::function<void()> tick) { m_onTimer3 = std::move(tick); }

    // JobView
    bool JobShown() const override { return m_jobShown; }
    void ShowJob(bool running) override;
    void BusyPointer() override {}
    void DefaultPointer() override {}
    std::string Caption() const override { return m_caption; }
    int WireColumnCount() const override { return static_cast<int>(m_grid.header.size()); }
    int WireRowCount() const override { return static_cast<int>(m_grid.rows.size()); }
    std::optional<int> CurrentWireRow() const override { return m_cursor; }
    std::string WireCell(int row, int column) const override;
    std::string SetWireSize() const override { return m_wireSize; }
    void MarkWireDone(int row) override;
    int TopWireRow() const override { return m_top; }
    int LastVisibleWireRow() const override;
    void ScrollWireRows(int rows) override { m_top += rows; }
    void SetCurrentWireRow(int row) override { m_cursor = row; }
    void SelectWireRow(int row) override;
    void FocusWireGrid() override {}
    void ShowWireLengths() override {}
    void SetTimer3(bool on) override;
    void EndProgram(int code) override { m_endedWith = code; }

private:
    std::string m_caption;
    TextGrid m_grid;
    std::vector<std::int16_t> m_done;
    std::string m_wireSize;
    std::optional<int> m_cursor;
    std::optional<Selection> m_selection;
    int m_top = 0;
    int m_visibleRows = 0;
    bool m_jobShown = false;
    int m_jobsShown = 0;
    int m_endedWith = -1;
    QTimer m_timer3;
    std::function<void()> m_onTimer3;
};

}  // namespace kablos
