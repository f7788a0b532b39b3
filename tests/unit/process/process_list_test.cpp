#include "process/process_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/sim_os.h"

namespace process {
namespace {

using platform::SimOs;
using platform::SimProcess;

SimProcess Proc(std::uint32_t pid, const std::string& exe, const std::string& path,
                std::uint32_t workingSet = 0) {
  SimProcess p;
  p.pid = pid;
  p.parentPid = 1;
  p.basePriority = 8;
  p.exeName = exe;
  p.path = path;
  p.workingSet = workingSet;
  p.peakWorkingSet = workingSet * 2;
  p.pageFaults = workingSet / 4096;
  return p;
}

// --- path reduction ------------------------------------------------------------

struct PathCase {
  const char* path;
  const char* shown;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << "\"" << c.path << "\""; }

class ReducePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ReducePathTest, KeepsDrivePathsAndCutsTheRest) {
  EXPECT_EQ(ReducePath(GetParam().path), GetParam().shown) << "path: " << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReducePathTest,
    ::testing::Values(PathCase{"\\SystemRoot\\System32\\smss.exe", "smss.exe"},
                      PathCase{"\\??\\C:\\WINDOWS\\system32\\winlogon.exe", "winlogon.exe"},
                      PathCase{"C:\\WINDOWS\\Explorer.EXE", "C:\\WINDOWS\\Explorer.EXE"},
                      PathCase{"\\\\server\\share\\tool.exe", "\\\\server\\share\\tool.exe"},
                      PathCase{"\\\\?\\C:\\long\\tool.exe", "\\\\?\\C:\\long\\tool.exe"},
                      PathCase{"", ""},
                      PathCase{"C:\\dir\\", "C:\\dir\\"},
                      PathCase{"\\dir\\", ""},
                      PathCase{"\\", ""},
                      PathCase{"notepad.exe", "notepad.exe"},
                      PathCase{"x", "x"},
                      PathCase{"system32\\svchost.exe", "svchost.exe"},
                      PathCase{"\\??\\C:", ""},
                      PathCase{"\\??\\C:tool.exe", "tool.exe"},
                      PathCase{"a:", "a:"},
                      PathCase{":", ""}));

// --- base priority -------------------------------------------------------------

struct PriorityCase {
  std::int32_t priority;
  const char* text;
};

void PrintTo(const PriorityCase& c, std::ostream* os) { *os << c.priority; }

class BasePriorityTextTest : public ::testing::TestWithParam<PriorityCase> {};

TEST_P(BasePriorityTextTest, NamesEachLevel) {
  EXPECT_EQ(BasePriorityText(GetParam().priority), GetParam().text)
      << "priority " << GetParam().priority;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, BasePriorityTextTest,
    ::testing::Values(PriorityCase{0, "Vacant"}, PriorityCase{1, "Low"}, PriorityCase{4, "Low"},
                      PriorityCase{6, "Low"}, PriorityCase{7, "Standard"},
                      PriorityCase{8, "Standard"}, PriorityCase{9, "Standard"},
                      PriorityCase{10, "High"}, PriorityCase{11, "Standard"},
                      PriorityCase{12, "Very high"}, PriorityCase{13, "Very high"},
                      PriorityCase{14, "Real-time"}, PriorityCase{15, "Real-time"},
                      PriorityCase{16, "Real-time"}, PriorityCase{24, "Real-time"},
                      PriorityCase{31, "Real-time"}, PriorityCase{32, "32"},
                      PriorityCase{-1, "-1"}, PriorityCase{INT32_MIN, "-2147483648"}));

// --- filling the list ------------------------------------------------------------

TEST(ReadProcessDetails, ImageNameStandsInWhenTheProcessStatusPathFails) {
  SimOs os;
  SimProcess unreadable = Proc(20, "notepad.exe", "");
  unreadable.imagePath = "C:\\windows\\notepad.exe";
  SimProcess neither = Proc(24, "ghost.exe", "");
  SimProcess both = Proc(28, "calc.exe", "\\??\\C:\\windows\\calc.exe");
  both.imagePath = "C:\\windows\\calc.exe";
  for (const SimProcess& p : {unreadable, neither, both}) os.AddProcess(p);
  TProcessList list;
  FillProcessList(os, list);
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list[0].Path, "C:\\windows\\notepad.exe");
  EXPECT_EQ(list[1].Path, "") << "nothing names it: the path stays empty";
  EXPECT_EQ(list[2].Path, "calc.exe") << "the process-status path wins when there is one";
  EXPECT_EQ(os.CountCalls("QueryFullProcessImageNameA"), 2u);

