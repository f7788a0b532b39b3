#include "process/process_report.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/process_report_view.h"
#include "gui/application.h"
#include "gui/headless/headless_backend.h"

namespace process {
namespace {

using Cells = std::vector<std::string>;

// Records the row changes a list view sends to its screen.
class RecordingPeer : public gui::Peer {
 public:
  struct Event {
    gui::ItemChange what;
    int row;
    int column;
  };
  explicit RecordingPeer(std::vector<Event>& events) : events_(events) {}
  void Changed(gui::Change) override {}
  void ItemChanged(gui::ItemChange what, int row, int column) override {
    events_.push_back(Event{what, row, column});
  }

 private:
  std::vector<Event>& events_;
};

struct Rig {
  gui::HeadlessBackend backend;
  gui::TApplication app{backend};
  gui::TForm form{app, 1};
  gui::TListView report{&form, 2};
  gui::TStatusBar status{&form, 3};

  Rig() {
    app::SetUpProcessReport(report);
    status.AddPanel(143, gui::TAlignment::taCenter);
  }
  std::vector<std::uint32_t> Pids() const {
    std::vector<std::uint32_t> pids;
    for (int row = 0; row < report.Count(); ++row) {
      pids.push_back(static_cast<std::uint32_t>(std::stoul(report.Cell(row, kColumnPid))));
    }
    return pids;
  }
};

TProcess Proc(std::uint32_t pid, const std::string& name, std::uint32_t workingSet = 0) {
  TProcess p;
  p.ProcessID = pid;
  p.Name = name;
  p.Path = "C:\\bin\\" + name;
  p.BasePriority = 8;
  p.ParentProcessID = 1;
  p.WorkingSetSize = workingSet;
  p.PeakWorkingSetSize = 1u << 20;
  return p;
}

TProcessList ListOf(std::vector<TProcess> processes) {
  TProcessList list;
  for (auto& p : processes) list.Add(std::move(p));
  return list;
}

TEST(ProcessReport, HasTheEightColumns) {
  Rig rig;
  using gui::TAlignment;
  struct Expected {
    const char* caption;
    TAlignment alignment;
    int width;
  };
  const Expected expected[] = {
      {"Process name", TAlignment::taLeftJustify, 110},
      {"PID", TAlignment::taRightJustify, 50},
      {"Mem usage", TAlignment::taRightJustify, 70},
      {"Peak mem usage", TAlignment::taRightJustify, 70},
      {"Page error", TAlignment::taRightJustify, 70},
      {"Base Priority", TAlignment::taLeftJustify, 60},
      {"ParentPID", TAlignment::taLeftJustify, 60},
      {"Exe file name", TAlignment::taLeftJustify, 200},
  };
  ASSERT_EQ(rig.report.Columns().size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(rig.report.Columns()[i].caption, expected[i].caption) << "column " << i;
    EXPECT_EQ(rig.report.Columns()[i].alignment, expected[i].alignment) << "column " << i;
    EXPECT_EQ(rig.report.Columns()[i].width, expected[i].width) << "column " << i;
  }
}

// --- cells -------------------------------------------------------------------------

TEST(ProcessReportCells, OrdinaryProcess) {
  TProcess p;
  p.Name = "explorer.exe";
  p.Path = "C:\\WINDOWS\\Explorer.EXE";
  p.ProcessID = 1234;
  p.BasePriority = 13;
  p.ParentProcessID = 1200;
  p.PageFaultCount = 98765;
  p.WorkingSetSize = 1572863;  // one byte short of 1536 K
  p.PeakWorkingSetSize = 1572864;
  EXPECT_EQ(ProcessReportCells(p), (Cells{"explorer.exe", "1234", "1535 K", "1536 K", "98765",
                                          "Very high", "1200", "C:\\WINDOWS\\Explorer.EXE"}));
}

TEST(ProcessReportCells, IdleProcessShowsAFixedMemoryFigure) {
  TProcess p;
  p.Name = "System Idle Process";
  p.WorkingSetSize = 8u << 20;
  const Cells cells = ProcessReportCells(p);
  EXPECT_EQ(cells[kColumnPid], "0");
  EXPECT_EQ(cells[kColumnMemUsage], "16 K");
  EXPECT_EQ(cells[kColumnPeakMemUsage], "0 K") << "the peak is not replaced";
  EXPECT_EQ(cells[kColumnBasePriority], "Vacant");
}

TEST(ProcessReportCells, SystemProcessShowsNoFileWhateverItsPath) {
  TProcess p = Proc(4, "System", 245760);
  p.Path = "C:\\WINDOWS\\system32\\ntoskrnl.exe";
  const Cells cells = ProcessReportCells(p);
  EXPECT_EQ(cells[kColumnExeFileName], "-");
  EXPECT_EQ(cells[kColumnMemUsage], "240 K") << "only the idle process gets the fixed figure";
  p.ProcessID = 8;
  EXPECT_EQ(ProcessReportCells(p)[kColumnExeFileName], "C:\\WINDOWS\\system32\\ntoskrnl.exe");
}

TEST(ProcessReportCells, LargestCountersAreWrittenUnsigned) {
  TProcess p;
  p.ProcessID = 0xFFFFFFFFu;
  p.ParentProcessID = 0xFFFFFFFFu;
  p.PageFaultCount = 0xFFFFFFFFu;
  p.WorkingSetSize = 0xFFFFFFFFu;
  p.PeakWorkingSetSize = 0xFFFFFFFFu;
  EXPECT_EQ(ProcessReportCells(p),
            (Cells{"", "4294967295", "4194303 K", "4194303 K", "4294967295", "Vacant",
                   "4294967295", ""}));
}

// --- updates -----------------------------------------------------------------------

// The plan alone, as plain data: kept rows by index, added rows numbered on
// from the bottom (a repeat of a new identifier lands on its added row),
// and the stale rows bottom-up, whatever order they stood in.
TEST(PlanProcessReport, NamesEveryRowItTouchesAndRemovesFromTheBottomUp) {
  const std::vector<std::string> shown = {"10", "junk", "20", "30", "20"};
  const ReportUpdate u = PlanProcessReport(
      shown, ListOf({Proc(20, "b"), Proc(40, "new"), Proc(10, "a"), Proc(40, "again")}));
  std::vector<std::string> rows;
  for (const ReportUpdate::Row& r : u.rows) {
    rows.push_back((r.added ? "add " : "set ") + std::to_string(r.row) + " " + r.cells[kColumnName]);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"set 4 b", "add 5 new", "set 0 a", "set 5 again"}));
  EXPECT_EQ(u.removed, (std::vector<int>{3, 2, 1})) << "the first 20 loses to the last";
  EXPECT_EQ(u.count, 3);
  EXPECT_EQ(u.statusText, "Process number:3");
}


