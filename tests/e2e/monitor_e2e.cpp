// Live monitoring in the real program: the process report, the status bar
// and the gauges, read back while the refresh timer runs.

#include "harness.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "running_quorvel.h"

namespace e2e {
namespace {

namespace ids = app::ids;

using Row = std::vector<std::string>;

std::vector<Row> ParseTable(const std::string& text) {
  std::vector<Row> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Row row;
    std::string cell;
    std::istringstream cells(line);
    while (std::getline(cells, cell, '\t')) row.push_back(cell);
    rows.push_back(row);
  }
  return rows;
}

std::string LongText(HWND hwnd) {
  const LRESULT length = SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
  text.resize(std::strlen(text.c_str()));
  return text;
}

bool IEquals(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The system's own 64-bit figures, as the test reads them.
MEMORYSTATUSEX WideMemoryStatus() {
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  return m;
}

// What is used of a total: nothing when more is reported available.
DWORDLONG Used(DWORDLONG total, DWORDLONG available) { return available < total ? total - available : 0; }

// Whole megabytes and kilobytes, rounded half to even as the labels are.
long long RoundedMb(DWORDLONG bytes) { return std::llround(std::nearbyint(static_cast<double>(bytes) / 1048576.0)); }
long long RoundedKb(DWORDLONG bytes) { return std::llround(std::nearbyint(static_cast<double>(bytes) / 1024.0)); }

// The number a label starts with, followed by `unit`; -1 for any other text.
long long NumberWithUnit(const std::string& text, const char* unit) {
  long long value = -1;
  char rest[16] = {};
  if (std::sscanf(text.c_str(), "%lld %15s", &value, rest) != 2 || std::strcmp(rest, unit) != 0) return -1;
  return value;
}

class MonitorE2e : public RunningQuorvel {
 protected:
  void SetUp() override {
    RunningQuorvel::SetUp();
    if (HasFatalFailure()) return;
    report_ = Control(ids::kListViewProcessReport);
    ASSERT_NE(report_, nullptr);
  }
  std::vector<Row> Rows() { return ParseTable(LongText(report_)); }
  int RowOf(const std::vector<Row>& rows, DWORD pid) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i].size() > 1 && rows[i][1] == std::to_string(pid)) return static_cast<int>(i);
    }
    return -1;
  }

  HWND report_ = nullptr;
};

TEST_F(MonitorE2e, ReportListsTheProgramItselfWithItsFigures) {
  std::vector<Row> rows;
  ASSERT_TRUE(WaitUntil([&] { return RowOf(rows = Rows(), quorvel_.Id()) >= 0; }, Timeout(10000)))
      << LongText(report_);
  const Row& self = rows[RowOf(rows, quorvel_.Id())];
  ASSERT_EQ(self.size(), 8u) << LongText(report_);
  EXPECT_TRUE(IEquals(self[0], "Quorvel.exe")) << self[0];
  const unsigned long memK = std::strtoul(self[2].c_str(), nullptr, 10);
  EXPECT_GT(memK, 0u) << self[2];
  EXPECT_EQ(self[2].substr(self[2].size() - 2), " K");
  EXPECT_EQ(self[3].substr(self[3].size() - 2), " K");
  EXPECT_NE(self[7].find(':'), std::string::npos) << "a path with its drive: " << self[7];
  EXPECT_NE(self[7].size(), 0u);
  const std::string tail = self[7].substr(self[7].size() - std::string("Quorvel.exe").size());
  EXPECT_TRUE(IEquals(tail, "Quorvel.exe")) << self[7];
  EXPECT_EQ(self[6], std::to_string(GetCurrentProcessId()))
      << "this test started it, so it is the parent";
  EXPECT_GE(rows.size(), 3u) << "Wine's own processes are listed too";
}

TEST_F(MonitorE2e, StatusBarCountsRowsAndShowsMemory) {
  HWND count = StatusPanel(main_, ids::kStatusBarState, 0);
  HWND memory = StatusPanel(main_, ids::kStatusBarState, 2);
  ASSERT_NE(count, nullptr);
  ASSERT_NE(memory, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !WindowText(count).empty(); }, Timeout(10000)));
  // Read the count and the table between two refreshes: the text must agree.
  std::string counted;
  std::size_t rows = 0;
  ASSERT_TRUE(WaitUntil(
      [&] {
        counted = WindowText(count);
        rows = Rows().size();
        return counted == WindowText(count);
      },
      Timeout(10000)));
  EXPECT_EQ(counted, "Process number:" + std::to_string(rows));
  const std::string pm = WindowText(memory);
  ASSERT_GE(pm.size(), 5u);
  EXPECT_EQ(pm.substr(0, 3), "PM:");
  EXPECT_EQ(pm.substr(pm.size() - 2), "K ");
  EXPECT_NE(pm.find(" PF:"), std::string::npos) << pm;
}