  // Before Vista the image-name call does not exist.
  SimOs old;
  old.imageNameAvailable = false;
  old.AddProcess(unreadable);
  TProcessList oldList;
  FillProcessList(old, oldList);
  EXPECT_EQ(oldList[0].Path, "");
  ReleaseProcessList(old, oldList);
  ReleaseProcessList(os, list);
  EXPECT_TRUE(os.OpenHandles().empty());
}

TEST(FillProcessList, CopiesTheSnapshotInOrderAndClosesItBeforeOpeningProcesses) {
  SimOs os;
  SimProcess a = Proc(8, "System", "");
  a.parentPid = 0;
  a.basePriority = 8;
  SimProcess b = Proc(412, "explorer.exe", "C:\\WINDOWS\\Explorer.EXE", 20u << 20);
  b.parentPid = 380;
  b.basePriority = 13;
  os.AddProcess(a);
  os.AddProcess(b);

  TProcessList list;
  FillProcessList(os, list);

  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0].ProcessID, 8u);
  EXPECT_EQ(list[0].Name, "System");
  EXPECT_EQ(list[1].ProcessID, 412u);
  EXPECT_EQ(list[1].Name, "explorer.exe");
  EXPECT_EQ(list[1].BasePriority, 13);
  EXPECT_EQ(list[1].ParentProcessID, 380u);
  EXPECT_EQ(list[1].Path, "C:\\WINDOWS\\Explorer.EXE");
  EXPECT_EQ(list[1].WorkingSetSize, 20u << 20);
  EXPECT_EQ(list[1].PeakWorkingSetSize, 40u << 20);
  EXPECT_EQ(list[1].PageFaultCount, 5120u);

  const std::vector<std::string> expected = {
      "CreateToolhelp32Snapshot(2,0)", "Process32First", "Process32Next", "Process32Next",
      "CloseHandle",
      // System's process-status path is empty: the image name is asked for.
      "OpenProcess(8,0x1F0FFF)", "GetModuleFileNameExA", "QueryFullProcessImageNameA",
      "GetProcessMemoryInfo",
      "OpenProcess(412,0x1F0FFF)", "GetModuleFileNameExA", "GetProcessMemoryInfo"};
  EXPECT_EQ(os.Calls(), expected);
  EXPECT_EQ(os.OpenHandles().size(), 2u) << "one handle per process until the list is released";
  ReleaseProcessList(os, list);
}

