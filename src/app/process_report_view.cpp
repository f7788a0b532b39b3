#include "app/process_report_view.h"

#include <string>
#include <vector>

#include "process/process_report.h"

namespace app {

void SetUpProcessReport(gui::TListView& report) {
  for (const process::ReportColumn& c : process::ProcessReportColumns()) {
    report.AddColumn(gui::TListColumn{
        c.caption, c.rightAligned ? gui::TAlignment::taRightJustify : gui::TAlignment::taLeftJustify,
        c.width});
  }
}

void UpdateProcessReport(gui::TListView& report, gui::TStatusBar& status,
                         const process::TProcessList& list) {
  std::vector<std::string> shownPids;
  shownPids.reserve(static_cast<std::size_t>(report.Count()));
  for (int row = 0; row < report.Count(); ++row) {
    shownPids.push_back(report.Cell(row, process::kColumnPid));
  }
  process::ReportUpdate update = process::PlanProcessReport(shownPids, list);
  for (process::ReportUpdate::Row& r : update.rows) {
    if (r.added) {
      report.AddRow(std::move(r.cells));
      continue;
    }
    for (int column = 0; column < process::kProcessReportColumns; ++column) {
      report.SetCell(r.row, column, r.cells[static_cast<std::size_t>(column)]);
    }
  }
  for (int row : update.removed) report.DeleteRow(row);
  status.SetPanelText(0, update.statusText);
}

}  // namespace app