TEST(UpdateProcessReport, NewProcessIsAppendedAtTheBottom) {
  Rig rig;
  app::UpdateProcessReport(rig.report, rig.status, ListOf({Proc(30, "c"), Proc(10, "a")}));
  // A new process sorts first in the list but still gets the last row.
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(5, "new"), Proc(30, "c"), Proc(10, "a")}));
  EXPECT_EQ(rig.Pids(), (std::vector<std::uint32_t>{30, 10, 5}));
  EXPECT_EQ(rig.report.Row(2), ProcessReportCells(Proc(5, "new")));
  EXPECT_EQ(rig.status.Panel(0).text, "Process number:3");
}

TEST(UpdateProcessReport, EndedProcessGoesAndSelectionStaysWithItsProcess) {
  Rig rig;
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(10, "a"), Proc(20, "b"), Proc(30, "c"), Proc(40, "d")}));
  rig.report.SetSelected(2);  // pid 30
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(10, "a"), Proc(30, "c"), Proc(40, "d")}));
  EXPECT_EQ(rig.Pids(), (std::vector<std::uint32_t>{10, 30, 40}));
  ASSERT_EQ(rig.report.Selected(), 1);
  EXPECT_EQ(rig.report.Cell(1, kColumnName), "c");
  EXPECT_EQ(rig.status.Panel(0).text, "Process number:3");
}

TEST(UpdateProcessReport, ReusedIdentifierKeepsItsRowWithTheNewFigures) {
  Rig rig;
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(10, "a", 4096), Proc(20, "old.exe", 8192)}));
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(20, "new.exe", 16384), Proc(10, "a", 4096)}));
  EXPECT_EQ(rig.Pids(), (std::vector<std::uint32_t>{10, 20})) << "rows keep their places";
  EXPECT_EQ(rig.report.Row(1), ProcessReportCells(Proc(20, "new.exe", 16384)));
}

