#include "process/process_report.h"

#include <unordered_map>

namespace process {

namespace {

// The idle process has no working set to read; the report shows a fixed
// figure for it.
constexpr const char* kIdleProcessMemUsage = "16 K";
constexpr std::uint32_t kIdleProcessId = 0;
// The System process has no module file.
constexpr std::uint32_t kSystemProcessId = 4;

std::string Kilobytes(std::uint32_t bytes) { return std::to_string(bytes >> 10) + " K"; }

}  // namespace

void SetUpProcessReport(gui::TListView& report) {
  using gui::TAlignment;
  const gui::TListColumn columns[kProcessReportColumns] = {
      {"Process name", TAlignment::taLeftJustify, 110},
      {"PID", TAlignment::taRightJustify, 50},
      {"Mem usage", TAlignment::taRightJustify, 70},
      {"Peak mem usage", TAlignment::taRightJustify, 70},
      {"Page error", TAlignment::taRightJustify, 70},
      {"Base Priority", TAlignment::taLeftJustify, 60},
      {"ParentPID", TAlignment::taLeftJustify, 60},
      {"Exe file name", TAlignment::taLeftJustify, 200},
  };
  for (const auto& column : columns) report.AddColumn(column);
}

std::vector<std::string> ProcessReportCells(const TProcess& p) {
  std::vector<std::string> cells(kProcessReportColumns);
  cells[kColumnName] = p.Name;
  cells[kColumnPid] = std::to_string(p.ProcessID);
  cells[kColumnMemUsage] =
      p.ProcessID == kIdleProcessId ? kIdleProcessMemUsage : Kilobytes(p.WorkingSetSize);
  cells[kColumnPeakMemUsage] = Kilobytes(p.PeakWorkingSetSize);
  cells[kColumnPageError] = std::to_string(p.PageFaultCount);
  cells[kColumnBasePriority] = BasePriorityText(p.BasePriority);
  cells[kColumnParentPid] = std::to_string(p.ParentProcessID);
  cells[kColumnExeFileName] = p.ProcessID == kSystemProcessId ? "-" : p.Path;
  return cells;
}

bool ParseProcessId(const std::string& text, std::uint32_t* pid) {
  if (text.empty()) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) return false;
  }
  *pid = static_cast<std::uint32_t>(value);
  return true;
}

void UpdateProcessReport(gui::TListView& report, gui::TStatusBar& status,
                         const TProcessList& list) {
  std::vector<char> stale(static_cast<std::size_t>(report.Count()), 1);

  // Later rows overwrite earlier ones, so each identifier maps to the last
  // row showing it.
  std::unordered_map<std::uint32_t, int> rowOfPid;
  rowOfPid.reserve(stale.size() + list.Count());
  for (int row = 0; row < report.Count(); ++row) {
    std::uint32_t pid = 0;
    if (ParseProcessId(report.Cell(row, kColumnPid), &pid)) rowOfPid[pid] = row;
  }

  for (const TProcess& p : list) {
    std::vector<std::string> cells = ProcessReportCells(p);
    auto found = rowOfPid.find(p.ProcessID);
    if (found == rowOfPid.end()) {
      // A row added now shows this identifier too: a later element with the
      // same one lands on it.
      rowOfPid[p.ProcessID] = report.AddRow(std::move(cells));
      stale.push_back(0);
      continue;
    }
    const int row = found->second;
    stale[static_cast<std::size_t>(row)] = 0;
    for (int column = 0; column < kProcessReportColumns; ++column) {
      report.SetCell(row, column, cells[static_cast<std::size_t>(column)]);
    }
  }

  // From the bottom up, so the rows still to visit keep their indexes.
  for (int row = report.Count() - 1; row >= 0; --row) {
    if (stale[static_cast<std::size_t>(row)] != 0) report.DeleteRow(row);
  }

  status.SetPanelText(0, "Process number:" + std::to_string(report.Count()));
}

}  // namespace process