// What one process's element holds after a refresh, for each way opening and
// reading it can go.
struct OpenCase {
  const char* name;
  std::function<void(SimOs&, SimProcess&)> arrange;
  bool handleOpen;
  const char* path;
  std::uint32_t workingSet;
  std::size_t opens;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class ProcessDetailsTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(ProcessDetailsTest, ElementHoldsWhatCouldBeRead) {
  const OpenCase& c = GetParam();
  SimOs os;
  SimProcess p = Proc(620, "winlogon.exe", "\\??\\C:\\WINDOWS\\system32\\winlogon.exe", 3u << 20);
  c.arrange(os, p);
  os.AddProcess(p);

  TProcessList list;
  FillProcessList(os, list);

  ASSERT_EQ(list.Count(), 1u) << "the snapshot lists the process whatever follows";
  const TProcess& e = list[0];
  EXPECT_EQ(e.Name, "winlogon.exe");
  EXPECT_EQ(e.Handle != platform::kNoHandle, c.handleOpen);
  EXPECT_EQ(e.Path, c.path);
  EXPECT_EQ(e.WorkingSetSize, c.workingSet);
  EXPECT_EQ(e.PeakWorkingSetSize, c.workingSet * 2);
  EXPECT_EQ(e.PageFaultCount, c.workingSet / 4096);
  EXPECT_EQ(os.CountCalls("OpenProcess"), c.opens);
  if (!c.handleOpen) {
    EXPECT_EQ(os.CountCalls("GetModuleFileNameExA"), 0u) << "nothing is read without a handle";
    EXPECT_EQ(os.CountCalls("GetProcessMemoryInfo"), 0u);
  }
  ReleaseProcessList(os, list);
  EXPECT_TRUE(os.OpenHandles().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ProcessDetailsTest,
    ::testing::Values(
        OpenCase{"FullAccess", [](SimOs&, SimProcess&) {}, true, "winlogon.exe", 3u << 20, 1},
        OpenCase{"QueryAccessOnly", [](SimOs&, SimProcess& p) { p.refuseFullAccess = true; },
                 true, "winlogon.exe", 3u << 20, 2},
        OpenCase{"NoAccess", [](SimOs&, SimProcess& p) { p.refuseAllAccess = true; }, false, "",
                 0, 2},
        OpenCase{"EndedAfterSnapshot", [](SimOs&, SimProcess& p) { p.endsAfterSnapshot = true; },
                 false, "", 0, 2},
        OpenCase{"NoPsapi", [](SimOs& os, SimProcess&) { os.psapiAvailable = false; }, true, "",
                 0, 1},
        OpenCase{"PathUnreadable",
                 [](SimOs& os, SimProcess&) { os.Fail("GetModuleFileNameExA", 5); }, true, "",
                 3u << 20, 1},
        OpenCase{"CountersUnreadable",
                 [](SimOs& os, SimProcess&) { os.Fail("GetProcessMemoryInfo", 5); }, true,
                 "winlogon.exe", 0, 1}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(FillProcessList, SecondOpenAsksForQueryAndReadAccessOnly) {
  SimOs os;
  SimProcess p = Proc(700, "svchost.exe", "C:\\WINDOWS\\system32\\svchost.exe");
  p.refuseFullAccess = true;
  os.AddProcess(p);
  TProcessList list;
  FillProcessList(os, list);
  EXPECT_EQ(os.CountCalls("OpenProcess(700,0x1F0FFF)"), 1u);
  EXPECT_EQ(os.CountCalls("OpenProcess(700,0x410)"), 1u);
  ReleaseProcessList(os, list);
}

TEST(FillProcessList, PathFillingTheWholeBufferIsCutAtItsEnd) {
  SimOs os;
  // No separator, so the reduction keeps it whole; the system leaves no
  // terminator when the path does not fit.
  os.AddProcess(Proc(1, "long.exe", std::string(1500, 'p')));
  os.AddProcess(Proc(2, "fits.exe", std::string(kProcessPathBufferSize - 1, 'q')));
  TProcessList list;
  FillProcessList(os, list);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0].Path, std::string(kProcessPathBufferSize, 'p'));
  EXPECT_EQ(list[1].Path, std::string(kProcessPathBufferSize - 1, 'q'));
  ReleaseProcessList(os, list);
}

struct NameCase {
  std::string exeName;
  std::string name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.exeName.size() << " bytes: \"" << c.exeName.substr(0, 16) << "\"";
}

class ProcessNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProcessNameTest, TakenUpToTheFirstNulAndNeverPastTheField) {
  SimOs os;
  os.AddProcess(Proc(5, GetParam().exeName, ""));
  TProcessList list;
  FillProcessList(os, list);
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list[0].Name, GetParam().name);
  ReleaseProcessList(os, list);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ProcessNameTest,
    ::testing::Values(NameCase{std::string("app.exe\0junk", 12), "app.exe"},
                      NameCase{std::string(259, 'n'), std::string(259, 'n')},
                      NameCase{std::string(260, 'n'), std::string(260, 'n')},
                      NameCase{std::string(300, 'n'), std::string(260, 'n')},
                      NameCase{"", ""}));

struct NoSnapshotCase {
  const char* name;
  std::function<void(SimOs&)> arrange;
};

void PrintTo(const NoSnapshotCase& c, std::ostream* os) { *os << c.name; }

class NoSnapshotTest : public ::testing::TestWithParam<NoSnapshotCase> {};