TEST(UpdateProcessReport, OfRowsSharingAnIdentifierTheLastCarriesOn) {
  Rig rig;
  rig.report.AddRow({"first", "20", "", "", "", "", "", ""});
  rig.report.AddRow({"other", "10", "", "", "", "", "", ""});
  rig.report.AddRow({"last", "20", "", "", "", "", "", ""});
  app::UpdateProcessReport(rig.report, rig.status, ListOf({Proc(20, "p20"), Proc(10, "p10")}));
  ASSERT_EQ(rig.report.Count(), 2);
  EXPECT_EQ(rig.report.Row(0), ProcessReportCells(Proc(10, "p10")));
  EXPECT_EQ(rig.report.Row(1), ProcessReportCells(Proc(20, "p20")))
      << "the last row showing 20 was updated; the first was deleted";
}

TEST(UpdateProcessReport, DuplicateIdentifiersInOneListShareOneRow) {
  Rig rig;
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(10, "a"), Proc(20, "first"), Proc(20, "second")}));
  ASSERT_EQ(rig.report.Count(), 2);
  EXPECT_EQ(rig.report.Cell(1, kColumnName), "second") << "the later element overwrites";
  app::UpdateProcessReport(rig.report, rig.status,
                      ListOf({Proc(20, "third"), Proc(10, "a"), Proc(20, "fourth")}));
  EXPECT_EQ(rig.Pids(), (std::vector<std::uint32_t>{10, 20}));
  EXPECT_EQ(rig.report.Cell(1, kColumnName), "fourth");
}

struct PidCellCase {
  const char* text;
  std::uint32_t pid;
  bool matches;
};

void PrintTo(const PidCellCase& c, std::ostream* os) {
  *os << "\"" << c.text << "\" against " << c.pid;
}

class PidCellTest : public ::testing::TestWithParam<PidCellCase> {};

TEST_P(PidCellTest, OnlyAWholeDecimalNumberMatches) {
  const PidCellCase& c = GetParam();
  Rig rig;
  rig.report.AddRow({"odd", c.text, "", "", "", "", "", ""});
  rig.report.AddRow({"b", "20", "", "", "", "", "", ""});
  app::UpdateProcessReport(rig.report, rig.status, ListOf({Proc(c.pid, "a"), Proc(20, "b")}));
  // A matching row is updated where it stands; otherwise it goes and the
  // process gets a new row after 20.
  EXPECT_EQ(rig.Pids(), c.matches ? (std::vector<std::uint32_t>{c.pid, 20})
                                  : (std::vector<std::uint32_t>{20, c.pid}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PidCellTest,
    ::testing::Values(PidCellCase{"10", 10, true}, PidCellCase{"0010", 10, true},
                      PidCellCase{"0", 0, true}, PidCellCase{"4294967295", 4294967295u, true},
                      PidCellCase{"+10", 10, false}, PidCellCase{" 10", 10, false},
                      PidCellCase{"10 ", 10, false}, PidCellCase{"1 0", 10, false},
                      PidCellCase{"1e1", 10, false}, PidCellCase{"0x0A", 10, false},
                      PidCellCase{"-10", 10, false}, PidCellCase{"", 0, false},
                      PidCellCase{"4294967306", 10, false}));

TEST(UpdateProcessReport, EmptyListEmptiesTheReport) {
  Rig rig;
  app::UpdateProcessReport(rig.report, rig.status, ListOf({Proc(10, "a"), Proc(20, "b")}));
  app::UpdateProcessReport(rig.report, rig.status, TProcessList{});
  EXPECT_EQ(rig.report.Count(), 0);
  EXPECT_EQ(rig.status.Panel(0).text, "Process number:0");
}

TEST(UpdateProcessReport, SendsOnlyTheCellsThatChanged) {
  Rig rig;
  std::vector<RecordingPeer::Event> events;
  rig.report.AttachPeer(std::make_unique<RecordingPeer>(events));
  const auto refresh = [&](std::uint32_t workingSetOf20) {
    app::UpdateProcessReport(rig.report, rig.status,
                        ListOf({Proc(10, "a", 4096), Proc(20, "b", workingSetOf20),
                                Proc(30, "c", 4096)}));
  };
  refresh(8192);
  ASSERT_EQ(events.size(), 3u);
  for (const auto& e : events) EXPECT_EQ(e.what, gui::ItemChange::Inserted);

  events.clear();
  refresh(8192);
  EXPECT_TRUE(events.empty()) << "an identical refresh sends nothing: " << events.size();

  events.clear();
  refresh(16384);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].what, gui::ItemChange::Cell);
  EXPECT_EQ(events[0].row, 1);
  EXPECT_EQ(events[0].column, kColumnMemUsage);
}

}  // namespace
}  // namespace process