TEST_F(MonitorE2e, StartedProcessAppearsLastAndGoesWhenItEnds) {
  ASSERT_TRUE(WaitUntil([&] { return RowOf(Rows(), quorvel_.Id()) >= 0; }, Timeout(10000)));
  Process extra;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  ASSERT_TRUE(extra.Start(std::string(windows) + "\\notepad.exe"));
  std::vector<Row> rows;
  // Two refreshes at 2 s, with room for a slow start.
  ASSERT_TRUE(WaitUntil([&] { return RowOf(rows = Rows(), extra.Id()) >= 0; }, Timeout(8000)))
      << "the new process was not listed";
  EXPECT_EQ(RowOf(rows, extra.Id()), static_cast<int>(rows.size()) - 1) << "a new row comes last";
  EXPECT_TRUE(IEquals(rows.back()[0], "notepad.exe")) << rows.back()[0];

  extra.Kill();
  EXPECT_TRUE(WaitUntil([&] { return RowOf(Rows(), extra.Id()) < 0; }, Timeout(8000)))
      << "the ended process stayed listed";
  EXPECT_GE(RowOf(Rows(), quorvel_.Id()), 0);
}

TEST_F(MonitorE2e, GaugesMatchTheSystemsMemoryFigures) {
  HWND mem = Control(ids::kGaugeMem);
  HWND vm = Control(ids::kGaugeVM);
  HWND cpu = Control(ids::kGaugeCPU);
  ASSERT_TRUE(mem && vm && cpu);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(mem, PBM_GETRANGE, FALSE, 0) > 0; }, Timeout(10000)));
  const MEMORYSTATUSEX m = WideMemoryStatus();
  const LRESULT totalMb = static_cast<LRESULT>(m.ullTotalPhys >> 20);
  EXPECT_EQ(SendMessageA(mem, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(mem, PBM_GETRANGE, FALSE, 0), totalMb);
  const LRESULT usedMb = totalMb - static_cast<LRESULT>(m.ullAvailPhys >> 20);
  // The host's memory moves between the refresh and this reading.
  EXPECT_NEAR(static_cast<double>(SendMessageA(mem, PBM_GETPOS, 0, 0)), static_cast<double>(usedMb),
              256.0);
  EXPECT_EQ(SendMessageA(vm, PBM_GETRANGE, FALSE, 0), static_cast<LRESULT>(m.ullTotalPageFile >> 20));
  const LRESULT usedPageMb = static_cast<LRESULT>(Used(m.ullTotalPageFile, m.ullAvailPageFile) >> 20);
  EXPECT_NEAR(static_cast<double>(SendMessageA(vm, PBM_GETPOS, 0, 0)), static_cast<double>(usedPageMb),
              256.0);
  EXPECT_EQ(SendMessageA(cpu, PBM_GETRANGE, FALSE, 0), 100);
  const LRESULT cpuPos = SendMessageA(cpu, PBM_GETPOS, 0, 0);
  EXPECT_GE(cpuPos, 0);
  EXPECT_LE(cpuPos, 100);
  // The page-file gauge's text is its own percentage.
  const std::string vmText = WindowText(vm);
  ASSERT_FALSE(vmText.empty());
  EXPECT_EQ(vmText.back(), '%');
  // Charts report their newest values.
  const std::string memChart = WindowText(Control(ids::kChartPhyMem));
  EXPECT_EQ(memChart.rfind("PM=", 0), 0u) << memChart;
  EXPECT_NE(memChart.find("; VM="), std::string::npos) << memChart;
}

