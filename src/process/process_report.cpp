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

const std::vector<ReportColumn>& ProcessReportColumns() {
  static const std::vector<ReportColumn> columns = {
      {"Process name", false, 110},   {"PID", true, 50},       {"Mem usage", true, 70},
      {"Peak mem usage", true, 70},   {"Page error", true, 70}, {"Base Priority", false, 60},
      {"ParentPID", false, 60},       {"Exe file name", false, 200},
  };
  return columns;
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

ReportUpdate PlanProcessReport(const std::vector<std::string>& shownPids, const TProcessList& list) {
  ReportUpdate update;
  std::vector<char> stale(shownPids.size(), 1);

  // Later rows overwrite earlier ones, so each identifier maps to the last
  // row showing it.
  std::unordered_map<std::uint32_t, int> rowOfPid;
  rowOfPid.reserve(stale.size() + list.Count());
  for (std::size_t row = 0; row < shownPids.size(); ++row) {
    std::uint32_t pid = 0;
    if (ParseProcessId(shownPids[row], &pid)) rowOfPid[pid] = static_cast<int>(row);
  }

  update.rows.reserve(list.Count());
  for (const TProcess& p : list) {
    auto found = rowOfPid.find(p.ProcessID);
    if (found == rowOfPid.end()) {
      // A row added now shows this identifier too: a later element with the
      // same one lands on it.
      const int row = static_cast<int>(stale.size());
      rowOfPid[p.ProcessID] = row;
      stale.push_back(0);
      update.rows.push_back(ReportUpdate::Row{row, true, ProcessReportCells(p)});
      continue;
    }
    stale[static_cast<std::size_t>(found->second)] = 0;
    update.rows.push_back(ReportUpdate::Row{found->second, false, ProcessReportCells(p)});
  }

  for (int row = static_cast<int>(stale.size()) - 1; row >= 0; --row) {
    if (stale[static_cast<std::size_t>(row)] != 0) update.removed.push_back(row);
  }
  update.count = static_cast<int>(stale.size() - update.removed.size());
  update.statusText = "Process number:" + std::to_string(update.count);
  return update;
}

}  // namespace process
