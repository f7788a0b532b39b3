#pragma once
// The process report: the process list shown as rows, one per process,
// updated in place so rows that did not change are not redrawn. The rules
// here say what changes; whoever shows the rows applies them.

#include <cstdint>
#include <string>
#include <vector>

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

// One column of the report: its caption, which edge its texts keep to and
// its width in pixels.
struct ReportColumn {
  const char* caption;
  bool rightAligned;
  int width;
};

// The report's eight columns, in order.
const std::vector<ReportColumn>& ProcessReportColumns();

// The texts of one process's row, in column order.
std::vector<std::string> ProcessReportCells(const TProcess& process);

// What brings the rows shown in line with the list: a process keeps the
// row that shows its identifier (the last such row when there are
// several), a new one gets a row at the bottom, rows of processes no longer
// listed go. Applied in order: `rows` one by one (an added row takes the
// next index at the bottom, which `row` already names), then `removed`,
// which runs from the bottom up so the rows still to go keep their indexes.
struct ReportUpdate {
  struct Row {
    int row;
    bool added;
    std::vector<std::string> cells;
  };
  std::vector<Row> rows;
  std::vector<int> removed;
  // The rows shown afterwards, and the first status panel's text.
  int count = 0;
  std::string statusText;
};

// The update for rows whose PID cells show `shownPids`, one per row.
ReportUpdate PlanProcessReport(const std::vector<std::string>& shownPids, const TProcessList& list);

// The identifier a row's PID cell shows: the whole text must be decimal
// digits within 32 bits. Anything else shows no identifier and matches no
// process.
bool ParseProcessId(const std::string& text, std::uint32_t* pid);

}  // namespace process