// Every overview figure as the system's 64-bit report gives it: on a
// machine with more than a 32-bit report can count, the true amounts.
TEST_F(MonitorE2e, OverviewFiguresAreTheSystemsWideFigures) {
  HWND status = StatusPanel(main_, ids::kStatusBarState, 2);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(status).rfind("PM:", 0) == 0; }, Timeout(10000)));
  const MEMORYSTATUSEX m = WideMemoryStatus();
  std::printf("[ NOTE     ] the system reports %llu MB physical memory, %llu MB available, "
              "%llu MB commit limit\n",
              m.ullTotalPhys >> 20, m.ullAvailPhys >> 20, m.ullTotalPageFile >> 20);
  // The host's memory moves between the refresh and this reading.
  constexpr double kMbSlack = 256.0;
  constexpr double kKbSlack = kMbSlack * 1024;

  unsigned long long availPhysKb = 0, totalPhysKb = 0, availPageKb = 0, totalPageKb = 0;
  const std::string bar = WindowText(status);
  ASSERT_EQ(std::sscanf(bar.c_str(), "PM:%lluK/%lluK PF:%lluK/%lluK ", &availPhysKb, &totalPhysKb,
                        &availPageKb, &totalPageKb),
            4)
      << bar;
  EXPECT_EQ(totalPhysKb, m.ullTotalPhys >> 10) << bar;
  EXPECT_EQ(totalPageKb, m.ullTotalPageFile >> 10) << bar;
  EXPECT_NEAR(static_cast<double>(availPhysKb), static_cast<double>(m.ullAvailPhys >> 10), kKbSlack);
  EXPECT_NEAR(static_cast<double>(availPageKb), static_cast<double>(m.ullAvailPageFile >> 10), kKbSlack);
  EXPECT_EQ(bar.substr(bar.size() - 2), "K ");

  const auto mb = [&](int id) { return NumberWithUnit(WindowText(Control(id)), "MB"); };
  const auto kb = [&](int id) { return NumberWithUnit(WindowText(Control(id)), "KB"); };
  EXPECT_EQ(mb(ids::kLabelPmTotal), RoundedMb(m.ullTotalPhys));
  EXPECT_EQ(mb(ids::kLabelVmTotal), RoundedMb(m.ullTotalPageFile));
  EXPECT_NEAR(static_cast<double>(mb(ids::kLabelPmFree)), static_cast<double>(RoundedMb(m.ullAvailPhys)), kMbSlack);
  EXPECT_NEAR(static_cast<double>(mb(ids::kLabelVmFree)), static_cast<double>(RoundedMb(m.ullAvailPageFile)),
              kMbSlack);
  EXPECT_NEAR(static_cast<double>(mb(ids::kLabelPmUsage)),
              static_cast<double>(RoundedMb(Used(m.ullTotalPhys, m.ullAvailPhys))), kMbSlack);
  EXPECT_NEAR(static_cast<double>(mb(ids::kLabelVmUsage)),
              static_cast<double>(RoundedMb(Used(m.ullTotalPageFile, m.ullAvailPageFile))), kMbSlack);
  // "used MB/total MB", both truncated.
  long long used = -1, total = -1;
  ASSERT_EQ(std::sscanf(WindowText(Control(ids::kLabelMemusageNum)).c_str(), "%lld MB/%lld MB", &used, &total), 2);
  EXPECT_EQ(total, static_cast<long long>(m.ullTotalPhys >> 20));
  EXPECT_NEAR(static_cast<double>(used), static_cast<double>(Used(m.ullTotalPhys, m.ullAvailPhys) >> 20), kMbSlack);
  ASSERT_EQ(std::sscanf(WindowText(Control(ids::kLabelVmnum)).c_str(), "%lld MB/%lld MB", &used, &total), 2);
  EXPECT_EQ(total, static_cast<long long>(m.ullTotalPageFile >> 20));
  EXPECT_NEAR(static_cast<double>(used), static_cast<double>(Used(m.ullTotalPageFile, m.ullAvailPageFile) >> 20),
              kMbSlack);

  // The figures page: kilobytes, rounded.
  EXPECT_EQ(kb(ids::kLTotalRAM), RoundedKb(m.ullTotalPhys));
  EXPECT_EQ(kb(ids::kLTotalPage), RoundedKb(m.ullTotalPageFile));
  EXPECT_NEAR(static_cast<double>(kb(ids::kLFreeRAM)), static_cast<double>(RoundedKb(m.ullAvailPhys)), kKbSlack);
  EXPECT_NEAR(static_cast<double>(kb(ids::kLPageFree)), static_cast<double>(RoundedKb(m.ullAvailPageFile)),
              kKbSlack);
  // The address space is the program's own, not this test's (which is not
  // large-address-aware): from outside, its top is where the system stops
  // describing it, and the space runs from 64 KB up to there.
  const long long totalVirtual = kb(ids::kLTotalVirtual);
  const long long freeVirtual = kb(ids::kLFreeVirtual);
  const std::vector<MemoryRegion> space = RegionsOf(quorvel_.ProcessHandle(), 0x10000, 0xFFFFFFFFu);
  std::printf("[ NOTE     ] the program shows an address space of %lld KB, %lld KB free; this test's "
              "is %llu KB\n",
              totalVirtual, freeVirtual, m.ullTotalVirtual >> 10);
  // Every host these tests run on has a 64-bit kernel (Wine's 32-bit side
  // runs natively or emulated on it), which gives a large-address-aware
  // program 4 GB.
  EXPECT_GT(totalVirtual, 2048LL * 1024) << "the program has no more than a plain 32-bit space";
  if (!space.empty()) {
    const std::uint64_t top = std::uint64_t{space.back().base} + space.back().size;
    EXPECT_EQ(totalVirtual, RoundedKb(top - 0x10000)) << "the space ends at 0x" << std::hex << top;
  } else {
    // Where the program's memory cannot be queried, only the bound of any
    // 32-bit space.
    EXPECT_LE(totalVirtual, 4LL * 1024 * 1024) << WindowText(Control(ids::kLTotalVirtual));
  }
  // Wine counts the ranges its own side may map into as available, so the
  // free figure is checked for sense only.
  EXPECT_GT(freeVirtual, 1000LL * 1024);
  EXPECT_LT(freeVirtual, totalVirtual);
  // Both written by one refresh; a read may straddle the next.
  EXPECT_TRUE(WaitUntil(
      [&] { return WindowText(Control(ids::kLabelMemusageNum2)) == WindowText(Control(ids::kLabelMemusageNum)); },
      Timeout(5000)));
}

}  // namespace
}  // namespace e2e
