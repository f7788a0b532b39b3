#pragma once
// The process report on its list view: the columns, and each refresh's
// update applied to the rows.

#include "gui/controls.h"
#include "process/process_list.h"

namespace app {

// Adds the report's eight columns.
void SetUpProcessReport(gui::TListView& report);

// Brings the rows in line with the list; only cells whose text changes
// reach the screen. The first status panel gets the row count.
void UpdateProcessReport(gui::TListView& report, gui::TStatusBar& status,
                         const process::TProcessList& list);

}  // namespace app