TEST_P(NoSnapshotTest, LeavesAnEmptyListAndNothingOpen) {
  SimOs os;
  os.AddProcess(Proc(10, "a.exe", "C:\\a.exe"));
  TProcessList list;
  list.Add(TProcess{0, "stale", "", 99});
  GetParam().arrange(os);
  FillProcessList(os, list);
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(os.CountCalls("OpenProcess"), 0u);
  EXPECT_TRUE(os.OpenHandles().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, NoSnapshotTest,
    ::testing::Values(
        NoSnapshotCase{"ToolHelpMissing", [](SimOs& os) { os.toolhelpAvailable = false; }},
        NoSnapshotCase{"SnapshotRefused",
                       [](SimOs& os) { os.Fail("CreateToolhelp32Snapshot", 8); }},
        NoSnapshotCase{"WalkFails", [](SimOs& os) { os.Fail("Process32First", 5); }}),
    [](const ::testing::TestParamInfo<NoSnapshotCase>& info) {
      return std::string(info.param.name);
    });

// --- releasing -------------------------------------------------------------------

TEST(ReleaseProcessList, ClosesEachHandleOnceFirstElementFirst) {
  SimOs os;
  os.AddProcess(Proc(10, "a.exe", "C:\\a.exe"));
  SimProcess refused = Proc(11, "b.exe", "C:\\b.exe");
  refused.refuseAllAccess = true;
  os.AddProcess(refused);
  os.AddProcess(Proc(12, "c.exe", "C:\\c.exe"));
  {
    TProcessList list;
    FillProcessList(os, list);
    const platform::Handle first = list[0].Handle;
    const platform::Handle third = list[2].Handle;
    EXPECT_EQ(list[1].Handle, platform::kNoHandle);
    os.ClearCalls();
    ReleaseProcessList(os, list);
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(os.Calls(), (std::vector<std::string>{"CloseHandle", "CloseHandle"}))
        << "no close for the element that holds no handle";
    EXPECT_TRUE(os.OpenHandles().empty());
    EXPECT_FALSE(os.CloseHandle(first)) << "already closed";
    EXPECT_FALSE(os.CloseHandle(third));
    os.ClearCalls();
  }
  EXPECT_EQ(os.CountCalls("CloseHandle"), 0u) << "a released list closes nothing more";
}

TEST(ReleaseProcessList, NoHandleLeaksOverManyRefreshesWhileProcessesComeAndGo) {
  SimOs os;
  TProcessList list;
  std::uint32_t nextPid = 100;
  for (int refresh = 0; refresh < 200; ++refresh) {
    // Two start, the oldest ends, and now and then one ends between the
    // snapshot and the open or refuses access.
    for (int i = 0; i < 2; ++i) {
      SimProcess p = Proc(nextPid, "p" + std::to_string(nextPid) + ".exe",
                          "\\SystemRoot\\p" + std::to_string(nextPid) + ".exe", 4096);
      p.endsAfterSnapshot = nextPid % 7 == 0;
      p.refuseFullAccess = nextPid % 3 == 0;
      p.refuseAllAccess = nextPid % 11 == 0;
      os.AddProcess(p);
      nextPid += 4;
    }
    if (os.Processes().size() > 30) os.RemoveProcess(os.Processes().front().pid);

    const std::size_t listed = os.Processes().size();
    FillProcessList(os, list);
    ASSERT_EQ(list.Count(), listed) << "refresh " << refresh;
    std::size_t held = 0;
    for (const TProcess& p : list) held += p.Handle != platform::kNoHandle ? 1 : 0;
    ASSERT_EQ(os.OpenHandles().size(), held) << "refresh " << refresh;
    ReleaseProcessList(os, list);
    ASSERT_TRUE(os.OpenHandles().empty()) << "refresh " << refresh;
  }
  EXPECT_EQ(os.CountCalls("CloseHandle"), os.CountCalls("CreateToolhelp32Snapshot") +
                                              os.CountCalls("GetModuleFileNameExA"))
      << "every snapshot and every opened process closed exactly once";
}

TEST(TProcessList, ClosesHandlesItStillHoldsWhenDestroyed) {
  SimOs os;
  os.AddProcess(Proc(10, "a.exe", "C:\\a.exe"));
  os.AddProcess(Proc(12, "c.exe", "C:\\c.exe"));
  {
    TProcessList outer;
    {
      TProcessList list;
      FillProcessList(os, list);
      outer = std::move(list);
    }
    EXPECT_EQ(os.OpenHandles().size(), 2u) << "a moved-from list closes nothing";
  }
  EXPECT_TRUE(os.OpenHandles().empty());
  EXPECT_EQ(os.CountCalls("CloseHandle"), 3u) << "snapshot plus each process once";
}

TEST(ReadProcessDetails, SecondPassReplacesTheFirstWithoutLeaking) {
  SimOs os;
  os.AddProcess(Proc(10, "a.exe", "C:\\a.exe", 8192));
  TProcessList list;
  FillProcessList(os, list);
  os.AddProcess(Proc(10, "a.exe", "C:\\b.exe", 4096));
  ReadProcessDetails(os, list);
  EXPECT_EQ(list[0].Path, "C:\\b.exe");
  EXPECT_EQ(list[0].WorkingSetSize, 4096u);
  EXPECT_EQ(os.OpenHandles().size(), 1u);
  os.RemoveProcess(10);
  ReadProcessDetails(os, list);
  EXPECT_EQ(list[0].Handle, platform::kNoHandle);
  EXPECT_EQ(list[0].Path, "") << "details of a process that could not be opened are dropped";
  EXPECT_EQ(list[0].WorkingSetSize, 0u);
  EXPECT_TRUE(os.OpenHandles().empty());
}

}  // namespace
}  // namespace process
