#pragma once
// The process report: the process list shown as a list view, one row per
// process, updated in place so rows that did not change are not redrawn.

#include <cstdint>
#include <string>
#include <vector>

#include "gui/controls.h"
#include "process/process_list.h"

namespace process {

// The report's column index of each cell.
enum ProcessReportColumn {
  kColumnName = 0,
  kColumnPid,
  kColumnMemUsage,
  kColumnPeakMemUsage,
  kColumnPageError,
  kColumnBasePriority,
  kColumnParentPid,
  kColumnExeFileName,
  kProcessReportColumns
};

// Adds the report's eight columns.
void SetUpProcessReport(gui::TListView& report);

// The texts of one process's row, in column order.
std::vector<std::string> ProcessReportCells(const TProcess& process);

// Brings the report in line with the list: a process keeps the row that
// shows its identifier (the last such row when there are several), a new one
// gets a row at the bottom, rows of processes no longer listed go. Only
// cells whose text changes are sent to the screen. The first status panel
// gets the row count.
void UpdateProcessReport(gui::TListView& report, gui::TStatusBar& status,
                         const TProcessList& list);

// The identifier a row's PID cell shows: the whole text must be decimal
// digits within 32 bits. Anything else shows no identifier and matches no
// process.
bool ParseProcessId(const std::string& text, std::uint32_t* pid);

}  // namespace process
